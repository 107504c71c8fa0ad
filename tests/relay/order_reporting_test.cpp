#include <gtest/gtest.h>

#include "relay/known_orders.h"
#include "relay/order_reporting.h"

using namespace kv;

namespace {
const std::string kLine = "20261204;f2;1001;501;O7;BUY LIMIT;EUR&USD;0.10;1.1000;1.0950;1.1100;1.2000;-5.5;1";
}

TEST(RequestUrl, PairsInOrderForEachEvent) {
    OrderLine line = splitOrderLine(kLine);
    EXPECT_EQ(requestUrl("http://svc", "77", OrderEvent::New, line),
              "http://svc/SetTD.do?systemid=77&accountno=1001&orderno=501&ordertype=BUY LIMIT&symbol=EUR&USD"
              "&lots=0.10&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&demo=1&mode=New");
    EXPECT_EQ(requestUrl("http://svc", "77", OrderEvent::Modification, line),
              "http://svc/EditTD.do?systemid=77&accountno=1001&orderno=501&ordertype=BUY LIMIT"
              "&lots=0.10&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&mode=Mod");
    EXPECT_EQ(requestUrl("http://svc", "77", OrderEvent::Close, line),
              "http://svc/CloseTD.do?systemid=77&accountno=1001&orderno=501&ordertype=BUY LIMIT"
              "&lots=0.10&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&closeprice=1.2000&pnl=-5.5&mode=Cls");
    EXPECT_EQ(requestUrl("http://svc", "77", OrderEvent::Delete, line),
              "http://svc/DeleteTD.do?systemid=77&accountno=1001&orderno=501&ordertype=BUY LIMIT"
              "&lots=0.10&openprice=1.1000&stoploss=1.0950&takeprofit=1.1100&closeprice=1.2000&mode=Del");
}

TEST(Acknowledgement, OrderNumberAndWholeFieldFiveThenExtraCharacters) {
    OrderLine line = splitOrderLine(kLine);
    EXPECT_TRUE(acknowledges("501;O7\n", OrderEvent::New, line));
    EXPECT_TRUE(acknowledges("501;O7x trailing words", OrderEvent::Close, line));
    EXPECT_FALSE(acknowledges("501;O7", OrderEvent::New, line));  // the extra character is missing
    EXPECT_FALSE(acknowledges("501;O8\n", OrderEvent::New, line));
    EXPECT_FALSE(acknowledges("502;O7\n", OrderEvent::New, line));
    EXPECT_TRUE(acknowledges("501;O7ok\n", OrderEvent::Modification, line));
    EXPECT_FALSE(acknowledges("501;O7\n", OrderEvent::Modification, line));
    for (const char* garbage : {"", "\n", "<html>500</html>", ";;;;", "501 O7\n"})
        EXPECT_FALSE(acknowledges(std::string(garbage), OrderEvent::New, line)) << garbage;
    EXPECT_FALSE(acknowledges(std::nullopt, OrderEvent::New, line));
}

TEST(KnownOrders, FirstRecordWinsThroughRemovalsAndAppends) {
    std::vector<std::string> records{"1;O;a", "2;O;b", "1;O;c", "3;O;d", "1;O;e"};
    KnownOrders known(records);
    EXPECT_EQ(known.find("1"), 0u);
    EXPECT_FALSE(known.find("4"));
    EXPECT_FALSE(known.find("1;O"));

    known.remove(known.find("1").value());  // the duplicate behind it counts now
    EXPECT_EQ(known.find("1"), 2u);
    known.append("1;O;f");  // a modified record goes to the end
    known.remove(4);        // from the middle of its number's records
    known.remove(2);
    EXPECT_EQ(known.find("1"), 5u);
    known.remove(5);
    EXPECT_FALSE(known.find("1"));
    known.remove(1);
    known.remove(3);
    EXPECT_TRUE(known.empty());
    known.append("2;O;g");
    EXPECT_EQ(known.find("2"), 6u);
    known.compact();
    EXPECT_EQ(records, std::vector<std::string>{"2;O;g"});
}
