#include "settings/frm_settings.h"

#include "settings/folders/mt4_files_folder.h"
#include "settings/folders/settings_line.h"

namespace kv {

using platform::ControlKind;

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
    control("mt4location").text = main_.pathname + terminalProgram(main_.terminal);
    showFilesFolder();
    showExpert();
    expertLook_->setInterval(1000);
    expertLook_->setEnabled(true);
}

void FrmSettings::onTextChange(const std::string& name) {
    if (name == "mt4location") showFilesFolder();
}

// Below the path: which terminal is named there, and where the relay will read its orders.
void FrmSettings::showFilesFolder() {
    const std::string& path = control("mt4location").text;
    const auto found = findTerminalProgram(path);
    control("LblOrderLog").text =
        !found || found->at == 0
            ? "Choose the terminal.exe of your MT4 or the terminal64.exe of your MT5 to see where its orders are read."
            : Mt4FilesFolder(platform_.files, platform_.text, platform_.clock).describe(path.substr(0, found->at), found->terminal);
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
    const auto found = findTerminalProgram(main_.pathname);
    if (!found) {
        platform_.messages.show("The Application is invalid. Make sure you have chosen terminal.exe file",
                                platform::MessageIcon::Error);
        return;
    }
    const std::string folder = main_.pathname.substr(0, found->at);
    settingsWriter_.replace(platform_.dataFile("Settings.dat"), settingsLines(platform_.text, folder, found->terminal));
    main_.setMt4Folder(folder, found->terminal,
                       Mt4FilesFolder(platform_.files, platform_.text, platform_.clock).choose(folder, found->terminal));
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
