#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// A trader on MT4 build 600 or later: the live order log is in the data
// folder, an old one of build 509 still lies in experts\files.
TEST(TodaysMt4, StartSettingsLabelAndSaveTakeTheLiveFolder) {
    Machine m;
    auto& hp = m.hp;
    hp.setWriteTime("MT4/experts/files/systemorder.log", hp.clock.utc - std::chrono::hours(24 * 700));
    hp.writeFile("Roaming/MetaQuotes/Terminal/D1/origin.txt", m.mt4Folder() + "\r\n");
    hp.writeFile("Roaming/MetaQuotes/Terminal/D1/MQL4/Files/systemorder.log", "");
    hp.setWriteTime("Roaming/MetaQuotes/Terminal/D1/MQL4/Files/systemorder.log", hp.clock.utc);
    const std::string live = hp.root() + "/Roaming\\MetaQuotes\\Terminal\\D1\\MQL4\\Files";

    m.start();
    EXPECT_EQ(m.program().values().pathname1, live);
    m.pick("mnuflset");
    std::string& label = m.on("frmSettings", "LblOrderLog").text;
    EXPECT_EQ(label, "MetaTrader 4 found. Orders are read from " + live + "\\systemorder.log");

    hp.windows.type("frmSettings", "mt4location", "C:\\Old\\");
    EXPECT_EQ(label, "Choose the terminal.exe of your MT4 or the terminal64.exe of your MT5 to see where its orders are read.");
    hp.fileDialog.answers = {m.mt4Folder() + "terminal.exe"};
    hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(label, "MetaTrader 4 found. Orders are read from " + live + "\\systemorder.log");

    m.program().values().pathname1.clear();
    hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(m.program().values().pathname1, live);
    EXPECT_EQ(hp.readFile("Data/Settings.dat"), m.mt4Folder() + "\r\n");  // still only the MT4 folder
    EXPECT_TRUE(hp.messages.shown.empty());
}
