#include "colour/ColourChoice.hpp"
#include "colour/PickedColour.hpp"
#include "colour/Similarity.hpp"
#include "opt/OptError.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace lathwork {
namespace {

constexpr std::uint32_t kMagenta = 0x00FF00FF;

// A picture filled with one colour.
RgbBuffer Picture(int w, int h, const Rgb& fill)
{
    return RgbBuffer(w, h, JoinColour(fill));
}

int CountMarked(const RgbBuffer& b)
{
    return static_cast<int>(std::count(b.Pixels().begin(), b.Pixels().end(), kMagenta));
}

TEST(IsSimilar, ToleranceFiveAroundTenTwentyThirty)
{
    const Rgb picked{10, 20, 30};
    EXPECT_TRUE(IsSimilar({15, 25, 35}, picked, 5));
    EXPECT_TRUE(IsSimilar({5, 15, 25}, picked, 5));
    EXPECT_FALSE(IsSimilar({16, 20, 30}, picked, 5));
    EXPECT_FALSE(IsSimilar({10, 14, 30}, picked, 5));
    EXPECT_FALSE(IsSimilar({10, 20, 36}, picked, 5));
    EXPECT_TRUE(IsSimilar({10, 20, 30}, picked, 0));
    EXPECT_FALSE(IsSimilar({11, 20, 30}, picked, 0));
    EXPECT_FALSE(IsSimilar({10, 20, 29}, picked, 0));
}

TEST(IsSimilar, BoundsAreNotClampedAndChannelsAreTestedApart)
{
    const Rgb picked{250, 3, 128};
    EXPECT_TRUE(IsSimilar({218, 0, 96}, picked, 32));
    EXPECT_TRUE(IsSimilar({255, 35, 160}, picked, 32));
    EXPECT_FALSE(IsSimilar({217, 0, 128}, picked, 32));
    EXPECT_FALSE(IsSimilar({250, 36, 128}, picked, 32));
    EXPECT_FALSE(IsSimilar({250, 3, 95}, picked, 32));
    EXPECT_FALSE(IsSimilar({250, 3, 161}, picked, 32));
    // No combined distance: every channel at its limit still matches.
    EXPECT_TRUE(IsSimilar({218, 35, 160}, picked, 32));
    EXPECT_TRUE(IsSimilar({0, 255, 0}, {255, 0, 255}, 255));
    EXPECT_FALSE(IsSimilar({10, 20, 30}, {10, 20, 30}, -1));
}

TEST(SplitColour, TakesRedGreenBlueFromTheLowThreeBytes)
{
    EXPECT_EQ(SplitColour(0x00FF00FF), (Rgb{255, 0, 255}));
    EXPECT_EQ(SplitColour(0xAA332211), (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(JoinColour({0x11, 0x22, 0x33}), 0x00332211u);
    EXPECT_EQ(JoinColour({300, -5, 255}), 0x00FF00FFu);
    for (std::uint32_t v : {0u, 0x00808080u, 0x00FFFFFFu, 0x00010203u}) {
        EXPECT_EQ(JoinColour(SplitColour(v)), v);
    }
}

TEST(RgbBuffer, RefusesPixelsOutsideAndNegativeSizes)
{
    RgbBuffer b(3, 2, 7);
    EXPECT_EQ(b.Get(2, 1), 7u);
    b.Set(2, 1, 9);
    EXPECT_EQ(b.Pixels()[5], 9u);
    EXPECT_THROW(b.Get(3, 0), OptError); // would alias (0, 1) if only the index were checked
    EXPECT_THROW(b.Set(0, 2, 1), OptError);
    EXPECT_THROW(b.Get(-1, 0), OptError);
    EXPECT_THROW(RgbBuffer(-1, 4), OptError);
}

TEST(MarkSimilarPixels, MarksExactlyTheSimilarPixelsOfTheTexture)
{
    RgbBuffer display = Picture(4, 3, {100, 100, 100});
    display.Set(0, 0, JoinColour({15, 25, 35}));
    display.Set(3, 2, JoinColour({5, 15, 25}));
    display.Set(1, 1, JoinColour({16, 20, 30}));
    display.Set(2, 1, JoinColour({10, 20, 30}));
    MarkSimilarPixels(display, 4, 3, {10, 20, 30}, 5);
    EXPECT_EQ(display.Get(0, 0), kMagenta); // top-left corner
    EXPECT_EQ(display.Get(3, 2), kMagenta); // bottom-right corner
    EXPECT_EQ(display.Get(2, 1), kMagenta);
    EXPECT_EQ(display.Get(1, 1), JoinColour({16, 20, 30}));
    EXPECT_EQ(CountMarked(display), 3);
}

TEST(MarkSimilarPixels, NeverMarksOutsideTheTextureOrThePicture)
{
    // A 256 x 256 pane holding a 2 x 2 texture: the rest of the pane is never touched.
    RgbBuffer pane = Picture(256, 256, {10, 20, 30});
    MarkSimilarPixels(pane, 2, 2, {10, 20, 30}, 0);
    EXPECT_EQ(CountMarked(pane), 4);
    EXPECT_EQ(pane.Get(2, 0), JoinColour({10, 20, 30}));
    EXPECT_EQ(pane.Get(0, 2), JoinColour({10, 20, 30}));

    // A texture larger than the picture marks only what is there.
    RgbBuffer small = Picture(3, 2, {10, 20, 30});
    MarkSimilarPixels(small, 1000, 1000, {10, 20, 30}, 0);
    EXPECT_EQ(CountMarked(small), 6);

    RgbBuffer none = Picture(3, 2, {10, 20, 30});
    MarkSimilarPixels(none, 0, 2, {10, 20, 30}, 0);
    MarkSimilarPixels(none, 3, -1, {10, 20, 30}, 0);
    EXPECT_EQ(CountMarked(none), 0);
}

TEST(MarkSimilarPixels, ReadsMarksAsMagenta)
{
    RgbBuffer display = Picture(2, 1, {10, 20, 30});
    display.Set(1, 0, JoinColour({250, 0, 250}));
    MarkSimilarPixels(display, 2, 1, {10, 20, 30}, 0);
    // The earlier mark is magenta now, so a pick near magenta takes it too.
    MarkSimilarPixels(display, 2, 1, {250, 0, 250}, 5);
    EXPECT_EQ(CountMarked(display), 2);
}

TEST(RemarkPickedColours, RestoresTheUnmarkedPictureThenMarksEveryPick)
{
    RgbBuffer holder(3, 1);
    holder.Set(0, 0, JoinColour({10, 10, 10}));
    holder.Set(1, 0, JoinColour({50, 50, 50}));
    holder.Set(2, 0, JoinColour({90, 90, 90}));
    RgbBuffer display = holder;
    const std::vector<Rgb> picked = {{12, 12, 12}, {88, 88, 88}};

    RemarkPickedColours(display, holder, 3, 1, picked, 2);
    EXPECT_EQ(display.Pixels(), (std::vector<std::uint32_t>{kMagenta, JoinColour({50, 50, 50}), kMagenta}));

    // A tighter tolerance repaints from the holder; going back restores the first marking.
    RemarkPickedColours(display, holder, 3, 1, picked, 1);
    EXPECT_EQ(display.Pixels(), holder.Pixels());
    RemarkPickedColours(display, holder, 3, 1, picked, 2);
    EXPECT_EQ(CountMarked(display), 2);

    // Identical picks: removing one keeps the marks of the other; removing all restores.
    RemarkPickedColours(display, holder, 3, 1, {{10, 10, 10}, {10, 10, 10}}, 0);
    const auto twice = display.Pixels();
    RemarkPickedColours(display, holder, 3, 1, {{10, 10, 10}}, 0);
    EXPECT_EQ(display.Pixels(), twice);
    RemarkPickedColours(display, holder, 3, 1, {}, 0);
    EXPECT_EQ(display.Pixels(), holder.Pixels());
}

TEST(PickedColour, TextsOfTheListsAndTheSwatch)
{
    EXPECT_EQ(ChannelText(0), "0");
    EXPECT_EQ(ChannelText(255), "255");
    EXPECT_EQ(SwatchText({12, 200, 7}), "12, 200, 7");
    EXPECT_EQ(SwatchText(SplitColour(kMagenta)), "255, 0, 255");
}

TEST(PickedColour, ParsesOnlyWholeNumbersFromZeroTo255)
{
    EXPECT_EQ(ParseChannel("0"), 0);
    EXPECT_EQ(ParseChannel("255"), 255);
    EXPECT_EQ(ParseChannel("007"), 7);
    for (const char* bad : {"", "256", "-1", "+5", " 5", "5 ", "1e2", "abc", "12.0", "99999999999999999999"}) {
        EXPECT_FALSE(ParseChannel(bad)) << bad;
    }
    EXPECT_EQ(ParsePickedColour("12", "200", "7"), (Rgb{12, 200, 7}));
    EXPECT_FALSE(ParsePickedColour("12", "", "7"));
    EXPECT_FALSE(ParsePickedColour("12", "200", "300"));
}

// The entries a colour choice selects, as the rewrites and a preview see them: every entry
// similar to some picked colour, listed where first found (picked colour outer, entry inner).
TEST(SelectedEntries, CustomSelectListsEverySimilarEntryOnceInDiscoveryOrder)
{
    std::vector<std::uint8_t> row(512, 0);
    auto put = [&](int entry, std::uint16_t v) {
        row[static_cast<std::size_t>(2 * entry)] = static_cast<std::uint8_t>(v);
        row[static_cast<std::size_t>(2 * entry + 1)] = static_cast<std::uint8_t>(v >> 8);
    };
    put(9, 0xFFFF);  // 248, 252, 248
    put(4, 0xF7DE);  // 240, 248, 240
    put(200, 0xF800); // 248, 0, 0
    const ColourChoice white{.customSelect = true, .picked = {{248, 252, 248}}, .tolerance = 0};
    EXPECT_EQ(SelectedEntries(row, white), (std::vector<int>{9}));
    ColourChoice near = white;
    near.tolerance = 8;
    near.picked.push_back({248, 0, 0});
    near.picked.push_back({250, 250, 250}); // finds 4 and 9 again: not listed twice
    EXPECT_EQ(SelectedEntries(row, near), (std::vector<int>{4, 9, 200}));
    const auto marks = SelectedEntryMarks(row, near);
    EXPECT_EQ(std::count(marks.begin(), marks.end(), true), 3);
    EXPECT_EQ(SelectedEntries(row, {}).size(), 256u); // "Entire texture"
    EXPECT_TRUE(SelectedEntries(row, {.customSelect = true, .picked = {}, .tolerance = 255}).empty());
    EXPECT_THROW(SelectedEntries(std::vector<std::uint8_t>(510), white), OptError);
}

} // namespace
} // namespace lathwork
