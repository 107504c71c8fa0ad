#include <gtest/gtest.h>

#include "platform/headless/headless_platform.h"
#include "support/machine.h"
#include "settings/folders/terminal_data_folder.h"
#include "settings/folders/terminal_files_folder.h"

using kv::platform::headless::HeadlessPlatform;
using namespace std::chrono_literals;

namespace {

constexpr const char* kTerminal = "Roaming/MetaQuotes/Terminal/";

// One trader's disk: an MT4 folder and the roaming folder MT4 keeps its data folders in.
struct Disk {
    HeadlessPlatform hp;
    kv::TerminalFilesFolder folders{hp.files, hp.text, hp.clock};
    std::string mt4 = hp.root() + "\\MT4\\";

    // A data folder with its MQL4\Files (or MQL5\Files), and origin.txt unless its bytes are empty.
    std::string dataFolder(const std::string& name, const std::string& origin, const std::string& mql = "MQL4") {
        hp.makeFolder(kTerminal + name + "/" + mql + "/Files");
        if (!origin.empty()) hp.writeFile(kTerminal + name + "/origin.txt", origin);
        return hp.files.roamingAppDataFolder() + "\\MetaQuotes\\Terminal\\" + name + "\\" + mql + "\\Files";
    }
    // An order log written `ago` before the clock's now.
    void log(const std::string& folder, std::chrono::seconds ago) {
        std::string relative = folder.substr(hp.root().size() + 1);
        for (char& c : relative)
            if (c == '\\') c = '/';
        hp.writeFile(relative + "/systemorder.log", "");
        hp.setWriteTime(relative + "/systemorder.log", hp.clock.utc - ago);
    }
    std::string choose() { return folders.choose(mt4, kv::MetaTrader::Four); }
};

}  // namespace

TEST(FilesFolder, EachLayoutIsFoundByItsLogThenByItsFolder) {
    Disk d;  // nothing there: the folder of MT4 up to build 509
    EXPECT_EQ(d.choose(), d.mt4 + "experts\\files");
    d.hp.makeFolder("MT4/MQL4/Files");  // portable, the expert not attached yet
    EXPECT_EQ(d.choose(), d.mt4 + "MQL4\\Files");
    const std::string data = d.dataFolder("ABC", d.mt4);
    EXPECT_EQ(d.choose(), data);  // the data folder comes first
    d.log(d.mt4 + "experts\\files", 5s);
    EXPECT_EQ(d.choose(), d.mt4 + "experts\\files");  // the only log wins
    d.log(d.mt4 + "MQL4\\Files", 4s);
    EXPECT_EQ(d.choose(), d.mt4 + "MQL4\\Files");
    d.log(data, 3s);
    EXPECT_EQ(d.choose(), data);
}

TEST(FilesFolder, OriginTxtNamesTheFolderInAnyEncoding) {
    Disk d;
    // The MT4 folder holds an e-acute; Latin-1 stands in for the code page here.
    d.mt4 = d.hp.root() + "\\M\xC3\xA9 4\\";
    const std::string root = d.hp.root();
    for (const std::string& origin : {kvtest::utf16WithMark(root + "\\M\xE9 4\r\n"),  // as MT4 writes it
                                      "  " + root + "\\M\xE9 4\\  \r\n",          // ANSI, blanks, backslash
                                      "\xEF\xBB\xBF" + root + "\\m\xC3\x89 4",       // UTF-8, other case
                                      root + "\\M\xC3\xA9 4\r\n"}) {                // UTF-8 without a mark
        const std::string data = d.dataFolder("0123", origin);
        EXPECT_EQ(d.choose(), data) << testing::PrintToString(origin);
    }
}

TEST(FilesFolder, OnlyTheDataFolderThatBelongsIsTaken) {
    Disk d;
    const std::string other = d.dataFolder("AAAA", d.hp.root() + "\\Other MT4");
    d.log(other, 1s);
    EXPECT_EQ(d.choose(), d.mt4 + "experts\\files");
    // Without any origin.txt naming it, the folder named by the MD5 rule belongs.
    const std::string named = d.dataFolder(kv::terminalDataFolderName(d.hp.text, d.mt4), "");
    EXPECT_EQ(d.choose(), named);
    EXPECT_EQ(d.folders.describe(d.mt4, kv::MetaTrader::Four),
              "MetaTrader 4 found. No systemorder.log yet: the expert must write it into " + named);
    // An origin.txt that names it is taken before the MD5 rule.
    const std::string mine = d.dataFolder("BBBB", d.mt4);
    EXPECT_EQ(d.choose(), mine);
}

TEST(FilesFolder, Mt5AndMt4SideBySideEachTakeOnlyTheirOwn) {
    Disk d;
    const std::string mt5 = d.hp.root() + "\\MT5\\";
    auto choose5 = [&] { return d.folders.choose(mt5, kv::MetaTrader::Five); };
    d.log(mt5 + "experts\\files", 1s);  // no such folder in MT5
    EXPECT_EQ(choose5(), mt5 + "MQL5\\Files");
    const std::string mt4Data = d.dataFolder("AAAA", d.mt4);
    d.log(mt4Data, 3s);
    const std::string byMd5 = d.dataFolder(kv::terminalDataFolderName(d.hp.text, mt5), "", "MQL5");
    EXPECT_EQ(choose5(), byMd5);
    const std::string byOrigin = d.dataFolder("BBBB", kvtest::utf16WithMark(mt5), "MQL5");
    EXPECT_EQ(choose5(), byOrigin);
    d.log(mt5 + "MQL5\\Files", 1s);  // portable, and the only log of MT5
    EXPECT_EQ(choose5(), mt5 + "MQL5\\Files");
    EXPECT_EQ(d.choose(), mt4Data);  // MT4 is not led away by MT5's newer log
}

TEST(FilesFolder, AQuietLogIsLeftOnlyForANewerOneStillBeingWritten) {
    Disk d;
    const std::string legacy = d.mt4 + "experts\\files";
    const std::string data = d.dataFolder("CCCC", d.mt4);
    d.log(legacy, 90s);
    d.log(data, 10s);
    EXPECT_EQ(d.folders.recheck(d.mt4, kv::MetaTrader::Four, legacy), data);
    d.log(data, 70s);
    EXPECT_EQ(d.folders.recheck(d.mt4, kv::MetaTrader::Four, legacy), legacy);  // the other is quiet too
}
