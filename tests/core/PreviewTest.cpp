#include "opt/OptImage.hpp"
#include "imaging/Preview.hpp"
#include "imaging/TextureBitmap.hpp"
#include "opt/OptError.hpp"
#include "testkit/ImagingFixtures.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

std::optional<PreviewPicture> Preview(const BuiltModel& m, const std::string& name)
{
    return PreviewTexture(OptImage(m.bytes), Name8(name));
}

TEST(PreviewTexture, ShowsTheLastNodeOfTheNameInWalkOrder)
{
    TextureShape first = MakeTexture("TEX00005", 4, 2);
    TextureShape second = MakeTexture("TEX00005", 8, 3);
    second.ownPalette = MakePalette(77);
    const BuiltModel m = Build(SimpleModel({first, MakeTexture("TEX00006"),
                                            SetShape{.mode = 0, .members = {second, MakeTexture("TEX00007")},
                                                    .count = std::nullopt}}));
    const auto shown = Preview(m, "TEX00005");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->texture.width, 8);
    EXPECT_EQ(shown->texture.height, 3);
    EXPECT_EQ(shown->texture.paletteRow, Row7(second.ownPalette));
    EXPECT_EQ(shown->bitmap, WriteTextureBitmap(shown->texture));
}

TEST(PreviewTexture, PassesOverALaterNodeWhoseLayoutIsNotRead)
{
    BuiltModel m = Build(SimpleModel({MakeTexture("TEX1", 4, 2), MakeTexture("TEX1", 8, 8)}));
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TEX1", 1) + 8), 2);
    const auto shown = Preview(m, "TEX1");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->texture.width, 4);

    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TEX1", 0) + 8), 2);
    EXPECT_FALSE(Preview(m, "TEX1"));
}

TEST(PreviewTexture, ComparesAllEightNameBytesCaseSensitively)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX12")}));
    EXPECT_FALSE(Preview(m, "tex1"));
    EXPECT_FALSE(Preview(m, "TEX"));
    EXPECT_FALSE(PreviewTexture(OptImage(m.bytes), "TEX1")); // unpadded: not the 8 stored bytes
    EXPECT_EQ(Preview(m, "TEX1")->texture.pixels.size(), 16u);
    EXPECT_TRUE(Preview(m, "TEX12"));
}

TEST(PreviewTexture, FindsTexturesThatNoListScanWouldList)
{
    // No name filter, and the single member of a one-member set whatever the set's mode.
    const BuiltModel m = Build(SimpleModel({MakeTexture("abc", 2, 2),
                                            SetShape{.mode = 7, .members = {MakeTexture("xyz", 3, 1)}, .count = std::nullopt}}));
    EXPECT_EQ(Preview(m, "abc")->texture.width, 2);
    EXPECT_EQ(Preview(m, "xyz")->texture.width, 3);
}

TEST(PreviewTexture, ReportsDamageInAnyNodeOfTheName)
{
    BuiltModel m = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX1")}));
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TEX1", 0) + 41), -1);
    EXPECT_THROW(Preview(m, "TEX1"), OptError);
}

} // namespace
} // namespace lathwork
