#include <gtest/gtest.h>

#include "relay/order_fields.h"
#include "shell/base/text_values.h"

using namespace kv;

TEST(SplitOrderLine, ShortAndMalformedLines) {
    // The last field is the whole rest, further ";" and blanks included.
    EXPECT_EQ(splitOrderLine("1;2;3;501;O7;BUY;EURUSD;0.10;1.1;1.0;1.2;0;0;1;x ").demoFlag, "1;x ");
    for (std::string_view tiny : {"", "x"}) {
        OrderLine o = splitOrderLine(tiny);
        for (std::string_view f : {o.lineDate, o.orderNo, o.orderState, o.demoFlag, o.stateMark, o.modStamp})
            EXPECT_EQ(f, " ") << "line '" << tiny << "'";
    }
    // A missing ";" leaves the rest as it is: every later field repeats it.
    OrderLine two = splitOrderLine("7;8");
    EXPECT_EQ(two.lineDate, "7");
    EXPECT_EQ(two.orderNo, "8");
    EXPECT_EQ(two.demoFlag, "8");
    EXPECT_EQ(two.stateMark, "8");
    EXPECT_EQ(two.modStamp, "");

    OrderLine noMark = splitOrderLine("1;2;3;501;;BUY");
    EXPECT_EQ(noMark.stateMark, "");
    EXPECT_EQ(noMark.modStamp, "");
    EXPECT_EQ(noMark.orderType, "BUY");
    EXPECT_EQ(noMark.demoFlag, "BUY");
}

TEST(SplitKnownRecord, ThreeFieldsLastTakesTheRest) {
    KnownRecord r = splitKnownRecord("501;O;7;x");
    EXPECT_EQ(r.knownOrderNo, "501");
    EXPECT_EQ(r.knownMark, "O");
    EXPECT_EQ(r.knownStamp, "7;x");
    KnownRecord bare = splitKnownRecord("ab");
    EXPECT_EQ(bare.knownOrderNo, "ab");
    EXPECT_EQ(bare.knownStamp, "ab");
    EXPECT_EQ(splitKnownRecord("a").knownOrderNo, " ");
}

TEST(SplitReply, StateEndsAtBlankLessItsLastCharacter) {
    auto ack = splitReply("501;O7\n");
    ASSERT_TRUE(ack);
    EXPECT_EQ(ack->replyOrderNo, "501");
    EXPECT_EQ(ack->replyState, "O7");
    EXPECT_EQ(splitReply("501;O77 ok")->replyState, "O7");
    EXPECT_EQ(splitReply("501;")->replyState, "");
    EXPECT_EQ(splitReply("error")->replyOrderNo, "error");
    EXPECT_EQ(splitReply("error")->replyState, "erro");
    EXPECT_FALSE(splitReply(""));
    EXPECT_FALSE(splitReply("5"));
}

TEST(OrderLineHelpers, RecordAndShortLineTest) {
    EXPECT_EQ(knownRecordOf(splitOrderLine("1;2;3;501;O7;BUY;EURUSD;0.10;1.1;1.0;1.2;0;0;1")), "501;O;7");
    EXPECT_TRUE(isShortOrderLine("  1234567   "));
    EXPECT_FALSE(isShortOrderLine("  12345678 "));
    EXPECT_TRUE(isShortOrderLine("        "));
    EXPECT_EQ(trimSpaces("\t a \t"), "\t a \t");  // only blanks are trimmed
}
