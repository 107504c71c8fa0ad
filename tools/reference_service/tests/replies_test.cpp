// What the service answers, without a network: the account file, the order
// acknowledgement looked up in the order log, and the query.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "account_book.h"
#include "order_acknowledger.h"
#include "raw_query.h"

namespace refsvc {
namespace {

namespace fs = std::filesystem;

TEST(AccountBook, AnswersEachKindOfLogin) {
    const auto book = AccountBook::parse(
        "# demo accounts\r\n"
        "multi@x.test;pw;7;12;Alpha;13;Beta;\r\n"
        "\r\n"
        "solo@x.test;secret;8;21;Solo\r"  // a lone CR ends a line too
        "empty@x.test;pw;9\n"
        "blank@x.test;pw;10;30;\n");
    EXPECT_EQ(book.loginReply("multi@x.test", "pw"), "7;12;Alpha;13;Beta;");
    EXPECT_EQ(book.loginReply("solo@x.test", "secret"), "8;21;Solo;");
    EXPECT_EQ(book.loginReply("empty@x.test", "pw"), "9;0");
    EXPECT_EQ(book.loginReply("blank@x.test", "pw"), "10;30;;");  // a system may have an empty name
    EXPECT_EQ(book.loginReply("solo@x.test", "SECRET"), "0;");
    EXPECT_EQ(book.loginReply("Solo@x.test", "secret"), "0;");
    EXPECT_EQ(book.loginReply("nobody@x.test", "pw"), "0;");
    EXPECT_EQ(book.loginReply("", ""), "0;");
}

TEST(AccountBook, RejectsMalformedLinesNamingThem) {
    const auto messageOf = [](const std::string& text) {
        try {
            AccountBook::parse(text);
        } catch (const std::runtime_error& error) {
            return std::string(error.what());
        }
        return std::string("accepted");
    };
    EXPECT_NE(messageOf("a@x;pw;7\nb@x;pw\n").find("line 2"), std::string::npos);
    EXPECT_NE(messageOf("a@x;pw;7;12\n").find("without a name"), std::string::npos);
    EXPECT_NE(messageOf("a@x;pw;0;12;A\n").find("user id"), std::string::npos);
    EXPECT_NE(messageOf("a@x;pw;7;0;A\n").find("system id"), std::string::npos);
    EXPECT_NE(messageOf(";pw;7\n").find("e-mail"), std::string::npos);
}

class OrderLogFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("refsvc-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    void writeLog(const std::string& name, const std::string& text) {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    fs::path folder_;
};

TEST_F(OrderLogFolder, AcknowledgesWithTheStateFieldTheLogNowShows) {
    // Named as the expert writes it; the relay asks for it in lower case.
    writeLog("SystemOrder.log",
             "20261206;x;1001;5010;O9;BUY;EURUSD;0.1;1.1;1;1.2;0;0;1\r\n"
             "20261206;x;1001;501;O7;SELL;EURUSD;0.1;1.1;1;1.2;0;0;1\r"
             "20261206;x;1001;502;X3;BUYLIMIT;EURUSD;0.1;1.1;1;1.2;0;0;1");
    const OrderAcknowledger orders(folder_);
    EXPECT_EQ(orders.replyFor(OrderEvent::New, "501"), "501;O7\n");  // not the longer 5010
    EXPECT_EQ(orders.replyFor(OrderEvent::Modify, "501"), "501;O7ok\n");
    EXPECT_EQ(orders.replyFor(OrderEvent::Close, "5010"), "5010;O9\n");
    EXPECT_EQ(orders.replyFor(OrderEvent::Delete, "502"), "502;X3\n");  // last line without a line end
    EXPECT_EQ(orders.replyFor(OrderEvent::New, "50"), std::nullopt);

    writeLog("SystemOrder.log", "20261206;x;1001;501;X8;SELL;EURUSD;0.1;1.1;1;1.2;1.3;5;1\r\n");
    EXPECT_EQ(orders.orderState("501"), "X8") << "read afresh for every request";
}

TEST_F(OrderLogFolder, AcknowledgesNothingWithoutALogOrWithShortLines) {
    const OrderAcknowledger orders(folder_);
    EXPECT_EQ(orders.orderState("501"), std::nullopt);
    writeLog("systemorder.log", "1;2;3;501\r\n");  // no field 5
    EXPECT_EQ(orders.orderState("501"), std::nullopt);
    EXPECT_EQ(OrderAcknowledger(folder_ / "missing").orderState("501"), std::nullopt);
    // A trade system with a terminal of its own is answered from that terminal's log only.
    writeLog("systemorder.log", "20261206;x;1001;501;O7;SELL;EURUSD;0.1;1.1;1;1.2;0;0;1\r\n");
    const OrderAcknowledger bySystem(folder_ / "missing", {{"13", folder_}});
    EXPECT_EQ(bySystem.replyFor(OrderEvent::New, "501", "13"), "501;O7\n");
    EXPECT_EQ(bySystem.replyFor(OrderEvent::New, "501", "12"), std::nullopt);
}

TEST(RawQuery, TakesValuesAsTheTransportSentThem) {
    const std::string target = "/SetTD.do?systemid=12&symbol=EUR%20USD&lots=1+2&demo=&orderno=501&orderno=502";
    const auto query = queryOf(target);
    EXPECT_EQ(queryValue(query, "systemid"), "12");
    EXPECT_EQ(queryValue(query, "symbol"), "EUR USD");
    EXPECT_EQ(queryValue(query, "lots"), "1+2");
    EXPECT_EQ(queryValue(query, "demo"), "");
    EXPECT_EQ(queryValue(query, "orderno"), "501");
    EXPECT_EQ(queryValue(query, "mode"), std::nullopt);
    EXPECT_EQ(queryValue(queryOf("/SetTD.do"), "orderno"), std::nullopt);
    EXPECT_EQ(percentDecode("100%"), "100%");
    EXPECT_EQ(percentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(percentDecode("%41%62"), "Ab");
}

}  // namespace
}  // namespace refsvc
