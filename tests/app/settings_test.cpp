#include <gtest/gtest.h>

#include "trader.h"

using app::ProgramRun;
using kv::platform::headless::HeadlessPlatform;

namespace {

// A later run of an installed program with the settings window opened from the File menu.
struct SettingsScreen {
    HeadlessPlatform hp;
    std::optional<ProgramRun> run;
    SettingsScreen() {
        app::install(hp);
        hp.writeFile("Data/Settings.dat", "C:\\Old\\\r\n");
        run.emplace(hp);
        run->pick("mnuflset");
    }
    kv::FrmMainMdi& values() { return run->program.values(); }
    std::string& location() { return run->on("frmSettings", "mt4location").text; }
    void save(const std::string& path) {
        location() = path;
        hp.windows.click("frmSettings", "cmdSave");
    }
};

}  // namespace

TEST(Settings, SaveKeepsTheFolderBeforeTheFirstTerminalExe) {
    for (auto [chosen, folder] : {std::pair{"C:\\Program Files\\Broker\\terminal.exe", "C:\\Program Files\\Broker\\"},
                                  {"C:\\MT4\\terminal.exe.bak", "C:\\MT4\\"},
                                  {"D:\\terminal.exe\\copy\\terminal.exe", "D:\\"},
                                  {"C:\\MT4terminal.exe", "C:\\MT4"},
                                  {"terminal.exe", ""}}) {
        SCOPED_TRACE(chosen);
        SettingsScreen s;
        EXPECT_EQ(s.location(), "C:\\Old\\terminal.exe");
        s.save(chosen);
        EXPECT_TRUE(s.hp.messages.shown.empty());
        EXPECT_EQ(s.values().pathname1, std::string(folder) + "experts\\files");
        EXPECT_EQ(s.hp.readFile("Data/Settings.dat"), std::string(folder) + "\r\n");
        EXPECT_FALSE(s.run->shows("frmSettings"));
        EXPECT_FALSE(s.run->shows("frmLogin"));  // not a first run
    }
}

TEST(Settings, RejectedPathStaysInTheWindowAndTheFolderIsKept) {
    SettingsScreen s;
    s.save("C:\\Program Files\\Broker\\Terminal.exe");  // the search is case-sensitive
    ASSERT_EQ(s.hp.messages.shown.size(), 1u);
    EXPECT_EQ(s.hp.messages.shown[0].text, "The Application is invalid. Make sure you have chosen terminal.exe file");
    EXPECT_TRUE(s.run->shows("frmSettings"));
    EXPECT_EQ(s.hp.readFile("Data/Settings.dat"), "C:\\Old\\\r\n");
    EXPECT_EQ(s.values().pathname1, "C:\\Old\\experts\\files");

    s.hp.windows.click("frmSettings", "cmdCancel");
    s.run->pick("mnuflset");
    EXPECT_EQ(s.location(), "C:\\Program Files\\Broker\\Terminal.exeterminal.exe");
    s.location() = "typed";
    s.run->pick("mnuflset");  // the open window is shown again, not loaded again
    EXPECT_EQ(s.location(), "typed");
}

TEST(Settings, BrowseFillsTheBoxAndACancelledBrowseKeepsIt) {
    SettingsScreen s;
    s.hp.fileDialog.answers = {std::nullopt, std::string("E:\\MT4 Live\\terminal.exe"), std::nullopt};
    s.hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(s.location(), "C:\\Old\\terminal.exe");
    s.hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(s.location(), "E:\\MT4 Live\\terminal.exe");
    s.hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(s.location(), "E:\\MT4 Live\\terminal.exe");
}

TEST(Settings, UnwritableFilesAreToldByNameAndNothingElseIsLost) {
    SettingsScreen s;
    app::refuseWrites(s.hp, "Settings.dat");
    s.save("F:\\MT4\\terminal.exe");
    EXPECT_TRUE(app::mentions(s.hp, "Data\\Settings.dat"));
    EXPECT_EQ(s.values().pathname1, "F:\\MT4\\experts\\files");  // used for this run
    EXPECT_EQ(s.hp.readFile("Data/Settings.dat"), "C:\\Old\\\r\n");

    HeadlessPlatform hp;  // a first run whose marker cannot be written
    hp.writeFile("Data/Settings.dat", "C:\\MT4\\\r\n");
    app::refuseWrites(hp, "Install.dat");
    ProgramRun run(hp);
    hp.windows.click("frmSettings", "cmdCancel");
    EXPECT_TRUE(app::mentions(hp, "Data\\Install.dat"));
    EXPECT_TRUE(run.shows("frmLogin"));
}
