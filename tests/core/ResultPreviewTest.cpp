#include "imaging/ResultPreview.hpp"

#include "imaging/BitmapLayout.hpp"
#include "imaging/Preview.hpp"
#include "imaging/TextureBitmap.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "testkit/DifferentialModels.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

// Each pixel's colour as its bitmap's colour table gives it, blue, green, red.
std::vector<std::array<int, 3>> PixelColours(const TextureImage& texture)
{
    const Bytes bitmap = WriteTextureBitmap(texture);
    std::vector<std::array<int, 3>> colours;
    for (const std::uint8_t p : texture.pixels) {
        const std::size_t entry = bitmap::kColourTable + 4u * p;
        colours.push_back({bitmap[entry], bitmap[entry + 1], bitmap[entry + 2]});
    }
    return colours;
}

TEST(ResultPreview, EveryLightingRowIsConvertedAsRowSevenIs)
{
    std::mt19937 rng(11);
    for (int round = 0; round < 20; ++round) {
        TextureImage texture{static_cast<std::int32_t>(rng() % 9 + 1), 3, {}, {}};
        const Bytes block = MakePalette(static_cast<std::uint32_t>(rng()));
        for (std::size_t i = 0; i < static_cast<std::size_t>(texture.width) * 3; ++i) {
            texture.pixels.push_back(static_cast<std::uint8_t>(rng()));
        }
        texture.paletteRow.assign(block.begin() + 3584, block.begin() + 4096);
        EXPECT_EQ(WriteTextureBitmap(AtLightingRow(texture, block, 7)), WriteTextureBitmap(texture));
        for (int row = 0; row < 16; ++row) {
            // Decoded here from the block's bytes: 5-6-5 fields, scaled by 8, 4 and 8.
            std::vector<std::array<int, 3>> expected;
            for (const std::uint8_t p : texture.pixels) {
                const std::size_t at = static_cast<std::size_t>(512 * row + 2 * p);
                const int v = block[at] | block[at + 1] << 8;
                expected.push_back({(v & 31) * 8, ((v >> 5) & 63) * 4, (v >> 11) * 8});
            }
            EXPECT_EQ(PixelColours(AtLightingRow(texture, block, row)), expected) << "row " << row;
        }
    }
    const TextureImage any{1, 1, Bytes(512), {0}};
    EXPECT_THROW(AtLightingRow(any, Bytes(8192), 16), OptError);
    EXPECT_THROW(AtLightingRow(any, Bytes(512), 0), OptError);
    EXPECT_THROW(PendingOpacities(any, {}, 256), OptError);
}

// Random models and requests: what the preview predicts for the texture a name shows equals
// what the rewrite then writes into that texture.
TEST(ResultPreview, PendingResultsAreWhatTheRewritesWrite)
{
    std::mt19937 rng(5);
    int illuminated = 0;
    int transparent = 0;
    for (int round = 0; round < 150; ++round) {
        const RandomModel model = MakeRandomModel(rng, Mutation::None, false);
        const std::vector<TextureName> names = RandomNames(rng);
        const ColourChoice colours = RandomColours(rng, model.bytes);
        const int opacity = static_cast<int>(rng() % 256);
        OptImage lit{Bytes(model.bytes)};
        OptImage clear{Bytes(model.bytes)};
        RunIllumination(lit, {names, colours});
        RunTransparency(clear, {names, colours, opacity});
        for (const TextureName& name : names) {
            const auto before = PreviewTexture(OptImage(Bytes(model.bytes)), name);
            if (!before) {
                continue;
            }
            const auto after = PreviewTexture(lit, name);
            ASSERT_TRUE(after);
            for (int row = 0; row < 16; ++row) {
                const TextureImage predicted = PendingIllumination(before->texture, before->palette, row, colours);
                const TextureImage written = AtLightingRow(after->texture, after->palette, row);
                ASSERT_EQ(predicted.paletteRow, written.paletteRow) << "round " << round << " row " << row;
                ASSERT_EQ(predicted.pixels, written.pixels);
            }
            ++illuminated;
            if (before->storedOpacity) {
                continue; // a texture with a child is left as it is
            }
            const auto opaque = PreviewTexture(clear, name);
            ASSERT_TRUE(opaque && opaque->storedOpacity);
            const Bytes predicted = PendingOpacities(before->texture, colours, opacity);
            ASSERT_EQ(*opaque->storedOpacity, predicted) << "round " << round;
            ++transparent;
        }
    }
    EXPECT_GT(illuminated, 50);
    EXPECT_GT(transparent, 20);
}

} // namespace
} // namespace lathwork
