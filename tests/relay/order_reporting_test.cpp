#include <gtest/gtest.h>

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
