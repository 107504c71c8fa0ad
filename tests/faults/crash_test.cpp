#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

// The program dies the first time a step of a file is reached.
struct FileCrash {
    const char* file;
    FileStep step;
};

}  // namespace

// A death in a cycle that closes 9, modifies 8 and opens 7: the next run sends
// again exactly the events whose acknowledgement was not yet saved.
TEST(Crashes, AfterADeathEveryFileIsWholeAndOnlyUnsavedEventsAreSentAgain) {
    const Requests all{"CloseTD 9", "EditTD 8", "SetTD 7"};
    struct Case {
        const char* where;
        std::optional<FileCrash> file;     // or in the service:
        int answersBeforeDeath;            // answers given before the program dies waiting (-1: not there)
        bool deathAfterAnswer;             // the service acknowledged the fatal request
        bool knownSaved, journalSaved;     // state files in their new version after the death
        Requests sentAgain;                // acknowledged twice by the service
        Requests journaledTwice;           // two Active.log lines
    };
    const std::vector<Case> cases{
        {"reading the order log", FileCrash{"systemorder.log", FileStep::Read}, -1, false, false, false, {}, {}},
        {"sending the first request", std::nullopt, 0, false, false, false, {}, {}},
        {"waiting for the second reply", std::nullopt, 1, true, false, false, {"CloseTD 9", "EditTD 8"}, {"CloseTD 9"}},
        {"journaling the first event", FileCrash{"Active.log", FileStep::Append}, -1, false, false, false,
         {"CloseTD 9"}, {}},
        {"replacing manualorder.log", FileCrash{"manualorder.log", FileStep::Replace}, -1, false, false, false, all,
         all},
        {"replacing TempClose.dat", FileCrash{"TempClose.dat", FileStep::Replace}, -1, false, true, false, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.where);
        Machine r;
        r.startRelaying({orderLine("9", "X2"), orderLine("8", "O2"), orderLine("7", "O1")}, {"9;O;1", "8;O;1"});
        r.write("Data/TempClose.dat", "3;X;1\r\n");
        const std::string oldKnown = r.known(), newKnown = "8;O;2\r\n7;O;1\r\n";
        const std::string oldJournal = r.journal(), newJournal = "3;X;1\r\n9;X;2\r\n";
        if (c.file) r.files.kill(c.file->step, c.file->file);
        int answers = 0;
        r.spoil = [&](const std::string&, const std::string& answer) -> std::optional<std::string> {
            if (answers++ == c.answersBeforeDeath) {
                if (c.deathAfterAnswer) r.acknowledgements[r.sent.back() + " " + answer.substr(2, 2)]++;
                throw Killed{};
            }
            return answer;
        };
        EXPECT_FALSE(r.survives([&] { r.tick(); }));
        EXPECT_EQ(r.known(), c.knownSaved ? newKnown : oldKnown);
        EXPECT_EQ(r.journal(), c.journalSaved ? newJournal : oldJournal);

        r.files.heal();
        r.spoil = nullptr;
        r.start();
        ASSERT_TRUE(r.logIn());
        for (int cycle = 0; cycle < 3; ++cycle) r.tick();
        EXPECT_EQ(r.known(), newKnown);
        // A close whose record was saved may lose its journal line: nothing is decided from it.
        EXPECT_EQ(r.journal(), c.knownSaved && !c.journalSaved ? oldJournal : newJournal);
        for (const std::string& event : all) {
            const bool twice = std::find(c.sentAgain.begin(), c.sentAgain.end(), event) != c.sentAgain.end();
            const bool twoLines =
                std::find(c.journaledTwice.begin(), c.journaledTwice.end(), event) != c.journaledTwice.end();
            int acknowledged = 0;
            for (const auto& [key, times] : r.acknowledgements)
                if (key.starts_with(event + " ")) acknowledged += times;
            EXPECT_EQ(acknowledged, twice ? 2 : 1) << event;
            EXPECT_EQ(r.journaled(event), twoLines ? 2 : 1) << event;
        }
        EXPECT_EQ(r.messages(), 0);
    }
}
