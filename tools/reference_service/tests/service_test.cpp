// The service over real HTTP on 127.0.0.1: routing, the record of requests,
// and the fault modes as a client sees them.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>
#include <vector>

#include "fault_mode.h"
#include "reference_service.h"

namespace refsvc {
namespace {

namespace fs = std::filesystem;

class RunningService : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("refsvc-http-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        std::ofstream(folder_ / "systemorder.log", std::ios::binary)
            << "20261206;x;1001;501;O7;BUY;EURUSD;0.1;1.1;1;1.2;0;0;1\r\n";
        record_.emplace((folder_ / "record.txt").string());
        service_.emplace(AccountBook::parse("a@x.test;pw;7;12;Alpha;13;Beta;\n"), OrderAcknowledger(folder_),
                         *record_, log_);
        port_ = service_->bind(0);
        thread_ = std::thread([this] { service_->run(); });
    }
    void TearDown() override {
        service_->stop();
        thread_.join();
        fs::remove_all(folder_);
    }

    // The reply body, or "<no reply>" when the request failed as a transport.
    std::string get(const std::string& target) {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(5, 0);
        const auto result = client.Get(target.c_str());
        return result ? result->body : "<no reply>";
    }
    void setMode(const std::string& query) { ASSERT_EQ(get("/__control?" + query).rfind("mode ", 0), 0u); }

    fs::path folder_;
    std::ostringstream log_;
    std::optional<RequestRecord> record_;
    std::optional<ReferenceService> service_;
    std::thread thread_;
    int port_ = 0;
};

TEST_F(RunningService, AnswersTheFiveRequestsAndRecordsThemInOrder) {
    EXPECT_EQ(get("/LoginCheckAction.do?email=a@x.test&password=pw"), "7;12;Alpha;13;Beta;");
    EXPECT_EQ(get("/LoginCheckAction.do?email=a%40x.test&password=bad"), "0;");
    EXPECT_EQ(get("/SetTD.do?systemid=12&accountno=1001&orderno=501&mode=New"), "501;O7\n");
    EXPECT_EQ(get("/EditTD.do?systemid=12&orderno=501&mode=Mod"), "501;O7ok\n");
    EXPECT_EQ(get("/CloseTD.do?orderno=501&mode=Cls"), "501;O7\n");
    EXPECT_EQ(get("/DeleteTD.do?orderno=999&mode=Del"), "unknown order");
    EXPECT_EQ(get("/SetTD.do?systemid=12"), "unknown order");
    EXPECT_EQ(get("/Other.do?x=1"), "not found");

    const std::string expected =
        "/LoginCheckAction.do?email=a@x.test&password=pw\n"
        "/LoginCheckAction.do?email=a%40x.test&password=bad\n"
        "/SetTD.do?systemid=12&accountno=1001&orderno=501&mode=New\n"
        "/EditTD.do?systemid=12&orderno=501&mode=Mod\n"
        "/CloseTD.do?orderno=501&mode=Cls\n"
        "/DeleteTD.do?orderno=999&mode=Del\n"
        "/SetTD.do?systemid=12\n"
        "/Other.do?x=1\n";
    EXPECT_EQ(get("/__requests"), expected) << "control requests stay out of the record";
    std::ifstream file(folder_ / "record.txt", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(file), {}), expected);
    EXPECT_NE(log_.str().find("/SetTD.do?systemid=12&accountno=1001&orderno=501&mode=New  =>  \"501;O7\\n\"  "
                              "acknowledged"),
              std::string::npos)
        << log_.str();
}

TEST_F(RunningService, FaultModesSpoilEveryReplyUntilSwitchedBack) {
    const std::string order = "/SetTD.do?orderno=501";
    setMode("mode=refuse");
    EXPECT_EQ(get(order), "error");
    EXPECT_EQ(get("/LoginCheckAction.do?email=a@x.test&password=pw"), "error");
    setMode("mode=short");
    EXPECT_EQ(get(order), "501;O7");
    setMode("mode=garble");
    const auto garbage = get(order);
    EXPECT_NE(garbage, "501;O7\n");
    EXPECT_EQ(garbage.find(';'), std::string::npos);
    setMode("mode=drop");
    EXPECT_EQ(get(order), "<no reply>");
    EXPECT_EQ(get(order), "<no reply>") << "the service survives its own dropped connections";
    setMode("mode=delay&ms=300");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(get(order), "501;O7\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
    setMode("mode=normal");
    EXPECT_EQ(get(order), "501;O7\n");
    EXPECT_NE(log_.str().find("(dropped)"), std::string::npos);
}

TEST_F(RunningService, RefusesUnknownControlRequests) {
    const std::vector<std::string> badSwitches = {"mode=sometimes",    "mode=Refuse",      "mode=",
                                                  "mode=delay",        "mode=delay&ms=12x", "mode=delay&ms=-1",
                                                  "mode=delay&ms=" + std::to_string(kMaxDelay.count() + 1)};
    for (const std::string& bad : badSwitches) {
        EXPECT_NE(get("/__control?" + bad).find("use mode="), std::string::npos) << bad;
    }
    EXPECT_EQ(get("/SetTD.do?orderno=501"), "501;O7\n") << "a bad switch leaves the mode as it was";
}

}  // namespace
}  // namespace refsvc
