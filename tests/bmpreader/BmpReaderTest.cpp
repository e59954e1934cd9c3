#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "opt/OptImage.hpp"
#include "testkit/ImagingFixtures.hpp"

#include <QImage>

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

// Pixels that use many palette entries in no simple order.
TextureShape Scrambled(const std::string& name, int width, int height, std::uint32_t seed)
{
    TextureShape t = MakeTexture(name, width, height);
    t.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < t.pixels.size(); ++i) {
        t.pixels[i] = static_cast<std::uint8_t>((i * 37 + seed * 11) % 256);
    }
    t.ownPalette = MakePalette(seed);
    return t;
}

// The bitmap decodes to exactly the texture's picture: first stored row at the bottom.
void ExpectPicture(const Bytes& bitmap, const TextureShape& t)
{
    QImage image;
    ASSERT_TRUE(image.loadFromData(bitmap.data(), static_cast<int>(bitmap.size()), "BMP")) << t.name;
    ASSERT_EQ(image.width(), t.width) << t.name;
    ASSERT_EQ(image.height(), t.height) << t.name;
    const Bytes row7 = Row7(t.ownPalette);
    for (int y = 0; y < t.height; ++y) {
        for (int x = 0; x < t.width; ++x) {
            ASSERT_EQ(image.pixel(x, y) & 0xFFFFFFu, ExpectedPixel(t.pixels, row7, t.width, t.height, x, y))
                << t.name << " at " << x << ", " << y;
        }
    }
}

TEST(BmpReader, EveryExtractedBitmapDecodesToTheTexturePaddedWidthsIncluded)
{
    ScratchFolder folder;
    std::vector<TextureShape> textures;
    std::vector<LeafShape> leaves;
    std::uint32_t seed = 1;
    for (const int width : {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 64}) {
        for (const int height : {1, 2, 3, 32}) {
            const std::string name = "W" + std::to_string(width) + "H" + std::to_string(height);
            textures.push_back(Scrambled(name, width, height, seed++));
            leaves.push_back(textures.back());
        }
    }
    PutFile(folder / "SHIP.OPT", Build(SimpleModel(leaves)).bytes);
    const auto written = ExtractTextures(folder / "SHIP.OPT");
    ASSERT_EQ(written.size(), textures.size());
    for (std::size_t i = 0; i < textures.size(); ++i) {
        EXPECT_EQ(written[i].filename().string(), "SHIP_" + textures[i].name + ".BMP");
        ExpectPicture(FileBytes(written[i]), textures[i]);
    }
}

TEST(BmpReader, TexturesWithAChildAndSetMembersDecodeAlike)
{
    ScratchFolder folder;
    TextureShape child = Scrambled("TEXCHILD", 5, 4, 90);
    child.childCount = 1;
    const TextureShape member = Scrambled("TEXSET", 3, 3, 91);
    PutFile(folder / "SHIP.OPT",
            Build(SimpleModel({child, SetShape{.mode = 0, .members = {member, Scrambled("TEXSET2", 6, 1, 92)},
                                              .count = std::nullopt}})).bytes);
    ExtractTextures(folder / "SHIP.OPT");
    ExpectPicture(FileBytes(folder / "SHIP_TEXCHILD.BMP"), child);
    ExpectPicture(FileBytes(folder / "SHIP_TEXSET.BMP"), member);
}

TEST(BmpReader, ThePreviewBitmapDecodesInMemory)
{
    // Larger than the 256 x 256 pane, and a width needing padding.
    const TextureShape big = Scrambled("TEXBIG", 301, 260, 5);
    const BuiltModel m = OneTexture(big);
    const auto shown = PreviewTexture(OptImage(m.bytes), Name8("TEXBIG"));
    ASSERT_TRUE(shown);
    ExpectPicture(shown->bitmap, big);
}

} // namespace
} // namespace lathwork
