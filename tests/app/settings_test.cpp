#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

// A later run of an installed program with the settings window opened from the File menu.
struct SettingsScreen : Machine {
    SettingsScreen() {
        hp.writeFile("Data/Settings.dat", "C:\\Old\\\r\n");
        start();
        pick("mnuflset");
    }
    kv::FrmMainMdi& values() { return program().values(); }
    std::string& location() { return on("frmSettings", "mt4location").text; }
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
        s.save(chosen);
        EXPECT_EQ(s.values().pathname1, std::string(folder) + "experts\\files");
        EXPECT_EQ(s.hp.readFile("Data/Settings.dat"), std::string(folder) + "\r\n");
        EXPECT_FALSE(s.shows("frmLogin"));  // not a first run
    }
}

TEST(Settings, RejectedPathStaysInTheWindowAndTheFolderIsKept) {
    SettingsScreen s;
    s.save("C:\\Program Files\\Broker\\Terminal.exe");  // the search is case-sensitive
    EXPECT_TRUE(s.shows("frmSettings"));
    EXPECT_EQ(s.values().pathname1, "C:\\Old\\experts\\files");
    EXPECT_EQ(s.read("Data/Settings.dat"), "C:\\Old\\\r\n");

    s.hp.windows.click("frmSettings", "cmdCancel");
    s.pick("mnuflset");
    EXPECT_EQ(s.location(), "C:\\Program Files\\Broker\\Terminal.exeterminal.exe");
    s.location() = "typed";
    s.pick("mnuflset");  // the open window is shown again, not loaded again
    EXPECT_EQ(s.location(), "typed");
}

// The captions and both lines speak of the terminal in the path box: what Save will do while it is only
// typed, what was done once it is saved. With MT4, or nothing named, the window keeps its MT4 words.
TEST(Settings, TextsAndBothLinesFollowATypedAndASavedTerminal) {
    SettingsScreen s;
    auto texts = [&](const std::string& box) {
        s.hp.windows.type("frmSettings", "mt4location", box);
        const auto& f = s.hp.windows.onScreen("frmSettings");
        return f.caption + "|" + f.control("Label2").text + "|" + f.control("LblOrderLog").text + "|" +
               f.control("LblExpert").text;
    };
    s.save("C:\\MT5\\Terminal64.exe");  // as case-sensitive as terminal.exe
    EXPECT_TRUE(s.told("Make sure you have chosen terminal.exe (MT4) or terminal64.exe (MT5) file"));
    const std::string mt5 = s.hp.root() + "\\MT5\\";
    const std::string words = " MT5 Folder Location|MT5 Program File [Example: C:\\Program Files\\Broker_Name\\terminal64.exe]|";
    const std::string noLog = "MetaTrader 5 found. No systemorder.log yet: the expert must write it into " + mt5 + "MQL5\\Files|";
    s.hp.makeFolder("MT5/MQL5/Experts");
    EXPECT_EQ(texts(mt5 + "terminal64.exe"),
              words + noLog + "On Save, the expert KorvaneVantor.mq5 is put into " + mt5 + "MQL5\\Experts.");
    s.hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(s.read("Data/Settings.dat"), mt5 + "\r\nterminal64.exe\r\n");

    s.start();
    s.pick("mnuflset");
    EXPECT_EQ(s.location(), mt5 + "terminal64.exe");
    EXPECT_EQ(texts(s.location()), words + noLog + "The expert KorvaneVantor.mq5 is in place in " + mt5 +
                                       "MQL5\\Experts. It has not written its order log yet: drag KorvaneVantor "
                                       "from the Navigator onto one chart in MT5.");
    EXPECT_EQ(texts("C:\\MT4\\terminal.exe"),
              " MT4 Folder Location|MT4 Program Folder [Example: C:\\Program Files\\Broker_Name\\Terminal.exe]|"
              "MetaTrader 4 found. No systemorder.log yet: the expert must write it into C:\\MT4\\experts\\files|"
              "On Save, the expert KorvaneVantor.mq4 is put into C:\\MT4\\experts.");
    EXPECT_EQ(texts(""), words + "Choose the terminal.exe of your MT4 or the terminal64.exe of your MT5 to see where "
                                 "its orders are read.|The expert KorvaneVantor.mq5 is put into MT5 once the MT5 "
                                 "folder is saved.");
}

TEST(Settings, BrowseOpensWhereTheBoxPointsAndOnlyAPickChangesTheBoxAndItsLines) {
    SettingsScreen s;
    s.hp.fileDialog.answers = {std::nullopt, "D:\\MT4\\terminal.exe"};
    s.hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(s.hp.fileDialog.folder, "C:\\Old");  // it opens where the box points
    EXPECT_EQ(s.location(), "C:\\Old\\terminal.exe");
    s.hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(s.on("frmSettings", "LblOrderLog").text,
              "MetaTrader 4 found. No systemorder.log yet: the expert must write it into D:\\MT4\\experts\\files");
}

TEST(Settings, UnwritableFilesAreToldByNameAndNothingElseIsLost) {
    SettingsScreen s;
    s.files.refuseWrites("Settings.dat");
    s.save("F:\\MT4\\terminal.exe");
    EXPECT_TRUE(s.told("Data\\Settings.dat"));
    EXPECT_EQ(s.values().pathname1, "F:\\MT4\\experts\\files");  // used for this run

    Machine m(false);  // a first run whose marker cannot be written
    m.write("Data/Settings.dat", "C:\\MT4\\\r\n");
    m.files.refuseWrites("Install.dat");
    m.start();
    m.hp.windows.click("frmSettings", "cmdCancel");
    EXPECT_TRUE(m.told("Data\\Install.dat"));
    EXPECT_TRUE(m.shows("frmLogin"));
}
