#include "opt/OptImage.hpp"
#include "imaging/TextureImage.hpp"
#include "opt/OptError.hpp"
#include "testkit/ImagingFixtures.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace lathwork {
namespace {

using namespace testkit;

std::vector<std::int32_t> Visited(const BuiltModel& m)
{
    const OptImage image(m.bytes);
    std::vector<std::int32_t> nodes;
    VisitTextures(image, m.globalOffset, [&](std::int32_t node) { nodes.push_back(node); });
    return nodes;
}

std::int32_t MemberOf(const BuiltModel& m, std::int32_t set, int i)
{
    return GetLong(m.bytes, static_cast<std::size_t>(set + 24 + 4 * i)) - m.globalOffset;
}

std::optional<TextureImage> Read(const BuiltModel& m, std::int32_t node)
{
    return ReadTextureImage(OptImage(m.bytes), m.globalOffset, node);
}

TEST(VisitTextures, TakesLeavesAndSetMembersByItsOwnRule)
{
    SetShape single{.mode = 2, .members = {RawLeafShape{1}}, .count = std::nullopt};
    SetShape singleRef{.mode = 0, .members = {TextureRefShape{"TEXREF"}}, .count = std::nullopt};
    SetShape animated{.mode = 0, .members = {MakeTexture("TEX2"), TextureRefShape{"TEX3"}, RawLeafShape{1}, MakeTexture("TEX4")},
                     .count = std::nullopt};
    SetShape otherMode{.mode = 2, .members = {MakeTexture("TEX5"), MakeTexture("TEX6")}, .count = std::nullopt};
    SetShape animatable{.mode = 1, .members = {MakeTexture("TEX7"), MakeTexture("TEX8")}, .count = std::nullopt};
    const BuiltModel m = Build(SimpleModel({MakeTexture("abc"), single, singleRef, NullShape{}, animated, otherMode,
                                            RawLeafShape{1}, animatable, MakeTexture("tex9")}));
    const std::vector<std::int32_t> expected = {
        m.Texture("abc"),      MemberOf(m, m.sets[0], 0), MemberOf(m, m.sets[1], 0), m.Texture("TEX2"),
        m.Texture("TEX4"),     m.Texture("TEX7"),         m.Texture("TEX8"),         m.Texture("tex9")};
    EXPECT_EQ(Visited(m), expected);
}

TEST(VisitTextures, FollowsEveryPartInWalkOrderAndVisitsNothingWithoutTopNodes)
{
    ModelShape tree = SimpleModel({MakeTexture("TEXA")});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.parts.push_back(PartShape{{MakeTexture("TEXB")}});
    tree.tops.push_back(TopShape{{GroupShape{.selector = 3, .branch = BranchShape{{PartShape{{MakeTexture("TEXC")}}}, {}}}}});
    const BuiltModel m = Build(tree);
    EXPECT_EQ(Visited(m), (std::vector<std::int32_t>{m.Texture("TEXA"), m.Texture("TEXB"), m.Texture("TEXC")}));
    EXPECT_TRUE(Visited(Build(ModelShape{})).empty());
}

TEST(ReadTextureImage, ReadsSizesPixelsAndPaletteRowSeven)
{
    TextureShape t = MakeTexture("TEX1", 5, 3);
    t.ownPalette = PaletteWithRow7({{0, 0x1234}, {255, 0xFFFF}});
    const BuiltModel m = OneTexture(t);
    const auto texture = Read(m, m.Texture("TEX1"));
    ASSERT_TRUE(texture);
    EXPECT_EQ(texture->width, 5);
    EXPECT_EQ(texture->height, 3);
    EXPECT_EQ(texture->paletteRow, Row7(t.ownPalette));
    EXPECT_EQ(texture->paletteRow[0], 0x34);
    EXPECT_EQ(texture->paletteRow[511], 0xFF);
    const Bytes pixels = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
    EXPECT_EQ(texture->pixels, pixels);
}

TEST(ReadTextureImage, ReadsOnlyImageSizeBytesOfThePixelData)
{
    TextureShape t = MakeTexture("TEX1", 4, 4);
    t.imageSize = 6;
    const BuiltModel m = OneTexture(t);
    EXPECT_EQ(Read(m, m.Texture("TEX1"))->pixels, (Bytes{0, 1, 2, 3, 4, 5}));
}

TEST(ReadTextureImage, SelectorOneReadsEveryFieldFourBytesFurtherOn)
{
    TextureShape plain = MakeTexture("TEX1", 6, 2);
    plain.ownPalette = MakePalette(9);
    TextureShape withChild = plain;
    withChild.childCount = 1;
    BuiltModel m = Build(SimpleModel({plain, SetShape{.mode = 0, .members = {withChild, MakeTexture("TEX2")},
                                                     .count = std::nullopt}}));
    const std::int32_t x = m.Texture("TEX1", 1);
    const auto direct = Read(m, m.Texture("TEX1", 0));
    const auto member = Read(m, x);
    ASSERT_TRUE(direct && member);
    EXPECT_EQ(member->pixels, direct->pixels);
    EXPECT_EQ(member->paletteRow, direct->paletteRow);
    EXPECT_EQ(member->width, 6);
    EXPECT_EQ(member->height, 2);

    // The offsets themselves: ImageSize +45, ImageWidth +53, ImageHeight +57, pixels from +61.
    SetLong(m.bytes, static_cast<std::size_t>(x + 45), 3);
    SetLong(m.bytes, static_cast<std::size_t>(x + 53), 77);
    SetLong(m.bytes, static_cast<std::size_t>(x + 57), 88);
    m.bytes[static_cast<std::size_t>(x + 61)] = 0xAB;
    const auto patched = Read(m, x);
    EXPECT_EQ(patched->width, 77);
    EXPECT_EQ(patched->height, 88);
    EXPECT_EQ(patched->pixels, (Bytes{0xAB, 1, 2}));
}

TEST(ReadTextureImage, SkipsSelectorsOtherThanZeroAndOneWithoutReadingFurther)
{
    BuiltModel m = OneTexture(MakeTexture("TEX1"));
    const std::int32_t x = m.Texture("TEX1");
    SetLong(m.bytes, static_cast<std::size_t>(x + 41), -5); // would be damaged if it were read
    for (const std::int32_t c : {2, -1, 5}) {
        SetLong(m.bytes, static_cast<std::size_t>(x + 8), c);
        EXPECT_FALSE(Read(m, x)) << c;
    }
}

// Each kind of damage gives OptError before anything large is allocated.
TEST(ReadTextureImage, RejectsDamagedTextureData)
{
    const BuiltModel m = OneTexture(MakeTexture("TEX1", 4, 4));
    const std::int32_t x = m.Texture("TEX1");
    const auto size = static_cast<std::int32_t>(m.bytes.size());
    auto readWith = [&](std::size_t offset, std::int32_t value) {
        Bytes bytes = m.bytes;
        SetLong(bytes, offset, value);
        return ReadTextureImage(OptImage(bytes), m.globalOffset, x);
    };
    const auto imageSize = static_cast<std::size_t>(x + 41);
    const auto palette = static_cast<std::size_t>(x + 33);
    EXPECT_THROW(readWith(imageSize, -1), OptError);
    EXPECT_THROW(readWith(imageSize, std::numeric_limits<std::int32_t>::max()), OptError);
    EXPECT_THROW(readWith(imageSize, size - (x + 57) + 1), OptError);
    EXPECT_EQ(readWith(imageSize, size - (x + 57))->pixels.size(), static_cast<std::size_t>(size - (x + 57)));
    EXPECT_THROW(readWith(palette, m.globalOffset + size - 3584 - 511), OptError); // row one byte short
    EXPECT_NO_THROW(readWith(palette, m.globalOffset + size - 3584 - 512));
    EXPECT_THROW(readWith(palette, m.globalOffset - 3585), OptError);               // before the file
    EXPECT_THROW(readWith(palette, std::numeric_limits<std::int32_t>::min()), OptError);
    EXPECT_THROW(readWith(palette, std::numeric_limits<std::int32_t>::max()), OptError);

    const Bytes truncated(m.bytes.begin(), m.bytes.begin() + x + 50);
    EXPECT_THROW(ReadTextureImage(OptImage(truncated), m.globalOffset, x), OptError);
}

TEST(ReadTextureImage, NamesTheTextureAndTheProblem)
{
    BuiltModel m = OneTexture(MakeTexture("TEX1"));
    const std::int32_t x = m.Texture("TEX1");
    SetLong(m.bytes, static_cast<std::size_t>(x + 41), -7);
    try {
        Read(m, x);
        FAIL();
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("offset " + std::to_string(x)), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("-7"), std::string::npos) << error.what();
    }
}

// Every truncation and every single-byte change of a small model reads cleanly or throws
// OptError; nothing else escapes.
TEST(ReadTextureImage, TruncatedOrFlippedFilesGiveCleanErrors)
{
    TextureShape child = MakeTexture("TEX2", 3, 2);
    child.childCount = 1;
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX1", 2, 2), SetShape{.mode = 0, .members = {child},
                                                                              .count = std::nullopt}}));
    auto readAll = [&](const Bytes& bytes) {
        try {
            const OptImage image(bytes);
            VisitTextures(image, m.globalOffset, [&](std::int32_t node) { ReadTextureImage(image, m.globalOffset, node); });
        } catch (const OptError&) {
        }
    };
    for (std::size_t size = 0; size < m.bytes.size(); ++size) {
        readAll(Bytes(m.bytes.begin(), m.bytes.begin() + static_cast<std::ptrdiff_t>(size)));
    }
    for (std::size_t at = 0; at < m.bytes.size(); at += 3) {
        Bytes flipped = m.bytes;
        flipped[at] ^= 0xA5;
        readAll(flipped);
    }
}

} // namespace
} // namespace lathwork
