#include <cfloat>
#include <climits>
#include <cmath>
#include <limits>
#include <gtest/gtest.h>

#include "options/number_text.h"

namespace {

TEST(IntegerText, SkipsBlanksTakesOneSignAndStopsAtTheFirstNonDigit)
{
    EXPECT_EQ(parseIntText("42"), 42);
    EXPECT_EQ(parseIntText(" 42"), 42);
    EXPECT_EQ(parseIntText("\t\n\v\f\r 7"), 7);
    EXPECT_EQ(parseIntText("+7"), 7);
    EXPECT_EQ(parseIntText("-3"), -3);
    EXPECT_EQ(parseIntText("12abc"), 12);
    EXPECT_EQ(parseIntText("1.9"), 1);
    EXPECT_EQ(parseIntText("abc"), 0);
    EXPECT_EQ(parseIntText(""), 0);
    EXPECT_EQ(parseIntText("+-3"), 0);
    EXPECT_EQ(parseIntText("- 3"), 0);
    EXPECT_EQ(parseIntText("0x10"), 0);
    EXPECT_EQ(parseIntText(nullptr), 0);
}

TEST(IntegerText, SaturatesBeyondThirtyTwoBits)
{
    EXPECT_EQ(parseIntText("2147483647"), INT_MAX);
    EXPECT_EQ(parseIntText("-2147483648"), INT_MIN);
    EXPECT_EQ(parseIntText("2147483648"), INT_MAX);
    EXPECT_EQ(parseIntText("-2147483649"), INT_MIN);
    EXPECT_EQ(parseIntText("99999999999999999999999999999"), INT_MAX);
    EXPECT_EQ(parseIntText("-99999999999999999999999999999"), INT_MIN);
    EXPECT_EQ(parseIntText("0000000000000000000000000000012"), 12);
}

TEST(RealText, ReadsTheLongestDecimalPrefix)
{
    EXPECT_DOUBLE_EQ(parseRealText("2.5e1"), 25.0);
    EXPECT_DOUBLE_EQ(parseRealText(" -1.5"), -1.5);
    EXPECT_DOUBLE_EQ(parseRealText("+.5"), 0.5);
    EXPECT_DOUBLE_EQ(parseRealText("5."), 5.0);
    EXPECT_DOUBLE_EQ(parseRealText("3E-2x"), 0.03);
    EXPECT_DOUBLE_EQ(parseRealText("7e"), 7.0);    // an exponent without digits is not read
    EXPECT_DOUBLE_EQ(parseRealText("7e+"), 7.0);
    EXPECT_DOUBLE_EQ(parseRealText("1.2.3"), 1.2);
    EXPECT_DOUBLE_EQ(parseRealText("."), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText("abc"), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText(""), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText(nullptr), 0.0);
}

TEST(RealText, RefusesWhatIsNotADecimalNumber)
{
    EXPECT_DOUBLE_EQ(parseRealText("nan"), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText("inf"), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText("-infinity"), 0.0);
    EXPECT_DOUBLE_EQ(parseRealText("0x1p4"), 0.0);  // hex stops after the 0
    EXPECT_TRUE(std::isinf(parseRealText("1e999")));
}

// A limit given as 1e400 means no limit, as infinity does; a tiny positive
// one is still a limit, the smallest there is.
TEST(RealText, ExtremesKeepTheirSide)
{
    EXPECT_EQ(narrowToFloat(parseRealText("1e400")), HUGE_VALF);
    const double smallestDouble = std::numeric_limits<double>::denorm_min();
    const float smallestFloat = std::numeric_limits<float>::denorm_min();
    for (const char* tiny : {"1e-999", "0.000001e-400"})
        EXPECT_EQ(parseRealText(tiny), smallestDouble) << tiny;
    EXPECT_EQ(parseRealText("-1e-999"), -smallestDouble);
    EXPECT_EQ(parseRealText("0e-999"), 0.0);
    EXPECT_EQ(parseRealText("-0.000e-999"), 0.0);
    for (const char* tiny : {"1e-50", "1e-999", "7e-46"})
        EXPECT_EQ(narrowToFloat(parseRealText(tiny)), smallestFloat) << tiny;
    EXPECT_EQ(narrowToFloat(-1e-50), -smallestFloat);
    EXPECT_EQ(narrowToFloat(0.0), 0.0f);
    EXPECT_EQ(narrowToFloat(1e-40), static_cast<float>(1e-40));  // a subnormal float stays itself
}

TEST(RealText, NarrowingToFloatNeverOverflowsUndefined)
{
    EXPECT_EQ(narrowToFloat(0.1), 0.1f);
    EXPECT_EQ(narrowToFloat(1e30), 1e30f);
    EXPECT_EQ(narrowToFloat(1e300), HUGE_VALF);
    EXPECT_EQ(narrowToFloat(-1e300), -HUGE_VALF);
    EXPECT_EQ(narrowToFloat(static_cast<double>(FLT_MAX)), FLT_MAX);
}

} // namespace
