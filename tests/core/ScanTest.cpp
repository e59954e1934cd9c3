#include "opt/OptImage.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;
using Names = std::vector<std::string>;

OptImage Image(const ModelShape& tree)
{
    return OptImage(Build(tree).bytes);
}

SetShape Set(std::int32_t mode, std::vector<MemberShape> members)
{
    return SetShape{.mode = mode, .members = std::move(members), .count = {}};
}

TextureShape WithChild(TextureShape t)
{
    t.childCount = 1;
    return t;
}

TEST(ScanTextures, NameFilterIsTexOrTEXByteForByte)
{
    const OptImage image = Image(SimpleModel({MakeTexture("tex00001"), MakeTexture("Tex00002"), MakeTexture("TEX00003"),
                                              MakeTexture("TeX00004"), MakeTexture("Te"), MakeTexture("TEX")}));
    const Names expected = {Name8("Tex00002"), Name8("TEX00003"), Name8("TEX")};
    EXPECT_EQ(ScanIlluminationTextures(image), expected);
    EXPECT_EQ(ScanTransparencyTextures(image), expected);
}

TEST(ScanTextures, ItemsHoldAllEightBytesAndDuplicatesStay)
{
    const OptImage image = Image(SimpleModel({MakeTexture("TexA"), MakeTexture("TexB"), MakeTexture("TexA")}));
    const Names items = ScanIlluminationTextures(image);
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0], std::string("TexA\0\0\0\0", 8));
    EXPECT_EQ(items[2], items[0]);
}

TEST(ScanTextures, ChildCountDecidesTransparencyButNotIllumination)
{
    const OptImage image = Image(SimpleModel({WithChild(MakeTexture("TexLit")), MakeTexture("TexPlain"),
                                              Set(0, {WithChild(MakeTexture("TexOnly"))})}));
    EXPECT_EQ(ScanIlluminationTextures(image), (Names{Name8("TexLit"), Name8("TexPlain"), Name8("TexOnly")}));
    // The single member of a one-member set is listed without the child test.
    EXPECT_EQ(ScanTransparencyTextures(image), (Names{Name8("TexPlain"), Name8("TexOnly")}));
}

TEST(ScanTextures, SetMembersFollowTheSetRules)
{
    const OptImage image = Image(SimpleModel({
        Set(1, {MakeTexture("TexS1a"), TextureRefShape{"TexRef"}, MakeTexture("TexS1b")}),
        Set(0, {MakeTexture("TexS0a"), WithChild(MakeTexture("TexS0b"))}),
        Set(2, {MakeTexture("TexS2a"), MakeTexture("TexS2b")}),
        Set(2, {TextureRefShape{"TexOne"}}), // one member, any type, any mode: taken as a texture
    }));
    EXPECT_EQ(ScanIlluminationTextures(image),
              (Names{Name8("TexS1a"), Name8("TexS1b"), Name8("TexS0a"), Name8("TexS0b"), Name8("TexOne")}));
    EXPECT_EQ(ScanTransparencyTextures(image),
              (Names{Name8("TexS1a"), Name8("TexS1b"), Name8("TexS0a"), Name8("TexOne")}));
}

TEST(ScanTextureSets, NumbersQualifyingSetsInWalkOrder)
{
    SetShape empty = Set(1, {});
    const OptImage image = Image(SimpleModel({
        Set(1, {MakeTexture("TexA"), MakeTexture("TexB")}),
        Set(1, {MakeTexture("TexC")}),             // one member: never a set
        Set(0, {MakeTexture("TexD"), MakeTexture("TexE")}),
        Set(2, {MakeTexture("TexF"), MakeTexture("TexG")}),
        empty,                                     // no members, still counted
        Set(1, {MakeTexture("TexH"), TextureRefShape{"TexRef"}, MakeTexture("tex_low")}),
    }));
    EXPECT_EQ(ScanTextureSets(image), (Names{"Tex Set 1", "Tex Set 2", "Tex Set 3"}));
    EXPECT_EQ(ListSetTextures(image, 0), (Names{Name8("TexA"), Name8("TexB")}));
    EXPECT_TRUE(ListSetTextures(image, 1).empty());
    // Type-7 members are listed under the same name rule as textures.
    EXPECT_EQ(ListSetTextures(image, 2), (Names{Name8("TexH"), Name8("TexRef")}));
    EXPECT_TRUE(ListSetTextures(image, -1).empty());
    EXPECT_TRUE(ListSetTextures(image, 3).empty());
}

TEST(ScanTextureSets, ThirdItemListsTheThirdSetWhereverItStands)
{
    ModelShape tree = SimpleModel({Set(1, {MakeTexture("TexA1"), MakeTexture("TexA2")})});
    GroupShape other;
    other.branch.parts.push_back(PartShape{{Set(1, {MakeTexture("TexB1"), MakeTexture("TexB2")}), MakeTexture("TexX"),
                                           Set(1, {MakeTexture("TexC1"), MakeTexture("TexC2")})}});
    tree.tops.push_back(TopShape{{other}});
    const OptImage image = Image(tree);
    EXPECT_EQ(ListSetTextures(image, 2), (Names{Name8("TexC1"), Name8("TexC2")}));
}

TEST(ScanTextures, NothingQualifiesGivesEmptyLists)
{
    const OptImage image = Image(ModelShape{});
    EXPECT_TRUE(ScanIlluminationTextures(image).empty());
    EXPECT_TRUE(ScanTransparencyTextures(image).empty());
    EXPECT_TRUE(ScanTextureSets(image).empty());
}

TEST(ScanTextures, TruncatedFilesGiveCleanErrors)
{
    // Whatever the cut, a scan returns a list or throws OptError: no crash, no hang.
    const BuiltModel model = Build(SimpleModel({MakeTexture("TexA", 2, 2), Set(1, {MakeTexture("TexB", 2, 2), MakeTexture("TexC", 2, 2)}),
                                                Set(0, {MakeTexture("TexD", 2, 2)})}));
    std::size_t errors = 0;
    for (std::size_t length = 0; length < model.bytes.size(); ++length) {
        const OptImage image{Bytes(model.bytes.begin(), model.bytes.begin() + static_cast<std::ptrdiff_t>(length))};
        for (int which = 0; which < 4; ++which) {
            try {
                switch (which) {
                case 0: ScanIlluminationTextures(image); break;
                case 1: ScanTransparencyTextures(image); break;
                case 2: ScanTextureSets(image); break;
                default: ListSetTextures(image, 0); break;
                }
            } catch (const OptError&) {
                ++errors;
            }
        }
    }
    EXPECT_GT(errors, 0u);
}

TEST(ScanTextures, SetWhoseTableRunsPastTheEndIsAnError)
{
    BuiltModel model = Build(SimpleModel({Set(1, {MakeTexture("TexA"), MakeTexture("TexB")})}));
    SetLong(model.bytes, static_cast<std::size_t>(model.sets[0] + 8), 1 << 29);
    const OptImage image{Bytes(model.bytes)};
    EXPECT_THROW(ScanIlluminationTextures(image), OptError);
    // The set scan counts the set without reading its members.
    EXPECT_EQ(ScanTextureSets(image).size(), 1u);
}

} // namespace
} // namespace lathwork
