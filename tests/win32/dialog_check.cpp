#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "check_support.h"
#include "platform/win32/resource_ids.h"

namespace kv::platform::win32::checks {
namespace {

// Records what the dialogs report and lets a check act as the core's handler.
struct Events : FormEvents {
    std::vector<std::string> seen;
    std::function<void(const std::string&)> onAny;
    void record(const std::string& what) {
        seen.push_back(what);
        if (onAny) onAny(what);
    }
    void onButton(const std::string& control) override { record("button " + control); }
    void onCloseCommand() override { record("close"); }
    void onTextChange(const std::string& control) override { record("text " + control); }
    void onPick(const std::string& control) override { record("pick " + control); }
};

Control control(const char* name, ControlKind kind, const char* text = "") { return {name, kind, text, 0, {}}; }

Form loginForm(Events& events) {
    return {"frmLogin", "Korvane - Vantor Login",
            {control("txtUser", ControlKind::TextBox), control("chklogin", ControlKind::CheckBox),
             control("txtPass", ControlKind::PasswordBox),
             control("cmdLogin", ControlKind::Button, "Login"), control("cmdCancel", ControlKind::Button, "Cancel")},
            &events};
}

Form systemForm(Events& events) {
    return {"FrmSys", " Trade System Selection",
            {control("LblSys", ControlKind::Label, "System"), control("cmbsystem", ControlKind::ComboBox),
             control("chksys", ControlKind::CheckBox), control("CmdProcced", ControlKind::Button, "Proceed")},
            &events};
}

Form settingsForm(Events& events) {
    return {"frmSettings", " MT4 Folder Location",
            {control("Label2", ControlKind::Label),  // left empty: the resource's caption stays
             control("mt4location", ControlKind::TextBox, "terminal.exe"),
             control("cmdBrowse", ControlKind::Button, "Browse"), control("cmdSave", ControlKind::Button, "Save"),
             control("cmdCancel", ControlKind::Button, "Cancel"), control("LblOrderLog", ControlKind::Label)},
            &events};
}

class DialogCheck : public ::testing::Test {
protected:
    HINSTANCE instance = GetModuleHandleW(nullptr);
    AppIcons icons = loadAppIcons(instance);
    HiddenWindow hiddenWindow{instance, icons};
    DialogWindowSystem windows{instance, hiddenWindow, icons};
    Events events;

    HWND shown(Form& form) {
        windows.show(form);
        pump(&windows, 20);
        return windows.handleOf(form);
    }
    void command(HWND dialog, int id, int code) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }
    std::vector<int> tabOrder(HWND dialog) {
        const HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
        std::vector<int> ids{GetDlgCtrlID(first)};
        for (HWND at = first; ids.size() < 20 && (at = GetNextDlgTabItem(dialog, at, FALSE)) != first;)
            ids.push_back(GetDlgCtrlID(at));
        return ids;
    }
};

TEST_F(DialogCheck, EachFormHasItsControlKindsAndTabOrderAndIsCentred) {
    Form login = loginForm(events), systems = systemForm(events), settings = settingsForm(events);
    windows.centre(login);
    HWND l = shown(login), s = shown(systems), m = shown(settings);
    ASSERT_TRUE(l && s && m);
    RECT r{};
    GetWindowRect(l, &r);
    EXPECT_NEAR(r.left, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2, 1);
    EXPECT_NEAR(r.top, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2, 1);

    EXPECT_EQ(SendMessageW(GetDlgItem(l, KV_IDC_LOGIN_TXTPASS), EM_GETPASSWORDCHAR, 0, 0), L'*');
    EXPECT_EQ(tabOrder(l), (std::vector<int>{KV_IDC_LOGIN_TXTUSER, KV_IDC_LOGIN_CHKLOGIN, KV_IDC_LOGIN_TXTPASS,
                                             KV_IDC_LOGIN_CMDLOGIN, KV_IDC_LOGIN_CMDCANCEL}));

    const LONG comboStyle = GetWindowLongW(GetDlgItem(s, KV_IDC_SYS_CMBSYSTEM), GWL_STYLE);
    EXPECT_EQ(comboStyle & 3, CBS_DROPDOWNLIST);  // a list to pick from, with no text field to type in
    EXPECT_FALSE(comboStyle & CBS_SORT);          // items stay in the order of the system list
    EXPECT_EQ(tabOrder(s),
              (std::vector<int>{KV_IDC_SYS_CMBSYSTEM, KV_IDC_SYS_CHKSYS, KV_IDC_SYS_CMDPROCCED}));

    EXPECT_EQ(windowText(GetDlgItem(m, KV_IDC_SETTINGS_LABEL2)),
              L"MT4 Program Folder [Example: C:\\Program Files\\Broker_Name\\Terminal.exe]");
    // The paths under the box can be selected and copied, so they are reached by Tab too.
    EXPECT_EQ(tabOrder(m), (std::vector<int>{KV_IDC_SETTINGS_MT4LOCATION, KV_IDC_SETTINGS_CMDBROWSE,
                                             KV_IDC_SETTINGS_LBLORDERLOG, KV_IDC_SETTINGS_LBLEXPERT,
                                             KV_IDC_SETTINGS_CMDSAVE, KV_IDC_SETTINGS_CMDCANCEL}));
    EXPECT_TRUE(GetWindowLongW(GetDlgItem(m, KV_IDC_SETTINGS_LBLEXPERT), GWL_STYLE) & ES_READONLY);

    // Enter presses Login, Proceed and Save.
    for (auto [dialog, id] : {std::pair{l, KV_IDC_LOGIN_CMDLOGIN}, {s, KV_IDC_SYS_CMDPROCCED}, {m, KV_IDC_SETTINGS_CMDSAVE}})
        EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), id);
}

// Typing, Enter in the password box and Escape are seen end to end; here what those scenes cannot show.
TEST_F(DialogCheck, WhatAHandlerChangesIsShownATickIsNoButtonPressAndTheFormDecidesOnClosing) {
    Form login = loginForm(events);
    HWND dialog = shown(login);
    HWND user = GetDlgItem(dialog, KV_IDC_LOGIN_TXTUSER);
    SetWindowTextW(user, L"  trader@example.com ");
    events.onAny = [&](const std::string&) { login.control("txtUser").text = "trader@example.com"; };
    command(dialog, KV_IDC_LOGIN_CMDLOGIN, BN_CLICKED);
    EXPECT_EQ(windowText(user), L"trader@example.com");  // with no refresh of its own
    events.onAny = nullptr;
    events.seen.clear();
    command(dialog, KV_IDC_LOGIN_CHKLOGIN, BN_CLICKED);
    PostMessageW(GetDlgItem(dialog, KV_IDC_LOGIN_TXTUSER), WM_KEYDOWN, VK_RETURN, 1);
    pump(&windows, 30);
    PostMessageW(GetDlgItem(dialog, KV_IDC_LOGIN_TXTPASS), WM_KEYDOWN, VK_ESCAPE, 1);
    pump(&windows, 30);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"button cmdLogin", "close"}));
    EXPECT_TRUE(IsWindowVisible(dialog));

    // Typing is kept when the window is shown again; the close box asks the form, whose handler may destroy it.
    Form settings = settingsForm(events);
    dialog = shown(settings);
    events.seen.clear();
    HWND location = GetDlgItem(dialog, KV_IDC_SETTINGS_MT4LOCATION);
    SetWindowTextW(location, L"D:\\Broker\\terminal.exe");
    windows.show(settings);
    EXPECT_EQ(windowText(location), L"D:\\Broker\\terminal.exe");
    events.onAny = [&](const std::string&) { windows.destroy(settings); };
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"text mt4location", "close"}));
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(windows.handleOf(settings), nullptr);
}

TEST_F(DialogCheck, TheComboBoxShowsTheFormsTextExactlyAndReportsPicks) {
    Form systems = systemForm(events);
    Control& combo = systems.control("cmbsystem");
    combo.items = {"12 Scalper A", "15 Swing", "12 scalper a"};
    combo.text = "12 scalper a";
    HWND dialog = shown(systems);
    HWND box = GetDlgItem(dialog, KV_IDC_SYS_CMBSYSTEM);
    EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 2);  // the exact item, not the one differing in case

    SendMessageW(box, CB_SETCURSEL, 1, 0);
    command(dialog, KV_IDC_SYS_CMBSYSTEM, CBN_SELCHANGE);
    EXPECT_EQ(combo.text, "15 Swing");
}

// The relayed terminals select one, the found ones several; both show every character of a path, scroll to
// its end, and tell the form of each pick with the whole selection read.
TEST_F(DialogCheck, ListBoxesShowTheFormsItemsAndSelectionAndReportPicks) {
    Form terminals{"FrmTerminals", " Terminals",
                   {control("lstRelayed", ControlKind::ListBox), control("lstFound", ControlKind::ListBox),
                    control("cmdAdd", ControlKind::Button, "Add")},
                   &events};
    Control& relayed = terminals.control("lstRelayed");
    Control& found = terminals.control("lstFound");
    relayed.form = TextForm::Utf8;
    const std::wstring longPath = L"MT5   C:\\Users\\\u0418\u0432\u0430\u043D\\" + std::wstring(200, L'x');
    relayed.items = {"MT4   C:\\MT4\\", utf8FromWide(longPath)};
    relayed.selected = {1};
    found.items = {"a", "b", "c"};
    found.selected = {0, 2};
    HWND dialog = shown(terminals);
    HWND one = GetDlgItem(dialog, KV_IDC_TERMINALS_LSTRELAYED), several = GetDlgItem(dialog, KV_IDC_TERMINALS_LSTFOUND);
    wchar_t item[300] = {};
    SendMessageW(one, LB_GETTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(item, longPath);
    EXPECT_EQ(SendMessageW(one, LB_GETCURSEL, 0, 0), 1);
    RECT box{};
    GetClientRect(one, &box);
    EXPECT_GT(SendMessageW(one, LB_GETHORIZONTALEXTENT, 0, 0), box.right);
    EXPECT_EQ(tabOrder(dialog), (std::vector<int>{KV_IDC_TERMINALS_LSTRELAYED, KV_IDC_TERMINALS_CMBTERMSYSTEM,
                                                  KV_IDC_TERMINALS_CMDREMOVE, KV_IDC_TERMINALS_LBLSTATUS,
                                                  KV_IDC_TERMINALS_LSTFOUND, KV_IDC_TERMINALS_CMDBROWSE,
                                                  KV_IDC_TERMINALS_CMDADD, KV_IDC_TERMINALS_CMDCLOSE}));
    EXPECT_EQ(LOWORD(SendMessageW(dialog, DM_GETDEFID, 0, 0)), KV_IDC_TERMINALS_CMDADD);

    SendMessageW(several, LB_SETSEL, TRUE, 1);
    command(dialog, KV_IDC_TERMINALS_LSTFOUND, LBN_SELCHANGE);
    EXPECT_EQ(found.selected, (std::vector<std::size_t>{0, 1, 2}));
    // What a handler changes is shown: a new item, another selection.
    events.onAny = [&](const std::string&) {
        relayed.items.push_back("MT4   D:\\MT4\\");
        relayed.selected = {2};
        found.selected = {};
    };
    command(dialog, KV_IDC_TERMINALS_CMDADD, BN_CLICKED);
    EXPECT_EQ(events.seen, (std::vector<std::string>{"pick lstFound", "button cmdAdd"}));
    EXPECT_EQ(SendMessageW(one, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageW(one, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageW(several, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(DialogCheck, TheMainWindowIsNeverShownAndAHolderOfTheCoreHasNoWindow) {
    Form main{"FrmMainMdi", "Korvane Vantor", {}, &events};
    windows.setState(main, WindowState::Minimized);
    windows.hide(main);
    windows.destroy(main);
    EXPECT_FALSE(IsWindowVisible(hiddenWindow.handle()));
    EXPECT_TRUE(IsWindow(hiddenWindow.handle()));

    Form holder{"FrmManual", "FrmManual", {}, &events};
    windows.show(holder);
    EXPECT_EQ(windows.handleOf(holder), nullptr);
}

}  // namespace
}  // namespace kv::platform::win32::checks
