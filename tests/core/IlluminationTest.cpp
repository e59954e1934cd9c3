#include "opt/OptImage.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

Bytes BytesOf(const OptImage& image)
{
    return {image.Bytes().begin(), image.Bytes().end()};
}

struct Illuminated {
    Bytes bytes;
    RewriteReport report;
};

Illuminated Illuminate(const Bytes& bytes, std::vector<std::string> names, ColourChoice colours = {})
{
    OptImage image{Bytes(bytes)};
    for (std::string& name : names) {
        name = Name8(name);
    }
    RewriteReport report = RunIllumination(image, {names, colours});
    return {BytesOf(image), report};
}

ColourChoice Custom(std::vector<Rgb> picked, int tolerance)
{
    return {.customSelect = true, .picked = std::move(picked), .tolerance = tolerance};
}

void ExpectAllRowsAreRow7(const TextureFacts& t, const Bytes& row7)
{
    for (int r = 0; r < 16; ++r) {
        EXPECT_EQ(t.Row(r), row7) << t.name.c_str() << " row " << r;
    }
}

std::int32_t BodyLength(const Bytes& bytes)
{
    return GetLong(bytes, 4);
}

TEST(Illumination, TextureOwningItsPaletteIsChangedInPlace)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA")}));
    const TextureFacts before = ReadWalkFacts(m.bytes).textures[0];
    ASSERT_EQ(before.paletteAt, before.node + 57 + before.dataSize);
    const Illuminated out = Illuminate(m.bytes, {"TexA"});
    ASSERT_EQ(out.bytes.size(), m.bytes.size());
    const TextureFacts after = ReadWalkFacts(out.bytes).textures[0];
    EXPECT_EQ(after.paletteAt, before.paletteAt);
    ExpectAllRowsAreRow7(after, before.Row(7));
    EXPECT_EQ(out.report.texturesRewritten, 1);
    EXPECT_TRUE(out.report.notFound.empty());
    // Nothing outside the palette changed.
    Bytes expected = m.bytes;
    std::copy(after.palette.begin(), after.palette.end(), expected.begin() + after.paletteAt);
    EXPECT_EQ(out.bytes, expected);
}

TEST(Illumination, SharedPaletteIsCopiedBehindThePixelsAndTheOthersKeepIt)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA", 4, 4, 0), MakeTexture("TexB", 4, 4, 0)});
    tree.palettes = {MakePalette(3)};
    const BuiltModel m = Build(tree);
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Illuminated out = Illuminate(m.bytes, {"TexA"});
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 8192);
    EXPECT_EQ(BodyLength(out.bytes), static_cast<std::int32_t>(out.bytes.size()) - 8);
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    const TextureFacts& a = after.textures[0];
    EXPECT_EQ(a.paletteAt, a.node + 57 + a.dataSize);
    ExpectAllRowsAreRow7(a, before.textures[0].Row(7));
    // TexB and the shared palette itself are untouched.
    EXPECT_EQ(after.textures[1].palette, before.textures[1].palette);
    EXPECT_EQ(after.textures[1].paletteAt, before.textures[1].paletteAt + 8192);
}

TEST(Illumination, TwoTexturesSharingAPaletteBothGetCopiesAndEveryPointerStaysValid)
{
    const BuiltModel m = Build(RichModel());
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Illuminated out = Illuminate(m.bytes, {"TexShA", "TexShB"});
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 2 * 8192);
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    for (std::size_t i = 0; i < after.textures.size(); ++i) {
        const TextureFacts& t = after.textures[i];
        if (t.name == Name8("TexShA") || t.name == Name8("TexShB")) {
            EXPECT_EQ(t.paletteAt, t.node + 57 + t.dataSize);
            ExpectAllRowsAreRow7(t, before.textures[i].Row(7));
        } else {
            EXPECT_EQ(t.palette, before.textures[i].palette) << t.name.c_str();
        }
        EXPECT_EQ(t.opacities, before.textures[i].opacities) << t.name.c_str();
    }
    EXPECT_EQ(out.report.texturesRewritten, 2);
}

TEST(Illumination, EntireTextureMakesEveryRowEqualRowSeven)
{
    const BuiltModel m = Build(RichModel());
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Illuminated out = Illuminate(m.bytes, {"TexSet3", "TexChild", "TexSet1"});
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    int changed = 0;
    for (const TextureFacts& t : after.textures) {
        if (t.name == Name8("TexSet3") || t.name == Name8("TexChild") || t.name == Name8("TexSet1")) {
            ExpectAllRowsAreRow7(t, t.Row(7));
            ++changed;
        }
    }
    EXPECT_EQ(changed, 3);
}

TEST(Illumination, CustomSelectCopiesOnlyMatchingEntries)
{
    // 0xFFFF is (248, 252, 248); 0xF7DE is (240, 248, 240); 0xEFDE has red 232.
    TextureShape t = MakeTexture("TexA");
    t.ownPalette = PaletteWithRow7({{3, 0xFFFF}, {9, 0xF7DE}, {12, 0xEFDE}});
    const BuiltModel m = Build(SimpleModel({t}));
    auto entry = [](const TextureFacts& f, int row, int index) {
        return f.palette[static_cast<std::size_t>(512 * row + 2 * index)] |
               f.palette[static_cast<std::size_t>(512 * row + 2 * index + 1)] << 8;
    };
    const Rgb white{248, 252, 248};

    const TextureFacts exact = ReadWalkFacts(Illuminate(m.bytes, {"TexA"}, Custom({white}, 0)).bytes).textures[0];
    const TextureFacts near = ReadWalkFacts(Illuminate(m.bytes, {"TexA"}, Custom({white}, 8)).bytes).textures[0];
    for (int row = 0; row < 16; ++row) {
        if (row == 7) {
            continue;
        }
        EXPECT_EQ(entry(exact, row, 3), 0xFFFF);
        EXPECT_EQ(entry(exact, row, 9), 0x1111);
        EXPECT_EQ(entry(near, row, 3), 0xFFFF);
        EXPECT_EQ(entry(near, row, 9), 0xF7DE);
        EXPECT_EQ(entry(near, row, 12), 0x1111);
        EXPECT_EQ(entry(near, row, 0), 0x1111); // black in row 7 is not near white
    }
    EXPECT_EQ(exact.Row(7), near.Row(7));
}

TEST(Illumination, CustomSelectWithoutColoursOnlyMakesThePrivateCopy)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA", 4, 4, 0), MakeTexture("TexB")});
    tree.palettes = {MakePalette(4)};
    const BuiltModel m = Build(tree);
    const Illuminated out = Illuminate(m.bytes, {"TexA"}, Custom({}, 32));
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 8192);
    const TextureFacts t = ReadWalkFacts(out.bytes).textures[0];
    EXPECT_EQ(t.palette, MakePalette(4));
}

TEST(Illumination, TextureWithAChildIsReadAtItsShiftedOffsets)
{
    ModelShape tree = SimpleModel({MakeTexture("TexZ"), MakeTexture("TexC", 8, 2, 0)});
    std::get<TextureShape>(std::get<GroupShape>(tree.tops[0].children[0]).branch.parts[0].leaves[1]).childCount = 1;
    tree.palettes = {MakePalette(5)};
    const BuiltModel m = Build(tree);
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Illuminated out = Illuminate(m.bytes, {"TexC"});
    ASSERT_EQ(out.bytes.size(), m.bytes.size() + 8192);
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    const TextureFacts& c = after.textures[1];
    EXPECT_EQ(c.childCount, 1);
    EXPECT_EQ(c.paletteAt, c.node + 61 + 16);
    EXPECT_EQ(GetLong(out.bytes, static_cast<std::size_t>(c.node + 37)), m.globalOffset + c.node + 61 + 16);
    ExpectAllRowsAreRow7(c, before.textures[1].Row(7));
    EXPECT_EQ(c.opacities, before.textures[1].opacities);
}

TEST(Illumination, EveryNodeCarryingTheNameIsRewritten)
{
    const BuiltModel m = Build(RichModel()); // TexOwn stands in two branches
    const Illuminated out = Illuminate(m.bytes, {"TexOwn"});
    EXPECT_EQ(out.report.texturesRewritten, 2);
    for (const TextureFacts& t : ReadWalkFacts(out.bytes).textures) {
        if (t.name == Name8("TexOwn")) {
            ExpectAllRowsAreRow7(t, t.Row(7));
        }
    }
}

TEST(Illumination, OneMemberSetWithAChildKeepsAllItsPointersWhenDataMovesBeforeIt)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA", 4, 4, 0), SetShape{.mode = 1, .members = {MakeTexture("TexM")}, .count = {}}});
    auto& leaves = std::get<GroupShape>(tree.tops[0].children[0]).branch.parts[0].leaves;
    std::get<TextureShape>(std::get<SetShape>(leaves[1]).members[0]).childCount = 1;
    tree.palettes = {MakePalette(6)};
    const BuiltModel m = Build(tree);
    const WalkFacts before = ReadWalkFacts(m.bytes);
    const Illuminated out = Illuminate(m.bytes, {"TexA"});
    const WalkFacts after = ReadWalkFacts(out.bytes);
    EXPECT_EQ(CompareStructure(before, after), "");
    const TextureFacts& member = after.textures[1];
    EXPECT_EQ(member.palette, before.textures[1].palette);
    EXPECT_EQ(member.opacities, before.textures[1].opacities);
    EXPECT_EQ(GetLong(out.bytes, static_cast<std::size_t>(member.node + 12)), m.globalOffset + member.node + 33);
}

TEST(Illumination, SecondRunLeavesTheFileByteIdentical)
{
    const BuiltModel m = Build(RichModel());
    const std::vector<std::string> names = {"TexShA", "TexOwn", "TexChild", "TexSet2", "TexShB"};
    for (const ColourChoice& colours : {ColourChoice{}, Custom({{100, 100, 100}, {0, 0, 0}}, 60)}) {
        const Illuminated once = Illuminate(m.bytes, names, colours);
        const Illuminated twice = Illuminate(once.bytes, names, colours);
        EXPECT_EQ(twice.bytes, once.bytes);
    }
}

TEST(Illumination, NodesWithMoreThanOneChildAreLeftAlone)
{
    TextureShape t = MakeTexture("TexX");
    t.childCount = 2;
    const BuiltModel m = Build(SimpleModel({t}));
    const Illuminated out = Illuminate(m.bytes, {"TexX"});
    EXPECT_EQ(out.bytes, m.bytes);
    EXPECT_EQ(out.report.texturesRewritten, 0);
    EXPECT_TRUE(out.report.notFound.empty());
}

TEST(Illumination, NamesNotFoundAreReportedInOrderAndNothingSelectedChangesNothing)
{
    const BuiltModel m = Build(RichModel());
    const Illuminated none = Illuminate(m.bytes, {});
    EXPECT_EQ(none.bytes, m.bytes);
    const Illuminated missing = Illuminate(m.bytes, {"TexNone", "TexOwn", "tex"});
    EXPECT_EQ(missing.report.notFound, (std::vector<std::string>{Name8("TexNone"), Name8("tex")}));
    // A name is compared on all 8 bytes: a reference node's name is no texture.
    EXPECT_EQ(Illuminate(m.bytes, {"TexRefN"}).report.notFound.size(), 1u);
}

TEST(Illumination, StaleBodyLengthIsCorrected)
{
    Bytes bytes = Build(SimpleModel({MakeTexture("TexA")})).bytes;
    SetLong(bytes, 4, 12345);
    EXPECT_EQ(BodyLength(Illuminate(bytes, {}).bytes), static_cast<std::int32_t>(bytes.size()) - 8);
}

TEST(IlluminationRejects, ColoursAndToleranceOutsideTheByteRange)
{
    OptImage image{Build(SimpleModel({MakeTexture("TexA")})).bytes};
    EXPECT_THROW(RunIllumination(image, {{Name8("TexA")}, Custom({{256, 0, 0}}, 3)}), OptError);
    EXPECT_THROW(RunIllumination(image, {{Name8("TexA")}, Custom({{0, 0, 0}}, -1)}), OptError);
}

TEST(IlluminationRejects, PixelDataOrPaletteOutsideTheFile)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA")}));
    const std::int32_t x = m.textures[0];
    Bytes hugeData = m.bytes;
    SetLong(hugeData, static_cast<std::size_t>(x + 45), 1 << 30);
    EXPECT_THROW(Illuminate(hugeData, {"TexA"}), OptError);
    Bytes negativeData = m.bytes;
    SetLong(negativeData, static_cast<std::size_t>(x + 45), -20);
    EXPECT_THROW(Illuminate(negativeData, {"TexA"}), OptError);
    Bytes paletteOutside = m.bytes;
    SetLong(paletteOutside, static_cast<std::size_t>(x + 33), m.globalOffset + static_cast<std::int32_t>(m.bytes.size()) - 100);
    EXPECT_THROW(Illuminate(paletteOutside, {"TexA"}), OptError);
}

} // namespace
} // namespace lathwork
