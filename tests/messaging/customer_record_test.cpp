#include "messaging/customer_record.h"

#include <gtest/gtest.h>

namespace messaging {
namespace {

TEST(FormatPhone, TenCharactersGetTheAreaCodePattern) {
    EXPECT_EQ(FormatPhone("5551234567"), "(555) 123 - 4567");
    EXPECT_EQ(FormatPhone("  5551234567 "), "(555) 123 - 4567");
}

TEST(FormatPhone, OtherLengthsFillTheShortPatternFromTheRight) {
    EXPECT_EQ(FormatPhone("5551234"), "      555 - 1234");
    EXPECT_EQ(FormatPhone("1234"), "       - 1234");
    EXPECT_EQ(FormatPhone(""), "       - ");
    // more characters than placeholders: the rest goes in front
    EXPECT_EQ(FormatPhone("15551234567"), "      1555123 - 4567");
}

}  // namespace
}  // namespace messaging
