#include "imaging/TextureBitmap.hpp"
#include "opt/OptError.hpp"
#include "testkit/ImagingFixtures.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using testkit::Bytes;
using testkit::GetLong;

TextureImage Texture(std::int32_t width, std::int32_t height, std::size_t imageSize)
{
    TextureImage t;
    t.width = width;
    t.height = height;
    t.paletteRow.assign(512, 0);
    t.pixels.resize(imageSize);
    for (std::size_t i = 0; i < imageSize; ++i) {
        t.pixels[i] = static_cast<std::uint8_t>(i * 7 + 1);
    }
    return t;
}

int Word(const Bytes& b, std::size_t offset)
{
    return b.at(offset) | b.at(offset + 1) << 8;
}

TEST(TextureBitmap, A64By32TextureGivesTheWholeHeaderExactly)
{
    const TextureImage t = Texture(64, 32, 2048);
    const Bytes bmp = WriteTextureBitmap(t);
    ASSERT_EQ(bmp.size(), 3126u);
    EXPECT_EQ(bmp[0], 0x42);
    EXPECT_EQ(bmp[1], 0x4D);
    EXPECT_EQ(GetLong(bmp, 2), 3126);
    EXPECT_EQ(Word(bmp, 6), 0);
    EXPECT_EQ(Word(bmp, 8), 0);
    EXPECT_EQ(GetLong(bmp, 10), 1078);
    EXPECT_EQ(GetLong(bmp, 14), 40);
    EXPECT_EQ(GetLong(bmp, 18), 64);
    EXPECT_EQ(GetLong(bmp, 22), 32);
    EXPECT_EQ(Word(bmp, 26), 1);
    EXPECT_EQ(Word(bmp, 28), 8);
    for (std::size_t offset = 30; offset < 54; offset += 4) {
        EXPECT_EQ(GetLong(bmp, offset), 0) << offset;
    }
    EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()), t.pixels);
}

TEST(TextureBitmap, AnEmptyImageGivesExactly1078Bytes)
{
    const Bytes bmp = WriteTextureBitmap(Texture(4, 4, 0));
    ASSERT_EQ(bmp.size(), 1078u);
    EXPECT_EQ(GetLong(bmp, 2), 1078);
    // A width that is not a multiple of 4 with no image bytes: nothing to pad.
    EXPECT_EQ(WriteTextureBitmap(Texture(3, 0, 0)).size(), 1078u);
}

TEST(TextureBitmap, ColourEntriesScaleWithoutReplicatingLowBits)
{
    TextureImage t = Texture(4, 1, 4);
    const std::vector<std::pair<std::uint8_t, std::uint8_t>> stored = {
        {0x00, 0x00}, {0xFF, 0xFF}, {0x00, 0xF8}, {0xE0, 0x07}, {0x1F, 0x00}, {0x21, 0x08}};
    for (std::size_t i = 0; i < stored.size(); ++i) {
        t.paletteRow[2 * i] = stored[i].first;
        t.paletteRow[2 * i + 1] = stored[i].second;
    }
    const Bytes bmp = WriteTextureBitmap(t);
    auto entry = [&](std::size_t i) { return Bytes(bmp.begin() + 54 + 4 * i, bmp.begin() + 58 + 4 * i); };
    EXPECT_EQ(entry(0), (Bytes{0, 0, 0, 0}));
    EXPECT_EQ(entry(1), (Bytes{248, 252, 248, 0}));
    EXPECT_EQ(entry(2), (Bytes{0, 0, 248, 0}));   // 00 F8: red only
    EXPECT_EQ(entry(3), (Bytes{0, 252, 0, 0}));   // E0 07: green only
    EXPECT_EQ(entry(4), (Bytes{248, 0, 0, 0}));   // 1F 00: blue only
    EXPECT_EQ(entry(5), (Bytes{8, 4, 8, 0}));     // the lowest bit of each channel
    EXPECT_EQ(entry(255), (Bytes{0, 0, 0, 0}));
}

TEST(TextureBitmap, EveryColourEntryIsThe565ValueScaled)
{
    TextureImage t = Texture(4, 1, 4);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint16_t>(i * 257 + 31 * i);
        t.paletteRow[static_cast<std::size_t>(2 * i)] = static_cast<std::uint8_t>(v);
        t.paletteRow[static_cast<std::size_t>(2 * i + 1)] = static_cast<std::uint8_t>(v >> 8);
    }
    const Bytes bmp = WriteTextureBitmap(t);
    for (int i = 0; i < 256; ++i) {
        const std::uint32_t rgb = testkit::ExpectedRgb(static_cast<std::uint16_t>(i * 257 + 31 * i));
        const auto at = static_cast<std::size_t>(54 + 4 * i);
        EXPECT_EQ(bmp[at], rgb & 255) << i;
        EXPECT_EQ(bmp[at + 1], (rgb >> 8) & 255) << i;
        EXPECT_EQ(bmp[at + 2], rgb >> 16) << i;
        EXPECT_EQ(bmp[at + 3], 0) << i;
    }
}

TEST(TextureBitmap, RowsOfWidthsNotAMultipleOfFourArePaddedWithZeros)
{
    for (const int width : {1, 2, 3, 5, 6, 7, 9}) {
        const int height = 3;
        const TextureImage t = Texture(width, height, static_cast<std::size_t>(width * height));
        const Bytes bmp = WriteTextureBitmap(t);
        const int stride = (width + 3) / 4 * 4;
        ASSERT_EQ(bmp.size(), static_cast<std::size_t>(1078 + stride * height)) << width;
        EXPECT_EQ(GetLong(bmp, 2), 1078 + stride * height) << width;
        EXPECT_EQ(GetLong(bmp, 18), width);
        EXPECT_EQ(GetLong(bmp, 22), height);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < stride; ++x) {
                const auto at = static_cast<std::size_t>(1078 + y * stride + x);
                const std::uint8_t expected = x < width ? t.pixels[static_cast<std::size_t>(y * width + x)] : 0;
                EXPECT_EQ(bmp[at], expected) << "width " << width << " at " << x << "," << y;
            }
        }
    }
}

TEST(TextureBitmap, ImagesThatAreNotExactlyWidthTimesHeightAreWrittenAsStored)
{
    for (const auto& [width, height, size] : std::vector<std::tuple<int, int, std::size_t>>{
             {3, 2, 8}, {3, 2, 5}, {4, 2, 8}, {8, 8, 64}, {3, -2, 6}, {-3, -2, 6}, {0, 5, 0}}) {
        const TextureImage t = Texture(width, height, size);
        const Bytes bmp = WriteTextureBitmap(t);
        ASSERT_EQ(bmp.size(), 1078 + size) << width << "x" << height;
        EXPECT_EQ(GetLong(bmp, 18), width);
        EXPECT_EQ(GetLong(bmp, 22), height); // as read, sign included
        EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()), t.pixels);
    }
}

TEST(TextureBitmap, RejectsAPaletteRowOfTheWrongSize)
{
    TextureImage t = Texture(4, 4, 16);
    t.paletteRow.resize(510);
    EXPECT_THROW(WriteTextureBitmap(t), OptError);
}

} // namespace
} // namespace lathwork
