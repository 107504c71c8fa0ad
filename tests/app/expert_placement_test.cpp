#include <gtest/gtest.h>

#include "support/machine.h"

using namespace kvtest;

namespace {

constexpr const char* kLegacyExpert = "MT4/experts/KorvaneVantor.mq4";

std::string ours(const std::string& version) {
    return "#property copyright \"Korvane - Vantor\"\r\n#property version   \"" + version + "\"\r\n";
}

// The settings window's line about the expert.
std::string expertLine(Machine& m) {
    m.pick("mnuflset");
    return m.on("frmSettings", "LblExpert").text;
}

// The once-a-minute look of the placement (the timer with that interval).
void aMinuteLater(Machine& m) {
    for (auto* timer : m.hp.timers.timers)
        if (timer->interval() == 60 * 1000) timer->fire();
}

}  // namespace

// At each start: written when missing or older, else kept; the window tells how it went, no box ever does.
TEST(ExpertPlacement, StartWritesOnlyWhatIsMissingOrOlderOfOurs) {
    Machine m;
    m.hp.expert.sources["KorvaneVantor.mq4"] = ours("1.10");
    m.start();
    EXPECT_EQ(m.read(kLegacyExpert), ours("1.10"));
    m.hp.setWriteTime(Machine::orderFile("systemorder.log"), m.hp.clock.utc - std::chrono::seconds(2));
    EXPECT_EQ(expertLine(m), "The expert KorvaneVantor.mq4 was put into " + m.mt4Folder() +
                                 "experts. Its order log was written 2 s ago.");
    for (auto [there, kept] : {std::pair{ours("1.9"), false}, {ours("1.10") + "// edited\r\n", true},
                               {ours("2.00"), true}, {"#property copyright \"Someone\"\r\n", true},
                               {"//+-+\n#property   copyright  \"Korvane - Vantor\"\n#property version \"1.05\"", false}}) {
        m.write(kLegacyExpert, there);
        m.start();
        EXPECT_EQ(m.read(kLegacyExpert), kept ? there : ours("1.10")) << there;
    }
    EXPECT_EQ(m.messages(), 0);
}

TEST(ExpertPlacement, AFolderThatRefusesTheFileGetsALineAndKeepsWhatWasThere) {
    Machine m;
    m.files.refuseWrites("KorvaneVantor.mq4");
    m.write(kLegacyExpert, ours("0.50"));
    m.start();
    EXPECT_EQ(m.read(kLegacyExpert), ours("0.50"));
    EXPECT_EQ(m.messages(), 0);
    const std::string experts = m.mt4Folder() + "experts";
    EXPECT_EQ(expertLine(m), "Could not put KorvaneVantor.mq4 into " + experts + " (access is denied). Copy "
                                 "KorvaneVantor.mq4 from " + m.hp.root() + " into " + experts + " by hand.");
    m.files.heal();
    aMinuteLater(m);
    EXPECT_EQ(m.read(kLegacyExpert), ours("1.00"));
}

// Save moves the relay to a data folder whose MQL4\Experts MT4 has not made yet, then makes.
TEST(ExpertPlacement, SaveAndTheMinuteLookPlaceIntoTheFolderInUse) {
    Machine m;
    m.start();
    m.hp.writeFile("Roaming/MetaQuotes/Terminal/D1/origin.txt", m.mt4Folder() + "\r\n");
    m.hp.writeFile("Roaming/MetaQuotes/Terminal/D1/MQL4/Files/systemorder.log", "");
    m.hp.setWriteTime(Machine::orderFile("systemorder.log"), m.hp.clock.utc - std::chrono::hours(24));
    m.pick("mnuflset");
    m.hp.windows.click("frmSettings", "cmdSave");
    EXPECT_NE(expertLine(m).find("MT4 has no experts folder " + m.hp.root() + "/Roaming\\MetaQuotes"),
              std::string::npos);
    m.hp.makeFolder("Roaming/MetaQuotes/Terminal/D1/MQL4/Experts");
    aMinuteLater(m);
    EXPECT_EQ(m.read("Roaming/MetaQuotes/Terminal/D1/MQL4/Experts/KorvaneVantor.mq4"), ours("1.00"));
    EXPECT_EQ(m.messages(), 0);
}
