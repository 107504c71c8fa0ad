#include "commands.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

#include "console_text.h"
#include "control_names.h"
#include "resource_ids.h"
#include "window_search.h"

namespace kvdriver {
namespace {

constexpr Milliseconds kDefaultTimeout{10000};
constexpr Milliseconds kMaxTimeout{120000};
constexpr Milliseconds kKeyGap{40};  // lets the menu loop take each key before the next
constexpr UINT kSendTimeoutMs = 5000;
constexpr std::size_t kMaxArguments = 20;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};
struct NotThere : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class Arguments {
public:
    explicit Arguments(const std::vector<std::wstring>& values) : values_(values) {}

    const std::wstring& text(std::size_t index) const { return values_.at(index); }
    std::size_t count() const { return values_.size(); }

    long number(std::size_t index, long lowest, long highest) const {
        wchar_t* end = nullptr;
        const long value = std::wcstol(text(index).c_str(), &end, 0);
        if (text(index).empty() || *end != L'\0' || value < lowest || value > highest) {
            throw UsageError("argument " + std::to_string(index + 1) + " must be a number from " +
                             std::to_string(lowest) + " to " + std::to_string(highest));
        }
        return value;
    }

    Milliseconds timeout(std::size_t index) const {
        return index < values_.size() ? Milliseconds(number(index, 0, kMaxTimeout.count())) : kDefaultTimeout;
    }

private:
    const std::vector<std::wstring>& values_;
};

HWND shownWindow(const std::wstring& caption) {
    HWND window = waitForWindow([&] { return findShownWindow(caption); }, kDefaultTimeout);
    if (!window) throw NotThere("no window \"" + toUtf8(caption) + "\"");
    return window;
}

HWND control(const Arguments& arguments) {
    const auto id = controlId(arguments.text(1));
    if (!id) throw UsageError("unknown control " + toUtf8(arguments.text(1)));
    HWND item = GetDlgItem(shownWindow(arguments.text(0)), *id);
    if (!item) throw NotThere("no control " + toUtf8(arguments.text(1)) + " in \"" + toUtf8(arguments.text(0)) + "\"");
    return item;
}

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result)) {
        throw NotThere("the window does not answer");
    }
    return static_cast<LRESULT>(result);
}

// What a click on CONTROL tells its dialog. Posted, not sent: the handler
// may open a modal box, and the driver must not wait for that to close.
void notifyParent(HWND control, WORD notification) {
    PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), notification),
                 reinterpret_cast<LPARAM>(control));
}

void postKey(HWND window, WPARAM key) {
    PostMessageW(window, WM_KEYDOWN, key, 1);
    if (key == VK_RETURN) PostMessageW(window, WM_CHAR, L'\r', 1);
    PostMessageW(window, WM_KEYUP, key, 0xC0000001);
    std::this_thread::sleep_for(kKeyGap);
}

HWND waitedFor(HWND (*find)(), Milliseconds timeout, const char* what) {
    HWND window = waitForWindow(find, timeout);
    if (!window) throw NotThere(std::string("no ") + what);
    return window;
}

void waitClosed(HWND window, Milliseconds timeout, const char* what) {
    if (!waitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout)) {
        throw NotThere(std::string("the ") + what + " stayed open");
    }
}

int waitWindow(const Arguments& a) {
    if (!waitForWindow([&] { return findShownWindow(a.text(0)); }, a.timeout(1))) {
        throw NotThere("no window \"" + toUtf8(a.text(0)) + "\"");
    }
    return 0;
}

int waitGone(const Arguments& a) {
    if (!waitUntil([&] { return findShownWindow(a.text(0)) == nullptr; }, a.timeout(1))) {
        throw NotThere("window \"" + toUtf8(a.text(0)) + "\" is still shown");
    }
    return 0;
}

int waitMain(const Arguments& a) {
    waitedFor(findMainWindow, a.timeout(0), "main window");
    return 0;
}

int getText(const Arguments& a) {
    printLine(windowText(control(a)));
    return 0;
}

int setText(const Arguments& a) {
    const std::wstring& text = a.text(2);
    sendTo(control(a), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return 0;
}

// Whether a box shows the end of its text: the last character's line lies
// wholly inside the box, and the character within its width.
int showsEnd(const Arguments& a) {
    HWND box = control(a);
    const auto length = sendTo(box, WM_GETTEXTLENGTH, 0, 0);
    RECT client{};
    GetClientRect(box, &client);
    const auto at = [&](LRESULT index) {
        const auto position = static_cast<DWORD>(sendTo(box, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0));
        return POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))};
    };
    const LRESULT secondLine = sendTo(box, EM_LINEINDEX, 1, 0);
    const long lineHeight = secondLine > 0 ? at(secondLine).y - at(0).y : 0;
    const POINT last = at(length > 0 ? length - 1 : 0);
    const bool shown = last.y >= 0 && last.y + lineHeight <= client.bottom && last.x >= 0 && last.x < client.right;
    printLine(shown ? L"1" : L"0");
    return shown ? 0 : 1;
}

int getCheck(const Arguments& a) {
    printLine(sendTo(control(a), BM_GETCHECK, 0, 0) == BST_CHECKED ? L"1" : L"0");
    return 0;
}

int setCheck(const Arguments& a) {
    HWND box = control(a);
    const WPARAM wanted = a.number(2, 0, 1) ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(sendTo(box, BM_GETCHECK, 0, 0)) == wanted) return 0;
    // As a trader's click: the box changes, then the dialog hears of the click.
    sendTo(box, BM_SETCHECK, wanted, 0);
    notifyParent(box, BN_CLICKED);
    return 0;
}

int click(const Arguments& a) {
    notifyParent(control(a), BN_CLICKED);
    return 0;
}

int key(const Arguments& a) {
    postKey(control(a), static_cast<WPARAM>(a.number(2, 1, 254)));
    return 0;
}

int close(const Arguments& a) {
    PostMessageW(shownWindow(a.text(0)), WM_SYSCOMMAND, SC_CLOSE, 0);
    return 0;
}

int comboItems(const Arguments& a) {
    HWND combo = control(a);
    const auto count = sendTo(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(sendTo(combo, CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
        const auto length = sendTo(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        printLine(item);
    }
    return 0;
}

int comboSelect(const Arguments& a) {
    HWND combo = control(a);
    const long index = a.number(2, 0, 10000);
    if (sendTo(combo, CB_SETCURSEL, index, 0) == CB_ERR) throw NotThere("no item " + std::to_string(index));
    notifyParent(combo, CBN_SELCHANGE);
    return 0;
}

std::vector<std::wstring> listBoxItems(HWND list) {
    std::vector<std::wstring> items;
    const auto count = sendTo(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(std::max<LRESULT>(sendTo(list, LB_GETTEXTLEN, i, 0), 0)) + 1, L'\0');
        const auto length = sendTo(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(item.data()));
        item.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
        items.push_back(item);
    }
    return items;
}

int listItems(const Arguments& a) {
    for (const auto& item : listBoxItems(control(a))) printLine(item);
    return 0;
}

int listSelected(const Arguments& a) {
    HWND list = control(a);
    const auto items = listBoxItems(list);
    for (std::size_t i = 0; i < items.size(); ++i)
        if (sendTo(list, LB_GETSEL, i, 0) > 0) printLine(items[i]);
    return 0;
}

// As the trader's clicks would: the items holding any of the TEXTs (each must
// be found) are selected, the others cleared, then the dialog hears of it.
// A list that selects one item takes one TEXT.
int listSelect(const Arguments& a) {
    const std::size_t texts = a.count() - 2;
    HWND list = control(a);
    const bool several = GetWindowLongW(list, GWL_STYLE) & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL);
    if (!several && texts > 1) throw UsageError("this list selects one item");
    const auto items = listBoxItems(list);
    std::vector<bool> chosen(items.size());
    for (std::size_t t = 0; t < texts; ++t) {
        bool found = false;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].find(a.text(2 + t)) != std::wstring::npos) chosen[i] = found = true;
        if (!found) throw NotThere("no item holds \"" + toUtf8(a.text(2 + t)) + "\"");
    }
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!several && chosen[i]) sendTo(list, LB_SETCURSEL, i, 0);
        if (several) sendTo(list, LB_SETSEL, chosen[i] ? TRUE : FALSE, static_cast<LPARAM>(i));
    }
    notifyParent(list, LBN_SELCHANGE);
    return 0;
}

int messageBoxText(const Arguments& a) {
    HWND box = waitedFor(findMessageBox, a.timeout(0), "message box");
    printLine(windowText(GetDlgItem(box, 0xFFFF)));
    return 0;
}

int messageBoxOk(const Arguments& a) {
    HWND box = waitedFor(findMessageBox, a.timeout(0), "message box");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    waitClosed(box, kDefaultTimeout, "message box");
    return 0;
}

// How many message boxes of the program showed within MS: one left open counts once.
int messageBoxCount(const Arguments& a) {
    std::vector<HWND> seen;
    const auto end = std::chrono::steady_clock::now() + Milliseconds(a.number(0, 0, kMaxTimeout.count()));
    while (std::chrono::steady_clock::now() < end) {
        HWND box = findMessageBox();
        if (box && std::find(seen.begin(), seen.end(), box) == seen.end()) seen.push_back(box);
        std::this_thread::sleep_for(Milliseconds(50));
    }
    printLine(std::to_wstring(seen.size()));
    return 0;
}

int tray(const Arguments& a) {
    HWND main = waitedFor(findMainWindow, kDefaultTimeout, "main window");
    PostMessageW(main, KV_TRAY_CALLBACK_MESSAGE, KV_TRAY_ICON_ID, a.number(0, 0, 0xFFFF));
    return 0;
}

int menuPick(const Arguments& a) {
    const long position = a.number(0, 1, 20);
    HWND menu = waitedFor(findPopupMenu, a.timeout(1), "pop-up menu");
    // Items cannot be read from another process under Wine; the keyboard skips
    // separators, so N counts the items that can be picked.
    for (long i = 0; i < position; ++i) postKey(menu, VK_DOWN);
    postKey(menu, VK_RETURN);
    waitClosed(menu, kDefaultTimeout, "pop-up menu");
    return 0;
}

int menuCancel(const Arguments& a) {
    HWND menu = waitedFor(findPopupMenu, a.timeout(0), "pop-up menu");
    postKey(menu, VK_ESCAPE);
    waitClosed(menu, kDefaultTimeout, "pop-up menu");
    return 0;
}

int windowRect(const Arguments& a) {
    RECT rect{};
    GetWindowRect(shownWindow(a.text(0)), &rect);
    printLine(std::to_wstring(rect.left) + L" " + std::to_wstring(rect.top) + L" " +
              std::to_wstring(rect.right - rect.left) + L" " + std::to_wstring(rect.bottom - rect.top));
    return 0;
}

// Moves the pointer, as a trader's hand does, so that a tool tip can show.
int pointer(const Arguments& a) {
    SetCursorPos(static_cast<int>(a.number(0, 0, 0x7FFF)), static_cast<int>(a.number(1, 0, 0x7FFF)));
    return 0;
}

int trayIconPresent(const Arguments&) {
    const bool shown = trayIconShown();
    printLine(shown ? L"1" : L"0");
    return shown ? 0 : 1;
}

int listAll(const Arguments&) {
    listWindows();
    return 0;
}

struct Command {
    const wchar_t* name;
    const wchar_t* arguments;
    std::size_t fewest;
    std::size_t most;
    int (*run)(const Arguments&);
};

constexpr Command kCommands[] = {
    {L"wait-window", L"CAPTION [TIMEOUT_MS]", 1, 2, waitWindow},
    {L"wait-gone", L"CAPTION [TIMEOUT_MS]", 1, 2, waitGone},
    {L"wait-main", L"[TIMEOUT_MS]", 0, 1, waitMain},
    {L"get-text", L"CAPTION CONTROL", 2, 2, getText},
    {L"set-text", L"CAPTION CONTROL TEXT", 3, 3, setText},
    {L"shows-end", L"CAPTION CONTROL", 2, 2, showsEnd},
    {L"get-check", L"CAPTION CONTROL", 2, 2, getCheck},
    {L"set-check", L"CAPTION CONTROL 0|1", 3, 3, setCheck},
    {L"click", L"CAPTION CONTROL", 2, 2, click},
    {L"key", L"CAPTION CONTROL VIRTUAL_KEY", 3, 3, key},
    {L"close", L"CAPTION", 1, 1, close},
    {L"combo-items", L"CAPTION CONTROL", 2, 2, comboItems},
    {L"combo-select", L"CAPTION CONTROL INDEX", 3, 3, comboSelect},
    {L"list-items", L"CAPTION CONTROL", 2, 2, listItems},
    {L"list-selected", L"CAPTION CONTROL", 2, 2, listSelected},
    {L"list-select", L"CAPTION CONTROL TEXT [TEXT...]", 3, kMaxArguments, listSelect},
    {L"msgbox-text", L"[TIMEOUT_MS]", 0, 1, messageBoxText},
    {L"msgbox-ok", L"[TIMEOUT_MS]", 0, 1, messageBoxOk},
    {L"msgbox-count", L"MS", 1, 1, messageBoxCount},
    {L"tray", L"MOUSE_MESSAGE", 1, 1, tray},
    {L"menu-pick", L"N [TIMEOUT_MS]", 1, 2, menuPick},
    {L"menu-cancel", L"[TIMEOUT_MS]", 0, 1, menuCancel},
    {L"window-rect", L"CAPTION", 1, 1, windowRect},
    {L"tray-icon-present", L"", 0, 0, trayIconPresent},
    {L"pointer", L"X Y", 2, 2, pointer},
    {L"list-windows", L"", 0, 0, listAll},
};

}  // namespace

std::wstring usageText() {
    std::wstring text = L"usage: kvdriver COMMAND [ARGUMENTS]\n";
    for (const auto& command : kCommands) text += L"  " + std::wstring(command.name) + L" " + command.arguments + L"\n";
    text += L"CONTROL is a number or one of: " + controlNameList();
    return text;
}

int runCommand(const std::wstring& name, const std::vector<std::wstring>& arguments) {
    for (const auto& command : kCommands) {
        if (name != command.name) continue;
        try {
            if (arguments.size() < command.fewest || arguments.size() > command.most) {
                throw UsageError("expected " + toUtf8(name) + " " + toUtf8(command.arguments));
            }
            return command.run(Arguments(arguments));
        } catch (const UsageError& error) {
            printError(L"kvdriver: " + fromUtf8(error.what()));
            return 2;
        } catch (const NotThere& error) {
            printError(L"kvdriver " + name + L": " + fromUtf8(error.what()));
            return 1;
        }
    }
    printError(L"kvdriver: unknown command " + name + L"\n" + usageText());
    return 2;
}

}  // namespace kvdriver
