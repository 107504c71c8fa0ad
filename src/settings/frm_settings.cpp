#include "settings/frm_settings.h"

#include "settings/folders/mt4_files_folder.h"
#include "settings/folders/settings_line.h"

namespace kv {

using platform::ControlKind;

namespace {
constexpr const char* kTerminal = "terminal.exe";
}

FrmSettings::FrmSettings(const platform::Platform& platform, FrmMainMdi& main, ProsesWriteMO& module,
                         FrmLogin& login, ExpertPlacement& expert)
    : Window(platform.windows, "frmSettings", " MT4 Folder Location"),
      platform_(platform),
      main_(main),
      module_(module),
      login_(login),
      expert_(expert),
      expertLook_(platform.timers.create([this] { showExpert(); })),
      settingsWriter_(platform, "The MT4 folder is used now, but it has to be chosen again at the next start."),
      installWriter_(platform, "This window will open again at the next start.") {}

void FrmSettings::createControls() {
    addControl("Label1", ControlKind::Label, "MT4 Location ?");
    addControl("Label2", ControlKind::Label,
               "MT4 Program Folder [Example: C:\\Program Files\\Broker_Name\\Terminal.exe]");
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

void FrmSettings::onLoad() {
    centre();
    control("mt4location").text = main_.pathname + kTerminal;
    showFilesFolder();
    showExpert();
    expertLook_->setInterval(1000);
    expertLook_->setEnabled(true);
}

void FrmSettings::onTextChange(const std::string& name) {
    if (name == "mt4location") showFilesFolder();
}

// Below the path: where the relay will read the orders of the MT4 named there.
void FrmSettings::showFilesFolder() {
    const std::string& path = control("mt4location").text;
    const auto found = path.find(kTerminal);
    control("LblOrderLog").text = found == std::string::npos || found == 0
                                      ? "Choose the terminal.exe of your MT4 to see where its orders are read."
                                      : Mt4FilesFolder(platform_.files, platform_.clock).describe(path.substr(0, found));
    refresh();
}

// For the folder in use, not the one typed: Save puts the expert there.
void FrmSettings::showExpert() {
    if (!loaded()) return;  // discarded at Exit
    control("LblExpert").text = expert_.describe();
    refresh();
}

void FrmSettings::onButton(const std::string& name) {
    if (name == "cmdBrowse") browse();
    if (name == "cmdSave") save();
    if (name == "cmdCancel") unload();
}

void FrmSettings::browse() {
    // A cancelled dialog leaves the box as it was.
    if (auto chosen = platform_.fileDialog.choose()) {
        control("mt4location").text = *chosen;
        showFilesFolder();
    }
}

void FrmSettings::save() {
    main_.pathname = control("mt4location").text;
    auto found = main_.pathname.find(kTerminal);
    if (found == std::string::npos) {
        platform_.messages.show("The Application is invalid. Make sure you have chosen terminal.exe file",
                                platform::MessageIcon::Error);
        return;
    }
    const std::string folder = main_.pathname.substr(0, found);
    settingsWriter_.replace(platform_.dataFile("Settings.dat"), {settingsLine(platform_.files, folder)});
    main_.setMt4Folder(folder, Mt4FilesFolder(platform_.files, platform_.clock).choose(folder));
    expert_.place();
    showFilesFolder();
    unload();
}

void FrmSettings::onUnload() {
    expertLook_->setEnabled(false);
    module_.installFilePath = platform_.files.lookup(platform_.dataFile("Install.dat"));
    if (!module_.installFilePath.empty()) return;
    installWriter_.replace(platform_.dataFile("Install.dat"), {module_.installFilePath});
    login_.showModeless();
    login_.setState(platform::WindowState::Normal);
}

}  // namespace kv
