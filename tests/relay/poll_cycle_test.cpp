#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

TEST(IdleCycles, AnyChangedByteInTheThreeFilesIsLookedAtAgain) {
    Machine r;
    r.startRelaying();
    r.writeKnown({"1;O;1", "2;O;1"});
    r.writeOrders({orderLine("1", "O1"), orderLine("2", "O1")});
    for (int i = 0; i < 3; ++i) EXPECT_EQ(r.cycle(), Requests{});
    EXPECT_EQ(r.program().manual().systemlist.size(), 2u);  // the tables stay as the last look left them

    r.writeKnown({"1;O;1"});  // only the known-order record changed
    EXPECT_EQ(r.cycle(), Requests{"SetTD 2"});
    EXPECT_EQ(r.cycle(), Requests{});
    r.hp.writeFile("Data/TempClose.dat", " \r\n");  // only the journal changed
    r.tick();
    EXPECT_EQ(r.journal(), "");
    EXPECT_EQ(r.hp.service.requests.size(), 0u);

    r.tick();
    r.program().manual().unload();  // a new load empties the tables: the next tick fills them again
    r.tick();
    EXPECT_EQ(r.program().manual().manuallist, (std::vector<std::string>{"1;O;1", "2;O;1"}));
}

TEST(IdleCycles, UnchangedFilesAreNotRewritten) {
    Machine r;
    r.startRelaying({orderLine("1", "O1")}, {"1;O;1"});
    r.write("Data/TempClose.dat", "0;X;1\r\n");
    int replaced = 0;
    r.files.decide = [&](FileStep step, const std::string&) {
        replaced += step == FileStep::Replace;
        return FileError::None;
    };
    r.tick();
    EXPECT_EQ(replaced, 0);
    r.writeKnown({"1;O;1", "x"});  // the one-character line is dropped on the next write
    r.tick();
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(r.known(), "1;O;1\r\n");
}

// The walk goes on (a close with nothing known left is journaled at once, never later), but
// the events behind a silent request wait for the next cycle instead of each timing out.
TEST(Replies, NoReplyStopsOnlyTheRequestsOfTheCycle) {
    Machine x;
    x.startRelaying({orderLine("5", "X3"), orderLine("6", "O1"), orderLine("7", "O1"), orderLine("5", "X3")},
                    {"5;O;1"});
    x.spoil = [](const std::string& url, const std::string& answer) -> std::optional<std::string> {
        if (pairValue(url, "orderno") == "6") return std::nullopt;
        return answer;
    };
    EXPECT_EQ(x.cycle(), (Requests{"CloseTD 5", "SetTD 6"}));
    EXPECT_EQ(x.journal(), "5;X;3\r\n5;X;3\r\n");
    x.spoil = nullptr;
    EXPECT_EQ(x.cycle(), (Requests{"SetTD 6", "SetTD 7"}));
    EXPECT_EQ(x.known(), "6;O;1\r\n7;O;1\r\n");
    EXPECT_EQ(x.messages(), 0);
}
