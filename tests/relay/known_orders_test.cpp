#include <gtest/gtest.h>

#include "relay/known_orders.h"

using kv::KnownOrders;

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
    known.remove(5);        // and from their end
    known.append("1;O;g");
    known.remove(2);
    EXPECT_EQ(known.find("1"), 6u);
    known.remove(6);
    EXPECT_FALSE(known.find("1"));
    known.remove(1);
    known.remove(3);
    EXPECT_TRUE(known.empty());
    known.append("2;O;h");
    EXPECT_EQ(known.find("2"), 7u);
    known.compact();
    EXPECT_EQ(records, std::vector<std::string>{"2;O;h"});
}
