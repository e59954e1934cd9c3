#include "opt/OptImage.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace lathwork {
namespace {

using namespace testkit;

struct Result {
    Bytes bytes;
    RewriteReport report;
};

Result MakeTransparent(const Bytes& bytes, std::vector<std::string> names, int opacity, ColourChoice colours = {})
{
    OptImage image{Bytes(bytes)};
    for (std::string& name : names) {
        name = Name8(name);
    }
    RewriteReport report = RunTransparency(image, {names, colours, opacity});
    return {Bytes(image.Bytes().begin(), image.Bytes().end()), report};
}

ColourChoice Custom(std::vector<Rgb> picked, int tolerance)
{
    return {.customSelect = true, .picked = std::move(picked), .tolerance = tolerance};
}

std::int32_t At(const Bytes& bytes, std::int32_t offset)
{
    return GetLong(bytes, static_cast<std::size_t>(offset));
}

// The alpha node a texture with c = 1 designates, checked field by field.
void ExpectAlphaNode(const Bytes& bytes, std::int32_t g, std::int32_t texture, std::int32_t expectedAt, std::int32_t dataSize)
{
    EXPECT_EQ(At(bytes, texture + 8), 1);
    EXPECT_EQ(At(bytes, texture + 12), g + texture + 33);
    const std::int32_t a = At(bytes, texture + 33) - g;
    EXPECT_EQ(a, expectedAt);
    EXPECT_EQ(At(bytes, a + 0), 0);
    EXPECT_EQ(At(bytes, a + 4), 26);
    EXPECT_EQ(At(bytes, a + 8), 0);
    EXPECT_EQ(At(bytes, a + 12), 0);
    EXPECT_EQ(At(bytes, a + 16), dataSize);
    EXPECT_EQ(At(bytes, a + 20), g + a + 24);
}

TEST(Transparency, OwnedPaletteGetsTheAlphaNodeRightBehindIt)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA", 64, 64), MakeTexture("TexB")}));
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Result out = MakeTransparent(m.bytes, {"TexA"}, 111);
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 4 + 24 + 4096);
    EXPECT_EQ(GetLong(out.bytes, 4), static_cast<std::int32_t>(out.bytes.size()) - 8);
    const std::int32_t t = m.textures[0];
    const std::int32_t palette = t + 61 + 4096;
    EXPECT_EQ(At(out.bytes, t + 37), m.globalOffset + palette);
    ExpectAlphaNode(out.bytes, m.globalOffset, t, palette + 8192, 4096);
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    EXPECT_EQ(after.textures[0].palette, before.textures[0].palette);
    EXPECT_EQ(after.textures[0].opacities, Bytes(4096, 111));
    EXPECT_EQ(out.report.texturesRewritten, 1);
}

TEST(Transparency, SharedPaletteIsCopiedFirstAndTheOthersKeepIt)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA", 64, 64, 0), MakeTexture("TexB", 4, 4, 0), MakeTexture("TexC")});
    tree.palettes = {MakePalette(11)};
    const BuiltModel m = Build(tree);
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Result out = MakeTransparent(m.bytes, {"TexA"}, 111);
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 4 + 8192 + 24 + 4096);
    const std::int32_t t = m.textures[0];
    const std::int32_t copy = t + 61 + 4096;
    EXPECT_EQ(At(out.bytes, t + 37), m.globalOffset + copy);
    EXPECT_TRUE(std::equal(out.bytes.begin() + copy, out.bytes.begin() + copy + 8192, MakePalette(11).begin()));
    ExpectAlphaNode(out.bytes, m.globalOffset, t, copy + 8192, 4096);
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    EXPECT_EQ(after.textures[1].paletteAt, before.textures[1].paletteAt + 4 + 8192 + 24 + 4096);
    EXPECT_EQ(after.textures[1].palette, MakePalette(11));
}

TEST(Transparency, CustomSelectSetsThePixelsOfMatchedEntriesOnly)
{
    // Entry 5 is 0x1234: red 2, green 17, blue 20, scaled (16, 68, 160). The rest of row 7 is black.
    TextureShape t = MakeTexture("TexA", 64, 64);
    t.ownPalette = PaletteWithRow7({{5, 0x1234}});
    const BuiltModel m = Build(SimpleModel({t}));
    const Rgb entry5{16, 68, 160};
    const Result once = MakeTransparent(m.bytes, {"TexA"}, 40, Custom({entry5}, 0));
    const Bytes opacities = ReadWalkFacts(once.bytes).textures[0].opacities;
    ASSERT_EQ(opacities.size(), 4096u);
    for (std::size_t p = 0; p < opacities.size(); ++p) {
        EXPECT_EQ(opacities[p], p % 256 == 5 ? 40 : 255) << p;
    }
    // An entry matched by two picked colours stands twice in the table: same result.
    const Result twice = MakeTransparent(m.bytes, {"TexA"}, 40, Custom({entry5, {18, 70, 158}}, 2));
    EXPECT_EQ(twice.bytes, once.bytes);
    // No picked colour: the node is still added, fully opaque.
    const Result none = MakeTransparent(m.bytes, {"TexA"}, 40, Custom({}, 32));
    EXPECT_EQ(ReadWalkFacts(none.bytes).textures[0].opacities, Bytes(4096, 255));
}

TEST(Transparency, OpacityTwoFiftyFiveStillAddsTheNode)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA", 8, 8)}));
    const Result out = MakeTransparent(m.bytes, {"TexA"}, 255);
    EXPECT_EQ(out.bytes.size(), m.bytes.size() + 4 + 24 + 64);
    EXPECT_EQ(ReadWalkFacts(out.bytes).textures[0].opacities, Bytes(64, 255));
}

TEST(Transparency, TexturesWithAChildAreLeftAloneAndNoLongerListed)
{
    TextureShape lit = MakeTexture("TexA");
    lit.childCount = 1;
    const BuiltModel m = Build(SimpleModel({lit, MakeTexture("TexA"), MakeTexture("TexB")}));
    const Result out = MakeTransparent(m.bytes, {"TexA"}, 0);
    EXPECT_EQ(out.report.texturesRewritten, 1);
    EXPECT_EQ(out.bytes.size(), m.bytes.size() + 4 + 24 + 16);
    EXPECT_EQ(ScanTransparencyTextures(OptImage(Bytes(out.bytes))), std::vector<std::string>{Name8("TexB")});
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(after.textures[0].opacities, Bytes(16, 255)); // the earlier child, untouched
    EXPECT_EQ(after.textures[1].opacities, Bytes(16, 0));
    // Once transparent, a texture is not changed again.
    EXPECT_EQ(MakeTransparent(out.bytes, {"TexA"}, 9).bytes, out.bytes);
}

TEST(Transparency, PaletteBytesNeverChangeEvenWhenTheyLookLikeAPointer)
{
    // The Long at palette offset 20 designates the end of the file. While the texture is half
    // made, its child slot holds the palette pointer; that slot must not be followed.
    ModelShape tree = SimpleModel({MakeTexture("TexA"), MakeTexture("TexS", 4, 4, 0), MakeTexture("TexB")});
    tree.palettes = {MakePalette(12)};
    BuiltModel m = Build(tree);
    const auto end = static_cast<std::int32_t>(m.bytes.size());
    const std::int32_t own = ReadWalkFacts(m.bytes).textures[0].paletteAt;
    SetLong(m.bytes, static_cast<std::size_t>(own + 20), m.globalOffset + end);
    SetLong(m.bytes, static_cast<std::size_t>(m.sharedPalettes[0] + 20), m.globalOffset + end);
    const WalkFacts before = ReadWalkFacts(m.bytes);

    const WalkFacts after = ReadWalkFacts(MakeTransparent(m.bytes, {"TexA", "TexS"}, 7).bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    EXPECT_EQ(after.textures[0].palette, before.textures[0].palette);
    EXPECT_EQ(after.textures[1].palette, before.textures[1].palette);
    EXPECT_EQ(after.textures[2].palette, before.textures[2].palette);
}

TEST(Transparency, AFreshWalkSeesEveryNodeAsBefore)
{
    const BuiltModel m = Build(RichModel());
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const auto names = ScanTransparencyTextures(OptImage(Bytes(m.bytes)));
    OptImage image{Bytes(m.bytes)};
    const RewriteReport report = RunTransparency(image, {names, Custom({{0, 0, 0}, {200, 100, 50}}, 90), 3});
    EXPECT_TRUE(report.notFound.empty());
    const WalkFacts after = ReadWalkFacts(image);
    EXPECT_EQ(CompareStructure(before, after), "");
    for (std::size_t i = 0; i < after.textures.size(); ++i) {
        EXPECT_EQ(after.textures[i].palette, before.textures[i].palette) << i;
        EXPECT_EQ(after.textures[i].childCount, 1) << i;
    }
    // The single member of a one-member set is listed whatever its child count.
    EXPECT_EQ(ScanTransparencyTextures(image), std::vector<std::string>{Name8("TexSet3")});
}

TEST(TransparencyRejects, OpacityOutsideTheByteRange)
{
    OptImage image{Build(SimpleModel({MakeTexture("TexA")})).bytes};
    EXPECT_THROW(RunTransparency(image, {{Name8("TexA")}, {}, 256}), OptError);
    EXPECT_THROW(RunTransparency(image, {{Name8("TexA")}, {}, -1}), OptError);
}

} // namespace
} // namespace lathwork
