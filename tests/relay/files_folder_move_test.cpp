#include <gtest/gtest.h>

#include "relay_harness.h"

using Requests = std::vector<std::string>;
using namespace std::chrono_literals;

namespace {

constexpr const char* kLive = "Roaming/MetaQuotes/Terminal/D1/MQL4/Files/";

// The relay of an MT4 folder whose expert writes, or will write, into a data folder.
struct Following : Relay {
    Following() {
        main.setMt4Folder(hp.root() + "\\MT4\\", main.pathname1);
        hp.service.answer = [](const std::string& url) -> std::optional<std::string> {
            const auto at = url.find("&orderno=") + 9;
            return url.substr(at, url.find('&', at) - at) + ";O1\n";
        };
    }
    void expertWritesLive(const std::vector<std::string>& lines, std::chrono::seconds ago = 0s) {
        hp.writeFile("Roaming/MetaQuotes/Terminal/D1/origin.txt", hp.root() + "\\MT4");
        hp.writeFile(std::string(kLive) + "systemorder.log", join(lines));
        hp.setWriteTime(std::string(kLive) + "systemorder.log", hp.clock.utc - ago);
    }
    bool readsLive() const { return main.pathname1.ends_with("D1\\MQL4\\Files"); }
};

const std::vector<std::string> kLiveOrders{
    Relay::order("5", "O1", "BUY", "20261205"),  // opened on the login date: new
    Relay::order("6", "O1", "BUY", "20261130"),  // open before it: taken as known
};

}  // namespace

TEST(FilesFolderMove, ExpertAttachedAfterTheStartIsFoundBeforeTheMissingLogMessage) {
    Following r;
    r.tick();
    EXPECT_EQ(r.hp.messages.shown.size(), 1u);  // nothing anywhere yet: the message as ever

    r.expertWritesLive(kLiveOrders);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_TRUE(r.readsLive());
    EXPECT_EQ(r.hp.messages.shown.size(), 1u);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 5"});
    EXPECT_EQ(r.hp.readFile(std::string(kLive) + "manualorder.log"), "6;O;1\r\n5;O;1\r\n");
}

TEST(FilesFolderMove, AStaleLegacyLogIsLeftOnceAMinuteForTheLiveOne) {
    Following r;
    r.writeOrders({Relay::order("7", "O1")});
    r.writeKnown({"7;O;1"});
    r.hp.setWriteTime(std::string(Relay::kFiles) + "systemorder.log", r.hp.clock.utc - 900h);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});

    r.expertWritesLive(kLiveOrders);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});  // looked at once a minute only
    EXPECT_FALSE(r.readsLive());
    r.hp.clock.utc += 61s;
    r.expertWritesLive(kLiveOrders, 2s);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{"SetTD 5"});
    EXPECT_TRUE(r.readsLive());
    EXPECT_EQ(r.known(), "7;O;1\r\n");  // the old folder's record is left as it was

    // Back to the old folder only once the live log is quiet and the old one written anew.
    r.hp.clock.utc += 61s;
    r.writeOrders({Relay::order("7", "O1")});
    r.hp.setWriteTime(std::string(Relay::kFiles) + "systemorder.log", r.hp.clock.utc - 1s);
    r.expertWritesLive(kLiveOrders, 30s);
    EXPECT_EQ(r.tickAndTakeRequests(), Requests{});
    EXPECT_TRUE(r.readsLive());
}
