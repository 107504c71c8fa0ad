#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

// A death in a cycle that closes 9, modifies 8 and opens 7: the next run sends
// again exactly the events whose acknowledgement was not yet saved.
TEST(Crashes, AfterADeathEveryFileIsWholeAndOnlyUnsavedEventsAreSentAgain) {
    const Requests all{"CloseTD 9", "EditTD 8", "SetTD 7"};
    struct Case {
        const char* file;         // the program dies the first time it reaches this step of it
        FileStep step;
        bool knownSaved;          // manualorder.log in its new version after the death
        Requests sentAgain;       // acknowledged twice by the service
        Requests journaledTwice;  // two Active.log lines
    };
    const std::vector<Case> cases{
        {"Active.log", FileStep::Append, false, {"CloseTD 9"}, {}},
        {"manualorder.log", FileStep::Replace, false, all, all},
        {"TempClose.dat", FileStep::Replace, true, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Machine r;
        r.startRelaying({orderLine("9", "X2"), orderLine("8", "O2"), orderLine("7", "O1")}, {"9;O;1", "8;O;1"});
        r.write("Data/TempClose.dat", "3;X;1\r\n");
        const std::string oldKnown = r.known(), newKnown = "8;O;2\r\n7;O;1\r\n";
        const std::string oldJournal = r.journal(), newJournal = "3;X;1\r\n9;X;2\r\n";
        r.files.kill(c.step, c.file);
        EXPECT_FALSE(r.survives([&] { r.tick(); }));
        EXPECT_EQ(r.known(), c.knownSaved ? newKnown : oldKnown);
        EXPECT_EQ(r.journal(), oldJournal);

        r.files.heal();
        r.start();
        ASSERT_TRUE(r.logIn());
        for (int cycle = 0; cycle < 3; ++cycle) r.tick();
        EXPECT_EQ(r.known(), newKnown);
        // A close whose record was saved may lose its journal line: nothing is decided from it.
        EXPECT_EQ(r.journal(), c.knownSaved ? oldJournal : newJournal);
        for (const std::string& event : all) {
            int acknowledged = 0;
            for (const auto& [key, times] : r.acknowledgements)
                if (key.starts_with(event + " ")) acknowledged += times;
            EXPECT_EQ(acknowledged, 1 + std::ranges::count(c.sentAgain, event)) << event;
            EXPECT_EQ(r.journaled(event), 1 + std::ranges::count(c.journaledTwice, event)) << event;
        }
        EXPECT_EQ(r.messages(), 0);
    }
}
