#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

// An installed program, an MT5 installed beside its MT4, and the Terminals window open.
struct TerminalsScreen : Machine {
    std::string mt5 = hp.root() + "\\Live MT5\\";
    TerminalsScreen() {
        hp.writeFile("Live MT5/terminal64.exe", "");
        hp.makeFolder("Roaming/MetaQuotes/Terminal/A1/MQL5/Files");
        hp.writeFile("Roaming/MetaQuotes/Terminal/A1/origin.txt", utf16WithMark(hp.root() + "\\Live MT5"));
        hp.writeFile("Roaming/MetaQuotes/Terminal/A1/MQL5/Files/systemorder.log", orderLine("1", "O1") + "\r\n");
        loginReply = "7;12;Alpha;13;Beta";
        start();
        pick("mnuflterm");
    }
    kv::platform::Control& control(const std::string& name) { return on("FrmTerminals", name); }
    void click(const std::string& button) { hp.windows.click("FrmTerminals", button); }
    void selectRow(std::size_t row) {
        hp.windows.select("FrmTerminals", "lstRelayed", {control("lstRelayed").items[row]});
    }
    void browse(const std::string& path) {
        hp.fileDialog.answers = {path};
        click("cmdBrowse");
    }
};

}  // namespace

TEST(Terminals, AddMapRemoveAndReadBackWhateverTheFileHolds) {
    TerminalsScreen s;
    EXPECT_EQ(s.hp.windows.windows["FrmTerminals"].timesCentred, 1);
    EXPECT_EQ(s.control("lstRelayed").items,
              std::vector<std::string>{"MT4   " + s.mt4Folder() + "   trade system chosen at login"});
    EXPECT_EQ(s.control("lstFound").items, std::vector<std::string>{"MT5   " + s.mt5 + "   account 1001"});
    // Added before any login: no system yet. The found list no longer offers it.
    s.hp.windows.select("FrmTerminals", "lstFound", s.control("lstFound").items);
    s.click("cmdAdd");
    EXPECT_EQ(s.read("Data/Terminals.dat"), "|MT5|" + s.mt5 + "\r\n");
    EXPECT_TRUE(s.control("lstFound").items.empty());
    EXPECT_EQ(s.control("lstRelayed").selected, std::vector<std::size_t>{1});
    const std::string data = s.hp.files.roamingFolder + "\\MetaQuotes\\Terminal\\A1\\MQL5";
    EXPECT_EQ(s.control("LblStatus").text,
              "MetaTrader 5 found. Orders are read from " + data + "\\Files\\systemorder.log\r\nMT5 has no experts "
              "folder " + data + "\\Experts yet. Start MT5 once (or check the MT5 folder above): the expert is put "
              "there within a minute.\r\nIts orders go to the trade system you choose at the next login.");

    // Mapped to a system listed at this login; the first terminal's is only shown.
    s.logIn();
    s.hp.windows.select("FrmSys", "cmbsystem", {"12 Alpha"});
    s.hp.windows.click("FrmSys", "CmdProcced");
    s.hp.windows.closeBox("FrmTerminals");
    s.pick("mnulvterm");
    EXPECT_EQ(s.control("cmbTermSystem").items, std::vector<std::string>{"12 Alpha"});
    s.selectRow(1);
    EXPECT_EQ(s.control("cmbTermSystem").items, (std::vector<std::string>{"12 Alpha", "13 Beta"}));
    s.hp.windows.select("FrmTerminals", "cmbTermSystem", {"13 Beta"});
    EXPECT_EQ(s.read("Data/Terminals.dat"), "13|MT5|" + s.mt5 + "\r\n");
    EXPECT_EQ(s.control("lstRelayed").items[1], "MT5   " + s.mt5 + "   system 13 Beta");

    // A portable one by Browse, outside the code page and 240 characters long, starts with the login's system.
    std::string portable = s.hp.root() + "\\Иван";  // 4 characters in 8 bytes
    while (portable.size() + 9 <= 244) portable += "\\portable";
    portable.resize(244, 'x');
    s.browse(portable + "\\terminal.exe");
    for (const std::string& again : {portable + "\\terminal.exe", s.mt4Folder() + "terminal.exe"}) {
        s.hp.messages.shown.clear();
        s.browse(again);
        EXPECT_TRUE(s.told("is relayed already")) << again;
    }
    s.browse(s.hp.root() + "\\notes.txt");
    EXPECT_TRUE(s.told("Make sure you have chosen terminal.exe (MT4) or terminal64.exe (MT5) file"));
    const std::string both = "13|MT5|" + s.mt5 + "\r\n12|MT4|" + portable + "\\\r\n";
    EXPECT_EQ(s.read("Data/Terminals.dat"), "\xEF\xBB\xBF" + both);
    s.selectRow(1);
    s.click("cmdRemove");
    EXPECT_EQ(s.read("Data/Terminals.dat"), "\xEF\xBB\xBF" "12|MT4|" + portable + "\\\r\n");
    s.selectRow(0);
    s.click("cmdRemove");
    EXPECT_TRUE(s.told("The first terminal is changed in the Setting window"));

    // Hand-edited: the damaged lines, and those naming the first terminal or an earlier one, are skipped
    // and told once; every other terminal is kept, with its files folder found afresh.
    s.write("Data/Terminals.dat", "\xEF\xBB\xBF" + both + "12|MT6|C:\\MT6\\\r\n\r\nx|MT4|C:\\A\\\r\n13|MT4|" +
                                      s.mt4Folder() + "\r\n13|MT5|" + s.mt5 + "\r\n");
    s.start();
    EXPECT_EQ(s.messages(), 1);
    for (const char* told : {"Data\\Terminals.dat", "Line 3: 12|MT6|C:\\MT6\\", "Line 5: x|MT4", "Line 6: 13|MT4",
                             "(the first terminal, set in the Setting window)", "Line 7: 13|MT5"})
        EXPECT_TRUE(s.told(told)) << told;
    const auto& others = s.program().values().otherTerminals;
    ASSERT_EQ(others.size(), 2u);
    EXPECT_EQ(others[0].filesFolder, s.hp.files.roamingFolder + "\\MetaQuotes\\Terminal\\A1\\MQL5\\Files");
    EXPECT_EQ(others[1].folder, portable + "\\");
    EXPECT_EQ(others[1].filesFolder, portable + "\\experts\\files");
}
