#include "shell/main_window.h"

#include <cmath>
#include <optional>
#include <vector>

#include "settings/folders/terminal_files_folder.h"
#include "settings/folders/settings_line.h"
#include "settings/terminals_file.h"
#include "shell/data_folder_check.h"
#include "shell/service_host.h"

namespace kv {

using platform::MessageIcon;
using platform::WindowState;

namespace {

constexpr long kLeftButtonUp = 514;
constexpr long kLeftDoubleClick = 515;
constexpr long kRightButtonDown = 516;
constexpr const char* kTrayTip = "Korvane - Vantor";
// The expert's placement looks again about once a minute, never inside a poll cycle.
constexpr unsigned kExpertLookMs = 60 * 1000;

struct MenuCommand {
    platform::MenuItem item;
    void (MainWindow::*run)();  // none for a separator
};

const std::vector<MenuCommand>& mnufile() {
    static const std::vector<MenuCommand> menu{
        {{"mnuFlSi", "&Login..."}, &MainWindow::mnuFlSi},
        {{"mnuflset", "&Setting..."}, &MainWindow::mnuflset},
        {{"mnuflterm", "&Terminals..."}, &MainWindow::mnuflterm},
        {{"", "-"}, nullptr},
        {{"mnuflex", "&Exit"}, &MainWindow::mnuflex},
    };
    return menu;
}

const std::vector<MenuCommand>& Mnulive() {
    static const std::vector<MenuCommand> menu{
        {{"mnulvSo", "&Logout"}, &MainWindow::mnulvSo},
        {{"mnulvset", "&Setting..."}, &MainWindow::mnulvset},
        {{"mnulvterm", "&Terminals..."}, &MainWindow::mnulvterm},
        {{"", "-"}, nullptr},
        {{"mnulvex", "&Exit"}, &MainWindow::mnulvex},
    };
    return menu;
}

}  // namespace

MainWindow::MainWindow(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                       RelaySwitch& relay, FrmManual& manual, FrmLogin& login, FrmSys& systems,
                       FrmSettings& settings, FrmTerminals& terminals, ExpertPlacement& expert)
    : Window(platform.windows, "FrmMainMdi", "Korvane Vantor"),
      platform_(platform),
      main_(main),
      module_(module),
      relay_(relay),
      manual_(manual),
      login_(login),
      systems_(systems),
      settings_(settings),
      terminals_(terminals),
      expert_(expert),
      activityWriter_(platform, "This run's activity record is lost.") {}

void MainWindow::onLoad() {
    setState(WindowState::Minimized);
    platform_.tray.add(kTrayTip);
    hide();
    tellIfDataFolderUnwritable(platform_);
    readsettings();
    TerminalsFile(platform_).load(main_);
    expert_.place();
    relay_.terminalsChanged();  // each other terminal gets its engine and our expert
    expertLook_ = platform_.timers.create([this] {
        expert_.lookAgain();
        relay_.lookAgainAtExperts();
    });
    expertLook_->setInterval(kExpertLookMs);
    expertLook_->setEnabled(true);
    main_.host = serviceHost(platform_);
    main_.TimerInterval = "1000";
    relay_.mytimer().setInterval(static_cast<unsigned>(std::stoul(main_.TimerInterval)));
    module_.installFilePath = platform_.files.lookup(platform_.dataFile("Install.dat"));
    if (module_.installFilePath.empty()) openSettings();
}

void MainWindow::onUnload() { platform_.tray.remove(); }

void MainWindow::readsettings() {
    std::string bytes;
    std::optional<std::string> folder;
    if (platform_.files.readAll(platform_.dataFile("Settings.dat"), bytes) == platform::FileError::None)
        folder = terminalFolderFromSettings(platform_.text, bytes);
    if (folder) {
        const MetaTrader terminal = terminalFromSettings(platform_.text, bytes);
        TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
        main_.setTerminalFolder(*folder, terminal, folders.choose(*folder, terminal));
        return;
    }
    platform_.messages.showModal(
        "Please locate your MT4 install folder now! For MT5, choose its terminal64.exe instead of terminal.exe.",
        MessageIcon::Information);
    openSettings();
}

void MainWindow::iconCallback(double x) {
    const long message = std::lround(x);
    if (message == kLeftButtonUp || message == kLeftDoubleClick) openFromIcon();
    if (message != kRightButtonDown) return;
    const bool loggedIn = main_.swlogin == 1;
    if (!loggedIn) main_.swlogin = 0;
    const auto& menu = loggedIn ? Mnulive() : mnufile();

    std::vector<platform::MenuItem> items;
    for (const auto& command : menu) items.push_back(command.item);
    const std::string picked = platform_.menus.popup(items);
    for (const auto& command : menu)
        if (command.run && command.item.name == picked) (this->*command.run)();
}

// A click on the icon opens what the trader most likely wants: the login while
// nobody is logged in, else the settings window, which shows the terminal and
// the expert. A window already open only comes to the front, so a double
// click neither opens it twice nor undoes what was typed.
void MainWindow::openFromIcon() {
    if (main_.swlogin == 1) {
        openSettings();
    } else if (login_.loaded()) {
        login_.showModeless();
        login_.setState(WindowState::Normal);
    } else {
        mnuFlSi();
    }
}

void MainWindow::openSettings() {
    settings_.showModeless();
    settings_.setState(WindowState::Normal);
}

// The address box opens empty unless a remembered address fills it.
void MainWindow::mnuFlSi() {
    login_.control("txtUser").text.clear();
    login_.LoadRememberedLogin();
    login_.showModeless();
    login_.setState(WindowState::Normal);
}

void MainWindow::mnuflset() {
    settings_.showModeless();
    login_.LoadRememberedLogin();
    settings_.setState(WindowState::Normal);
}

void MainWindow::mnulvset() { openSettings(); }

void MainWindow::openTerminals() {
    terminals_.showModeless();
    terminals_.setState(WindowState::Normal);
}

void MainWindow::mnuflterm() { openTerminals(); }
void MainWindow::mnulvterm() { openTerminals(); }

void MainWindow::mnulvSo() {
    relay_.stop();
    main_.swlogin = 0;
}

void MainWindow::mnuflex() { exitProgram(); }
void MainWindow::mnulvex() { exitProgram(); }

void MainWindow::exitProgram() {
    relay_.stop();
    manual_.unload();
    unload();
    writeactivity();
    login_.discard();
    settings_.discard();
    terminals_.discard();
    systems_.discard();
    platform_.process.end();
}

void MainWindow::writeactivity() {
    const platform::DateTime now = platform_.clock.now();
    const std::string activityEndTime = platform_.clock.timeText(now);
    const std::string start = module_.loginTime ? platform_.clock.timeText(*module_.loginTime) : std::string();
    std::string counter = std::to_string(module_.reportCounter);
    if (module_.reportCounter >= 0) counter.insert(counter.begin(), ' ');  // a sign's place
    activityWriter_.append(platform_.dataFile("Active.dat"), platform_.clock.shortDateText(now) + " start time = " +
                                                                 start + " end time = " + activityEndTime +
                                                                 " Counter Activelog = " + counter);
}

}  // namespace kv
