#!/usr/bin/env python3
"""Rejects constructs in the repository's MQL sources (.mq4, .mqh, .mq5) that
MQL lacks or treats differently from the C++ build that tests them.
Usage: check_mql4.py <repository root>   (runs its own self-check first)"""
import os
import pathlib
import re
import sys

RULES = [
    (r"\bstd::", "std:: (MQL has no C++ standard library)"),
    (r"\bauto\b", "auto"),
    (r"->", "-> (MQL reaches members with .)"),
    (r"\btemplate\b|\btypename\b", "templates"),
    (r"\[[^\]\n]*\]\s*\([^)]*\)\s*(mutable\b|->|\{)", "lambdas"),
    (r"\bnullptr\b", "nullptr (MQL has NULL)"),
    (r"\b(namespace|using|constexpr|decltype|noexcept|static_assert|throw|try|catch|unsigned)\b", "a C++-only keyword"),
    (r"\blong\b", "long (8 bytes in MQL, 4 in a Windows C++ build)"),
    (r"\b(int|double|bool|string|datetime|uint|ushort|char|short)\s*&\s*\w+\s*[=;]", "a reference to a local"),
    (r"\b(int|double|bool|string|datetime|uint|ushort|char|short)\s*\*", "a pointer to a plain type"),
    (r'"\s*\+\s*[\d.]|\b\d[\d.]*\s*\+\s*"', "number-to-text by +: use IntegerToString/DoubleToString"),
]
# MQL5 (and the part shared with it): its trade and history properties are
# long; MQL5 warns where one goes into a narrower variable without a cast,
# and the C++ build does not.
MQL5_RULES = [
    (r"\b(int|uint|bool|double|datetime|ulong|ushort|char|short)\s+\w+\s*=\s*\w*(GetInteger|InfoInteger)\s*\([^;=<>!?]*\)\s*;",
     "a long property into a narrower variable without a cast"),
]
INCLUDE = re.compile(r'^\s*#include\s*[<"]([^>"]+)[>"]', re.M)
NUMERIC_TYPE = r"(?:int|uint|double|float|bool|datetime|ulong|long|ushort|uchar|char|short|color)"
# MQL functions our experts call that give a number.
NUMERIC_BUILTINS = set("""OrdersTotal OrdersHistoryTotal OrderTicket OrderType OrderLots OrderOpenPrice OrderStopLoss
    OrderTakeProfit OrderClosePrice OrderProfit OrderSwap OrderCommission OrderOpenTime OrderCloseTime OrderExpiration
    OrderMagicNumber PositionsTotal PositionGetTicket PositionGetInteger PositionGetDouble OrderGetTicket OrderGetInteger
    OrderGetDouble HistoryDealsTotal HistoryOrdersTotal HistoryDealGetTicket HistoryDealGetInteger HistoryDealGetDouble
    HistoryOrderGetTicket HistoryOrderGetInteger HistoryOrderGetDouble AccountInfoInteger AccountInfoDouble
    SymbolInfoInteger SymbolInfoDouble TerminalInfoInteger GetTickCount GetLastError TimeCurrent TimeLocal StringLen
    StringGetCharacter MathAbs MathRound GlobalVariableGet FileWriteString StringToCharArray""".split())


def blank(text):
    """Comments and the contents of strings become blanks (line numbers
    kept); the quotes stay, so a + next to a string still shows."""
    pattern = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:\\.|[^"\\\n])*"|\'(?:\\.|[^\'\\\n])*\'', re.S)

    def keep(m):
        s = m.group(0)
        if s[0] in "\"'":
            return s[0] + " " * (len(s) - 2) + s[0]
        return re.sub(r"[^\n]", " ", s)

    return pattern.sub(keep, text)


def problems(text, mq5=False):
    found = []
    code = blank(text)
    for m in INCLUDE.finditer(text):
        if not m.group(1).endswith(".mqh"):
            found.append((text.count("\n", 0, m.start()) + 1, "a C++ header: " + m.group(1)))
    enums = set(re.findall(r"\benum\s+(\w+)", code))
    for m in re.finditer(r"(\w*)\s*::", code):
        if m.group(1) not in enums:
            found.append((code.count("\n", 0, m.start()) + 1, ":: outside enum use"))
    for rule, what in RULES + (MQL5_RULES if mq5 else []):
        for m in re.finditer(rule, code):
            found.append((code.count("\n", 0, m.start()) + 1, what))
    # Text joined to a number by +: MQL turns the number into text, the C++
    # build adds it to the literal's pointer. The numbers: what the file
    # declares as one, MQL's functions that give one, and casts.
    numeric = NUMERIC_BUILTINS | set(re.findall(rf"\b{NUMERIC_TYPE}\s+(\w+)", code))
    numeric |= set(re.findall(r"#define\s+(\w+)\s+[-\d.(]", code))
    joins = rf'"\s*\+\s*(\(\s*{NUMERIC_TYPE}\s*\)|\w+)|\b(\w+)\s*(?:\[[^\]]*\])?\s*\+\s*"'
    for m in re.finditer(joins, code):
        name = m.group(1) or m.group(2)
        if name.startswith("(") or name in numeric:
            found.append((code.count("\n", 0, m.start()) + 1, "number-to-text by + (a number named " + name + ")"))
    return found


SELF_CHECK = {
    "std::string s;": "std::", "auto n = 1;": "auto", "p->x = 1;": "->", "template<class T> T f();": "templates",
    "f([&](int a) { return a; });": "lambdas", "int *p = nullptr;": "nullptr", "#include <string>": "C++ header",
    "int &r = n;": "reference", "string s = \"n=\" + 5;": "number-to-text", "long n = 0;": "long",
    "x = A::b;": ":: outside", "namespace kv {}": "C++-only",
    "int n = 1; string s = \"n=\" + n;": "number-to-text", "string t = \"#\" + OrderTicket();": "number-to-text",
    "string c = \"c\" + (int)x;": "number-to-text", "double d[3]; string e = d[0] + \"!\";": "number-to-text",
}
CLEAN = ('enum Side { UP }; int f(const string &s, int &n) { int a[3]; a[0] = UP; string t = "n=" + IntegerToString(n) + s; '
         'return Side::UP + n; } // std:: "->"')


def self_check():
    for snippet, expected in SELF_CHECK.items():
        whats = [what for _, what in problems(snippet)]
        assert any(expected in w for w in whats), f"not caught: {snippet!r} {whats}"
    assert not problems(CLEAN), problems(CLEAN)
    narrowing = "int t = (int)OrderGetInteger(ORDER_TYPE); bool b = PositionGetInteger(POSITION_TYPE) == 0; int n = OrderGetInteger(ORDER_TYPE);"
    assert [what for _, what in problems(narrowing, mq5=True)] == [MQL5_RULES[0][1]], problems(narrowing, mq5=True)


def main(root):
    self_check()
    failed = 0
    files = []
    for folder, subfolders, names in os.walk(root):
        subfolders[:] = [d for d in subfolders if not d.startswith((".", "build"))]
        files += [pathlib.Path(folder, n) for n in names if n.endswith((".mq4", ".mqh", ".mq5"))]
    for path in sorted(files):
        for line, what in problems(path.read_text(encoding="ascii"), path.suffix in (".mq5", ".mqh")):
            print(f"{path}:{line}: {what}")
            failed += 1
    print(f"{len(files)} MQL sources checked, {failed} problems")
    return 1 if failed or not files else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else "."))
