#include "settings/frm_settings.h"

#include "settings/expert_line.h"
#include "settings/folders/terminal_files_folder.h"
#include "settings/folders/settings_line.h"
#include "settings/terminal_choice.h"

namespace kv {

using platform::ControlKind;

namespace {

// The window's own words for each terminal. MT4's are the ones it always had,
// and stay until an MT5 is named.
struct TerminalTexts {
    const char* caption;
    const char* location;
    const char* program;
};

const TerminalTexts& textsFor(MetaTrader terminal) {
    static const TerminalTexts mt4{" MT4 Folder Location", "MT4 Location ?",
                                   "MT4 Program Folder [Example: C:\\Program Files\\Broker_Name\\Terminal.exe]"};
    static const TerminalTexts mt5{" MT5 Folder Location", "MT5 Location ?",
                                   "MT5 Program File [Example: C:\\Program Files\\Broker_Name\\terminal64.exe]"};
    return terminal == MetaTrader::Five ? mt5 : mt4;
}

}  // namespace

FrmSettings::FrmSettings(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                         FrmLogin& login, ExpertPlacement& expert)
    : Window(platform.windows, "frmSettings", textsFor(MetaTrader::Four).caption),
      platform_(platform),
      main_(main),
      module_(module),
      login_(login),
      expert_(expert),
      lineLook_(platform.timers.create([this] { showChoice(); })),
      settingsWriter_(platform, "The MT4 folder is used now, but it has to be chosen again at the next start."),
      installWriter_(platform, "This window will open again at the next start.") {}

void FrmSettings::createControls() {
    const TerminalTexts& texts = textsFor(MetaTrader::Four);
    addControl("Label1", ControlKind::Label, texts.location);
    addControl("Label2", ControlKind::Label, texts.program);
    addControl("mt4location", ControlKind::TextBox);
    addControl("cmdBrowse", ControlKind::Button, "Browse");
    addControl("cmdSave", ControlKind::Button, "Save");
    addControl("cmdCancel", ControlKind::Button, "Cancel");
    addControl("LblOrderLog", ControlKind::Label);
    addControl("LblExpert", ControlKind::Label);
    // These show a path in full, whatever the trader's script.
    form().control("mt4location").form = platform::TextForm::Utf8;
    form().control("LblOrderLog").form = platform::TextForm::Utf8;
    form().control("LblExpert").form = platform::TextForm::Utf8;
}

// A new installation starts with an empty box: a bare terminal.exe would read as a path.
void FrmSettings::onLoad() {
    centre();
    control("mt4location").text = main_.pathname.empty() ? std::string() : main_.pathname + terminalProgram(main_.terminal);
    showChoice();
    lineLook_->setInterval(1000);
    lineLook_->setEnabled(true);
}

void FrmSettings::onTextChange(const std::string& name) {
    if (name == "mt4location") showChoice();
}

// For the terminal named in the path box, or, while it names none, the saved one:
// the captions, where its orders are read, and where its expert is or goes on Save.
void FrmSettings::showChoice() {
    if (!loaded()) return;  // discarded at Exit
    const std::string& path = control("mt4location").text;
    const auto named = findTerminalProgram(path);
    const MetaTrader terminal = named ? named->terminal : main_.terminal;
    const TerminalTexts& texts = textsFor(terminal);
    form().caption = texts.caption;
    control("Label1").text = texts.location;
    control("Label2").text = texts.program;
    std::string& orderLog = control("LblOrderLog").text;
    std::string& expert = control("LblExpert").text;
    if (!named || named->at == 0) {
        orderLog = std::string(kChooseTerminal) + " to see where its orders are read.";
        expert = placementNotYet(terminal);
    } else {
        const std::string folder = path.substr(0, named->at);
        TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
        orderLog = folders.describe(folder, terminal);
        expert = folder == main_.pathname && terminal == main_.terminal
                     ? placementLine(expert_.result(), platform_)
                     : placementOnSave(terminal, expertsFolderOf(folders.choose(folder, terminal)));
    }
    refresh();
}

void FrmSettings::onButton(const std::string& name) {
    if (name == "cmdBrowse") browse();
    if (name == "cmdSave") save();
    if (name == "cmdCancel") unload();
}

// Starts in the folder of the path box; a cancelled dialog leaves the box as it was.
void FrmSettings::browse() {
    const std::string& path = control("mt4location").text;
    const auto cut = path.find_last_of('\\');
    if (auto chosen = platform_.fileDialog.choose(kChooseTerminal, cut == std::string::npos ? "" : path.substr(0, cut))) {
        control("mt4location").text = *chosen;
        showChoice();
    }
}

void FrmSettings::save() {
    main_.pathname = control("mt4location").text;
    const auto chosen = chosenTerminal(main_.pathname, platform_.messages);
    if (!chosen) return;
    settingsWriter_.replace(platform_.dataFile("Settings.dat"),
                            settingsLines(platform_.text, chosen->folder, chosen->kind));
    TerminalFilesFolder folders(platform_.files, platform_.text, platform_.clock);
    main_.setTerminalFolder(chosen->folder, chosen->kind, folders.choose(chosen->folder, chosen->kind));
    expert_.place();
    unload();
}

void FrmSettings::onUnload() {
    lineLook_->setEnabled(false);
    module_.installFilePath = platform_.files.lookup(platform_.dataFile("Install.dat"));
    if (!module_.installFilePath.empty()) return;
    installWriter_.replace(platform_.dataFile("Install.dat"), {module_.installFilePath});
    login_.showModeless();
    login_.setState(platform::WindowState::Normal);
}

}  // namespace kv
