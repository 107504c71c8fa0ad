#include <gtest/gtest.h>

#include "settings/folders/installed_terminals.h"
#include "support/machine.h"

using kv::MetaTrader;

// A data folder names its installation by origin.txt in any encoding, and its kind by its MQL4 or MQL5
// folder; a leftover of an uninstalled terminal, a folder without origin.txt or MQL folder, and a second
// data folder of the same installation are no terminals of their own.
TEST(InstalledTerminals, EachInstallationOnceWithItsKindFilesFolderAndAccount) {
    kvtest::HeadlessPlatform hp;
    kv::TerminalFilesFolder folders{hp.files, hp.text, hp.clock};
    const std::string root = hp.root();
    const std::string data = hp.files.roamingAppDataFolder() + "\\MetaQuotes\\Terminal\\";
    auto dataFolder = [&](const std::string& id, const std::string& mql, const std::string& origin) {
        if (!mql.empty()) hp.makeFolder("Roaming/MetaQuotes/Terminal/" + id + "/" + mql + "/Files");
        if (!origin.empty()) hp.writeFile("Roaming/MetaQuotes/Terminal/" + id + "/origin.txt", origin);
    };
    hp.writeFile("Demo MT4/terminal.exe", "");
    hp.writeFile("Live MT5/terminal64.exe", "");
    dataFolder("B2", "MQL4", kvtest::utf16WithMark(root + "\\Demo MT4\r\n"));
    dataFolder("A1", "MQL5", "\xEF\xBB\xBF  " + root + "\\Live MT5\\\r\n");
    dataFolder("C3", "MQL4", root + "\\demo mt4");   // the same installation
    dataFolder("D4", "MQL4", root + "\\Uninstalled");  // its program is gone
    dataFolder("E5", "", root + "\\Demo MT4");        // never started: no MQL folder
    dataFolder("F6", "MQL4", "");                       // no origin.txt
    // The account of the first whole line; a line still being written does not count.
    hp.writeFile("Roaming/MetaQuotes/Terminal/B2/MQL4/Files/systemorder.log",
                 "header\r\n" + kvtest::orderLine("1", "O1") + "\r\n20261207;0;99");
    hp.writeFile("Roaming/MetaQuotes/Terminal/A1/MQL5/Files/systemorder.log",
                 kvtest::utf16WithMark("20261207;0;5551002"));

    const auto found = kv::installedTerminals(hp.files, hp.text, folders);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].folder, root + "\\Demo MT4\\");
    EXPECT_EQ(found[0].kind, MetaTrader::Four);
    EXPECT_EQ(found[0].filesFolder, data + "B2\\MQL4\\Files");
    EXPECT_EQ(found[0].account, "1001");
    EXPECT_EQ(found[1].folder, root + "\\Live MT5\\");
    EXPECT_EQ(found[1].kind, MetaTrader::Five);
    EXPECT_EQ(found[1].filesFolder, data + "A1\\MQL5\\Files");
    EXPECT_EQ(found[1].account, "");
    EXPECT_EQ(kv::accountInOrderLog(kvtest::utf16WithMark("20261207;0;5551002;4\r\n"), hp.text), "5551002");
}
