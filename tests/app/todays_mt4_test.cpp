#include <gtest/gtest.h>

#include "trader.h"

using app::ProgramRun;
using kv::platform::headless::HeadlessPlatform;

// A trader on MT4 build 600 or later: the live order log is in the data
// folder, an old one of build 509 still lies in experts\files.
TEST(TodaysMt4, StartSettingsLabelAndSaveTakeTheLiveFolder) {
    HeadlessPlatform hp;
    app::install(hp);
    hp.setWriteTime("MT4/experts/files/systemorder.log", hp.clock.utc - std::chrono::hours(24 * 700));
    hp.writeFile("Roaming/MetaQuotes/Terminal/D1/origin.txt", app::mt4Folder(hp) + "\r\n");
    hp.writeFile("Roaming/MetaQuotes/Terminal/D1/MQL4/Files/systemorder.log", "");
    hp.setWriteTime("Roaming/MetaQuotes/Terminal/D1/MQL4/Files/systemorder.log", hp.clock.utc);
    const std::string live = hp.root() + "/Roaming\\MetaQuotes\\Terminal\\D1\\MQL4\\Files";

    ProgramRun run(hp);
    EXPECT_EQ(run.program.values().pathname1, live);
    run.pick("mnuflset");
    std::string& label = run.on("frmSettings", "LblOrderLog").text;
    EXPECT_EQ(label, "Orders are read from " + live + "\\systemorder.log");

    hp.windows.type("frmSettings", "mt4location", "C:\\Old\\terminal.exe");
    EXPECT_EQ(label, "No systemorder.log found yet: the MT4 expert must write it into C:\\Old\\experts\\files");
    hp.windows.type("frmSettings", "mt4location", "C:\\Old\\");
    EXPECT_EQ(label, "Choose the terminal.exe of your MT4 to see where its orders are read.");
    hp.fileDialog.answers = {app::mt4Folder(hp) + "terminal.exe"};
    hp.windows.click("frmSettings", "cmdBrowse");
    EXPECT_EQ(label, "Orders are read from " + live + "\\systemorder.log");

    run.program.values().pathname1.clear();
    hp.windows.click("frmSettings", "cmdSave");
    EXPECT_EQ(run.program.values().pathname1, live);
    EXPECT_EQ(hp.readFile("Data/Settings.dat"), app::mt4Folder(hp) + "\r\n");  // still only the MT4 folder
    EXPECT_TRUE(hp.messages.shown.empty());
}
