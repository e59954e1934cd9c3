#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>

namespace lathwork {
namespace {

TEST(CloakingConversion, ConstantsHaveTheirExactBitPatterns)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(kDistanceScale), 0x3EFDEC57B5264598u);
    EXPECT_EQ(std::bit_cast<std::uint64_t>(kDistancePower), 0xBFF15B60FF1E58B1u);
    EXPECT_EQ(kDistanceScale, 2.8537e-05);
    EXPECT_EQ(kDistancePower, -1.0848093);
}

TEST(CloakingConversion, KilometresRoundTripThroughTheStoredValue)
{
    EXPECT_NEAR(*DistanceValue("1"), 6.467e-05f, 1e-8f);
    EXPECT_NEAR(*DistanceValue("2"), 3.414e-05f, 1e-8f);
    EXPECT_NEAR(*DistanceValue("100"), 9.27e-07f, 1e-9f);
    for (const char* km : {"1", "2", "100", "0.01", "2.5", "9999", "1234.57"}) {
        EXPECT_EQ(DistanceText(*DistanceValue(km)), km);
    }
    EXPECT_EQ(DistanceText(3.413533e-05f), "2");
}

TEST(CloakingConversion, StoredValuesOutsideTheOpenIntervalAreWordsOrKeepTheBox)
{
    EXPECT_EQ(DistanceText(0.0f), "NEVER");
    EXPECT_EQ(DistanceText(-0.0f), "NEVER");
    EXPECT_EQ(DistanceText(std::numeric_limits<float>::quiet_NaN()), "NEVER");
    EXPECT_EQ(DistanceText(1.0f), "ALWAYS");
    EXPECT_EQ(DistanceText(std::nextafter(1.0f, 2.0f)), std::nullopt);
    EXPECT_EQ(DistanceText(-0.5f), std::nullopt);
    EXPECT_EQ(DistanceText(std::numeric_limits<float>::infinity()), std::nullopt);
    // Just below 1 the distance rounds to nothing; the box then turns "0" into "ALWAYS".
    EXPECT_EQ(DistanceText(std::nextafter(1.0f, 0.0f)), "0");
    // The smallest Single is an enormous distance, still shown as a number the box reads back.
    const auto far = DistanceText(std::numeric_limits<float>::denorm_min());
    ASSERT_TRUE(far.has_value());
    EXPECT_TRUE(DistanceValue(*far).has_value()) << *far;
}

TEST(CloakingConversion, TextsThatAreNoDistanceAreRefused)
{
    EXPECT_EQ(DistanceValue("NEVER"), 0.0f);
    EXPECT_EQ(DistanceValue("nEvEr"), 0.0f);
    EXPECT_EQ(DistanceValue("always"), 1.0f);
    EXPECT_EQ(DistanceValue(".5"), DistanceValue("0.5"));
    for (const char* text : {"", "1abc", "-5", "0", "0.0", "-0", "abc", " 2", "2 ", "+2", "1,5", "inf", "nan",
                             "1e400", "never!", "0x10"}) {
        EXPECT_EQ(DistanceValue(text), std::nullopt) << '"' << text << '"';
    }
    // So close to nothing that the stored value would overflow a Single.
    EXPECT_EQ(DistanceValue("1e-50"), std::nullopt);
    try {
        RequireDistanceValue("1abc", "high-visibility distance");
        FAIL();
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("high-visibility distance \"1abc\""), std::string::npos);
    }
}

TEST(CloakingConversion, FormattingRoundsHalfToEvenAndDropsTrailingZeros)
{
    EXPECT_EQ(FormatKilometres(2.5), "2.5");
    EXPECT_EQ(FormatKilometres(3.0), "3");
    EXPECT_EQ(FormatKilometres(0.125), "0.12");
    EXPECT_EQ(FormatKilometres(0.375), "0.38");
    EXPECT_EQ(FormatKilometres(0.004), "0");
    EXPECT_EQ(FormatKilometres(0.1), "0.1");
    EXPECT_EQ(FormatKilometres(1024), "1024");
}

TEST(CloakingConversion, BoxTextsSettleAsTheChangeRuleLeavesThem)
{
    EXPECT_EQ(SettledText("."), "0.01");
    for (const char* zero : {"0", "0.00", "00", "0e5"}) {
        EXPECT_EQ(SettledText(zero), "ALWAYS") << zero;
    }
    for (const char* stays : {"1abc", "-0", "", "never", "0.5", "99999"}) {
        EXPECT_EQ(SettledText(stays), stays);
    }
}

} // namespace
} // namespace lathwork
