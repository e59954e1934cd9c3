#include "app/rules/CloakingScaleRules.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace lathwork::rules {
namespace {

BoxChange Move(int x, const std::string& tooltip) { return {.replaceWith = {}, .x = x, .tooltip = tooltip}; }

void ExpectChange(const std::string& text, int zoom, const BoxChange& want)
{
    const BoxChange got = ApplyBoxChange(text, zoom);
    EXPECT_EQ(got.replaceWith, want.replaceWith) << '"' << text << '"';
    EXPECT_EQ(got.x, want.x) << '"' << text << '"';
    EXPECT_EQ(got.tooltip, want.tooltip) << '"' << text << '"';
}

TEST(CloakingScaleRules, ZoomSetsLengthAndFactor)
{
    EXPECT_EQ(ScaleFactor(1), 116.0);
    EXPECT_EQ(ScaleFactor(3), 29.0);
    EXPECT_EQ(ZoomText(1), "2 km");
    EXPECT_EQ(ZoomText(3), "8 km");
    EXPECT_EQ(ZoomText(10), "1024 km");
}

TEST(CloakingScaleRules, ChangeRulePlacesWordsAndNumbers)
{
    ExpectChange("never", 1, Move(232, "NEVER"));
    ExpectChange("AlWaYs", 1, Move(0, "ALWAYS"));
    ExpectChange("2.5", 1, Move(290, "2.5km"));
    ExpectChange("0.5", 1, Move(58, "0.5km"));
    ExpectChange("2", 3, Move(58, "2km"));
    ExpectChange("9999", 10, Move(2265, "9999km"));
    ExpectChange("10000", 10, Move(2266, "10000km")); // 2265.625 rounds up
    ExpectChange(".5", 1, Move(58, "0.5km"));
    // Half pixels round to even: at zoom 4 a kilometre is 14.5 pixels.
    ExpectChange("1", 4, Move(14, "1km"));
    ExpectChange("3", 4, Move(44, "3km"));
}

TEST(CloakingScaleRules, ChangeRuleReplacesDotAndZero)
{
    ExpectChange(".", 1, {.replaceWith = "0.01", .x = {}, .tooltip = {}});
    for (const char* zero : {"0", "0.00", "00", "0e5"}) {
        ExpectChange(zero, 1, {.replaceWith = "ALWAYS", .x = {}, .tooltip = {}});
    }
}

TEST(CloakingScaleRules, ChangeRuleLeavesTheShipForOtherTexts)
{
    // Words by the text comparison ("", negatives, 99999) and texts that are no number.
    for (const char* text : {"", "abc", "-5", "-0", "99999", "+5", " 5", "1abc", "1.2.3", "/", "-99999", "1e39"}) {
        ExpectChange(text, 1, {});
    }
}

TEST(CloakingScaleRules, ZoomPlacesOnlyValidTexts)
{
    EXPECT_EQ(ShipPosition("NEVER", 4), 232);
    EXPECT_EQ(ShipPosition("always", 4), 0);
    EXPECT_EQ(ShipPosition("2", 1), 232);
    EXPECT_EQ(ShipPosition("2", 3), 58);
    EXPECT_EQ(ShipPosition("99999", 1), 11599884);
    for (const char* text : {"", "-5", "1abc", "words", "0"}) {
        EXPECT_EQ(ShipPosition(text, 2), std::nullopt) << text;
    }
    EXPECT_EQ(ShipPosition("1e30", 1), 1 << 24); // far off the pane, never an overflow
}

TEST(CloakingScaleRules, DragClampsAndGivesKilometres)
{
    EXPECT_EQ(ClampDragX(58), 58);
    EXPECT_EQ(ClampDragX(-3), 0);
    EXPECT_EQ(ClampDragX(300), 232);
    EXPECT_EQ(ClampDragX(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(DragText(58, 1), "0.5");
    EXPECT_EQ(DragText(232, 1), "2");
    EXPECT_EQ(DragText(1, 1), "0.01");
    EXPECT_EQ(DragText(0, 1), "0");
    EXPECT_EQ(DragText(1, 10), "4.41");
}

} // namespace
} // namespace lathwork::rules
