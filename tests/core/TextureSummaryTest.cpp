#include "imaging/TextureSummary.hpp"

#include "colour/ColourChoice.hpp"
#include "imaging/TextureImage.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptImage.hpp"
#include "opt/Pointer.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

// The texture nodes in walk order, and each one's summary.
struct Model {
    OptImage image;
    std::vector<std::int32_t> Nodes() const
    {
        std::vector<std::int32_t> nodes;
        const OptView view(image.Bytes());
        VisitTextures(view, ReadPointerBase(view), [&](std::int32_t node) { nodes.push_back(node); });
        return nodes;
    }
    TextureSummary Summary(int which) const
    {
        const OptView view(image.Bytes());
        return ReadTextureSummary(view, ReadPointerBase(view), Nodes().at(which)).value();
    }
    std::optional<Bytes> Opacity(int which) const
    {
        const OptView view(image.Bytes());
        return ReadStoredOpacity(view, ReadPointerBase(view), Nodes().at(which));
    }
    Bytes Row7(int which) const
    {
        const OptView view(image.Bytes());
        return ReadTextureImage(view, ReadPointerBase(view), Nodes().at(which))->paletteRow;
    }
};

Rgb ColourOf(const Bytes& row, int entry)
{
    const int v = row[2 * entry] | row[2 * entry + 1] << 8;
    return {(v >> 11) * 8, ((v >> 5) & 63) * 4, (v & 31) * 8};
}

TEST(TextureSummary, TellsWhatEarlierRewritesLeftInATexture)
{
    // A owns its palette, B and C share one, D already carries opacity bytes of 77.
    TextureShape d = MakeTexture("TexD");
    d.childCount = 1;
    d.alphaFill = 77;
    ModelShape shape = SimpleModel({MakeTexture("TexA"), MakeTexture("TexB", 4, 4, 0), MakeTexture("TexC", 4, 4, 0), d});
    shape.palettes = {MakePalette(5)};
    Model m{OptImage(Build(shape).bytes)};

    EXPECT_TRUE(m.Summary(0).ownPalette);
    EXPECT_FALSE(m.Summary(1).ownPalette);
    EXPECT_FALSE(m.Summary(0).hasAlphaNode);
    EXPECT_EQ(m.Opacity(0), std::nullopt);
    EXPECT_TRUE(m.Summary(3).hasAlphaNode);
    EXPECT_EQ(m.Opacity(3), Bytes(16, 77));
    EXPECT_EQ(m.Summary(3).width, 4);

    // Illuminating some colours of B makes exactly those self-lit besides what already was.
    const Bytes row = m.Row7(1);
    const ColourChoice choice{true, {ColourOf(row, 3), ColourOf(row, 200)}, 20};
    const auto marks = SelectedEntryMarks(row, choice);
    std::bitset<256> expected = m.Summary(1).selfLit;
    for (int entry = 0; entry < 256; ++entry) {
        expected[entry] = expected[entry] || marks[entry];
    }
    ASSERT_LT(m.Summary(1).SelfLitCount(), expected.count());
    RunIllumination(m.image, {{Name8("TexB")}, choice});
    EXPECT_TRUE(m.Summary(1).ownPalette);
    EXPECT_EQ(m.Summary(1).selfLit, expected);
    EXPECT_FALSE(m.Summary(2).ownPalette);

    // "Entire texture" lights every entry; transparency adds the opacity bytes it wrote.
    RunIllumination(m.image, {{Name8("TexC")}, {}});
    EXPECT_EQ(m.Summary(2).SelfLitCount(), 256);
    RunTransparency(m.image, {{Name8("TexA")}, {}, 111});
    EXPECT_TRUE(m.Summary(0).hasAlphaNode);
    EXPECT_EQ(m.Summary(0).childCount, 1);
    EXPECT_EQ(m.Opacity(0), Bytes(16, 111));
}

} // namespace
} // namespace lathwork
