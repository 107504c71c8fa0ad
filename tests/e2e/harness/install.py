"""A throw-away installation of the program and a demo terminal folder (MT4 or MT5)."""
import dataclasses
import hashlib
import os
import pathlib
import re
import shutil
import time

from .waiting import expect

CRLF = "\r\n"
# After any login date, so the start-up load leaves these orders to be reported as new.
FUTURE_DATE = "20991231"
ACTIVITY_LINE = re.compile(r"\S.* start time = (.*) end time = \S.* Counter Activelog =  (\d+)\r\n")


def windows_path(path):
    """The path as the program sees it under Wine: drive C: is the prefix's drive_c, Z: the root."""
    path = pathlib.Path(path).resolve()
    if "drive_c" in path.parts:
        return "C:\\" + "\\".join(path.parts[path.parts.index("drive_c") + 1:])
    return "Z:" + str(path).replace("/", "\\")


def text_of(path):
    """The file's bytes as text, or None when there is no such file."""
    return path.read_bytes().decode("latin-1") if path.exists() else None


def activity(data):
    """(start time, counter) of the one line a run leaves in DATA\\Active.dat."""
    text = text_of(data / "Active.dat")
    expect(ACTIVITY_LINE.fullmatch(text or ""), f"Active.dat: {text!r}")
    return ACTIVITY_LINE.fullmatch(text).groups()


@dataclasses.dataclass
class Order:
    """One line of the order log; what no test varies is fixed in it."""
    number: str
    state: str = "O1"  # state mark and modification stamp
    kind: str = "BUY"
    open_price: str = "1.1000"
    stop_loss: str = "1.0950"
    close_price: str = "0"
    pnl: str = "0"
    account: str = "5551001"

    def line(self):
        return ";".join([FUTURE_DATE, "e2e", self.account, self.number, self.state, self.kind, "EURUSD", "0.10",
                         self.open_price, self.stop_loss, "1.1100", self.close_price, self.pnl, "1"])


def log_bytes(orders):
    return "".join(order.line() + CRLF for order in orders).encode("ascii")


class TerminalFolder:
    """A terminal's installation as far as the program looks at it; its expert writes into FILES.
    LAYOUT: "legacy" (experts\\files, up to build 509), "portable" (MQL4\\Files in it) or
    "data folder" (build 600 under User Account Control: MQL4\\Files in ROAMING), found by name
    and origin.txt, or "data folder by name" or "... by origin.txt" alone; "mt5 data folder": MT5's."""

    def __init__(self, root, layout="legacy", roaming=None):
        self.root = pathlib.Path(root)
        self.root.mkdir(parents=True, exist_ok=True)
        mt5 = layout.startswith("mt5 ")
        program, mql = ("terminal64.exe", "MQL5") if mt5 else ("terminal.exe", "MQL4")
        self.terminal_name = "MetaTrader " + mql[-1]
        self.expert_name = "KorvaneVantor.mq" + mql[-1]
        (self.root / program).write_bytes(b"")
        self.files = self.root / "experts" / "files"
        if layout == "portable":
            self.files = self.root / "MQL4" / "Files"
        elif "data folder" in layout:
            # Named by the MD5 of the upper-cased path as UTF-16LE, with an origin.txt saying whose it is.
            name = hashlib.md5(windows_path(root).upper().encode("utf-16-le")).hexdigest().upper()
            if layout.endswith("origin.txt"):
                name = name[::-1]
            data = pathlib.Path(roaming) / "MetaQuotes" / "Terminal" / name
            self.files = data / mql / "Files"
            self.files.mkdir(parents=True)
            if not layout.endswith("name"):
                (data / "origin.txt").write_bytes(b"\xff\xfe" + windows_path(root).encode("utf-16-le"))
        self.files.mkdir(parents=True, exist_ok=True)
        # The terminal makes its experts folder beside the files folder at its first start.
        self.experts = self.files.parent if layout == "legacy" else self.files.parent / "Experts"
        self.experts.mkdir(exist_ok=True)
        self.terminal = windows_path(self.root / program)
        self.folder_line = windows_path(self.root) + "\\"  # as Settings.dat holds it
        line = self.folder_line + CRLF  # in the code page (1252 here) when it fits, else in UTF-8 behind a mark
        try:
            self.settings_bytes = line.encode("cp1252")
        except UnicodeEncodeError:
            self.settings_bytes = ("\ufeff" + line).encode()
        self.settings_bytes += (program + CRLF).encode() if mt5 else b""  # MT5's program follows the folder
        self.write_orders([])

    def leave_stale_legacy_log(self, orders):
        """What the upgrade to build 600 left behind: experts\\files with a log of years ago."""
        log = self.root / "experts" / "files" / "systemorder.log"
        log.parent.mkdir(parents=True)
        log.write_bytes(log_bytes(orders))
        years_ago = time.time() - 2 * 365 * 24 * 3600
        os.utime(log, (years_ago, years_ago))

    def write_orders(self, orders):
        # Replaced whole, as the expert does, so no poll sees half a file.
        temporary = self.files / "systemorder.log.tmp"
        temporary.write_bytes(log_bytes(orders))
        os.replace(temporary, self.files / "systemorder.log")

    def read(self, name):
        return text_of(self.files / name)

    def read_expert(self):
        return text_of(self.experts / self.expert_name)


class ProgramInstall:
    """KorvaneVantor.exe copied into its own folder, with a Data folder beside it."""

    def __init__(self, root, exe, service_url):
        self.data = root / "Data"
        self.data.mkdir(parents=True)
        self.exe = root / "KorvaneVantor.exe"
        shutil.copy2(exe, self.exe)
        self.write_data("Service.dat", service_url + CRLF)

    def write_data(self, name, text):
        (self.data / name).write_bytes(text.encode("latin-1"))

    def read_data(self, name):
        return text_of(self.data / name)

    def data_lines(self, name):
        text = self.read_data(name)
        return text.removesuffix(CRLF).split(CRLF) if text else []

    def list_terminals(self, terminals):
        """Data\\Terminals.dat: the terminals relayed besides the first, as [(system id, TerminalFolder)]."""
        lines = [f"{system}|{'MT5' if folder.terminal_name.endswith('5') else 'MT4'}|{folder.folder_line}"
                 for system, folder in terminals]
        self.write_data("Terminals.dat", "".join(line + CRLF for line in lines))

    def seed_installed(self, terminal_folder):
        """A later run: the terminal folder is known and the first-run marker exists."""
        (self.data / "Settings.dat").write_bytes(terminal_folder.settings_bytes)
        self.write_data("Install.dat", CRLF)
