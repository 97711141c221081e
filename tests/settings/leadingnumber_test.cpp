// Tests of the leading-number reading of the load-setting fields.
#include <gtest/gtest.h>

#include <clocale>

#include "settings/leadingnumber.h"

TEST(LeadingNumberTest, ReadsTheNumberTheTextBeginsWith)
{
    EXPECT_DOUBLE_EQ(LeadingNumber("12abc"), 12.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("  -3.25xyz"), -3.25);
    EXPECT_DOUBLE_EQ(LeadingNumber("+7"), 7.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(".5"), 0.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.5e2ms"), 150.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("5e"), 5.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("5e+x"), 5.0);
}

TEST(LeadingNumberTest, TextWithoutALeadingNumberIsZero)
{
    EXPECT_DOUBLE_EQ(LeadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("abc12"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("-"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("."), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("１２"), 0.0);  // full-width digits are not a number
}

TEST(LeadingNumberTest, RoundsHalvesToEvenAndStaysInThe32BitRange)
{
    EXPECT_EQ(LeadingNumberInt32("2.5"), 2);
    EXPECT_EQ(LeadingNumberInt32("3.5"), 4);
    EXPECT_EQ(LeadingNumberInt32("-2.5"), -2);
    EXPECT_EQ(LeadingNumberInt32("2.51"), 3);
    EXPECT_EQ(LeadingNumberInt32("2147483647"), 2147483647);
    EXPECT_EQ(LeadingNumberInt32("2147483648"), 2147483647);
    EXPECT_EQ(LeadingNumberInt32("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(LeadingNumberInt32("1e999"), 2147483647);
    EXPECT_EQ(LeadingNumberInt32("-1e999"), -2147483647 - 1);
    EXPECT_EQ(LeadingNumberInt32("1e-999"), 0);
}

TEST(LeadingNumberTest, DecimalPointDoesNotDependOnTheLocale)
{
    const char* german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    EXPECT_DOUBLE_EQ(LeadingNumber("2.75"), 2.75);
    if (german)
        std::setlocale(LC_NUMERIC, "C");
}
