#include "opt/OptImage.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

#include <cstring>

namespace lathwork {
namespace {

using namespace testkit;

// One top node whose group nodes lead to branch nodes with these distance tables.
BuiltModel Model(const std::vector<std::vector<float>>& tables)
{
    ModelShape tree;
    TopShape top;
    for (const auto& distances : tables) {
        top.children.push_back(GroupShape{.selector = 2, .branch = BranchShape{.parts = {}, .distances = distances}});
    }
    tree.tops.push_back(top);
    return Build(tree);
}

std::size_t Table(const BuiltModel& model, std::size_t branch)
{
    return static_cast<std::size_t>(GetLong(model.bytes, static_cast<std::size_t>(model.branches[branch]) + 20) -
                                     model.globalOffset);
}

std::uint32_t Bits(float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return bits;
}

std::uint32_t EntryBits(const Bytes& bytes, std::size_t table, std::size_t k)
{
    return Bits(GetSingle(bytes, table + 4 * k));
}

TEST(CloakingTables, ScanShowsTheFirstTableWithTwoEntries)
{
    const auto model = Model({{3.413533e-05f, 0.0f}, {6.467e-05f, 1.0f}});
    const CloakingScan scan = ScanCloakingDistances(OptImage(model.bytes));
    EXPECT_EQ(scan.high, "2");
    EXPECT_EQ(scan.low, "NEVER");
    EXPECT_TRUE(scan.cloakFound);
}

TEST(CloakingTables, OneEntryTablesSetOnlyTheHighTextUntilTheSecondDistance)
{
    // A later one-entry table overwrites the high text; a value it cannot show leaves it.
    auto scan = ScanCloakingDistances(OptImage(Model({{1.0f}, {6.467e-05f}, {5.0f}}).bytes));
    EXPECT_EQ(scan.high, "1");
    EXPECT_FALSE(scan.cloakFound);
    EXPECT_EQ(scan.low, std::nullopt);
    scan = ScanCloakingDistances(OptImage(Model({{1.0f}, {-2.0f, 1.0f}, {0.0f, 0.0f}}).bytes));
    EXPECT_EQ(scan.high, "ALWAYS");
    EXPECT_EQ(scan.low, "ALWAYS");
    EXPECT_TRUE(scan.cloakFound);
}

TEST(CloakingTables, NoBranchNodeFindsNothingAndWritesNothing)
{
    ModelShape tree;
    tree.tops.push_back(TopShape{.children = {OtherChildShape{}, NullShape{}}});
    const auto model = Build(tree);
    EXPECT_EQ(ScanCloakingDistances(OptImage(model.bytes)).high, std::nullopt);
    OptImage image(model.bytes);
    WriteCloakingDistances(image, 1.0f, 0.0f);
    EXPECT_TRUE(std::ranges::equal(image.Bytes(), model.bytes));
}

TEST(CloakingTables, WriteFillsEveryTableAndTouchesNothingElse)
{
    const auto model = Model({{0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f, 0.5f, 0.5f}, {}});
    OptImage image(model.bytes);
    const float high = *DistanceValue("2");
    const float low = *DistanceValue("never");
    EXPECT_EQ(WriteCloakingDistances(image, high, low).distanceTablesWritten, 3);
    Bytes want = model.bytes;
    const auto set = [&](std::size_t branch, std::size_t k, float value) {
        std::memcpy(&want[Table(model, branch) + 4 * k], &value, 4);
    };
    set(0, 0, high);
    set(1, 0, high);
    set(1, 1, low);
    set(2, 0, high);
    set(2, 1, low);
    set(2, 2, low); // entries beyond the second carry the low value
    set(2, 3, low);
    EXPECT_TRUE(std::ranges::equal(image.Bytes(), want));
    EXPECT_EQ(image.Size(), static_cast<std::int32_t>(model.bytes.size()));
}

TEST(CloakingTables, AlwaysIsWrittenBackAsExactlyOne)
{
    const auto model = Model({{1.0f, 0.25f}});
    OptImage image(model.bytes);
    const CloakingScan scan = ScanCloakingDistances(image);
    ASSERT_EQ(scan.high, "ALWAYS");
    WriteCloakingDistances(image, *DistanceValue(*scan.high), *DistanceValue("NeVeR"));
    const Bytes bytes(image.Bytes().begin(), image.Bytes().end());
    EXPECT_EQ(EntryBits(bytes, Table(model, 0), 0), 0x3F800000u);
    EXPECT_EQ(EntryBits(bytes, Table(model, 0), 1), 0u);
}

TEST(CloakingTables, DistanceTableOutsideTheFileIsAnError)
{
    auto model = Model({{0.5f, 0.5f}, {0.5f, 0.5f}});
    // The second table, met after the boxes are filled, starts 4 bytes before the end.
    SetLong(model.bytes, static_cast<std::size_t>(model.branches[1]) + 20,
            static_cast<std::int32_t>(model.bytes.size()) - 4 + model.globalOffset);
    EXPECT_THROW(ScanCloakingDistances(OptImage(model.bytes)), OptError);
    OptImage image(model.bytes);
    EXPECT_THROW(WriteCloakingDistances(image, 0.0f, 0.0f), OptError);
    SetLong(model.bytes, static_cast<std::size_t>(model.branches[1]) + 20, -0x7FFFFFFF);
    EXPECT_THROW(ScanCloakingDistances(OptImage(model.bytes)), OptError);
}

TEST(CloakingTables, SecondDistanceUnknownToTheScanIsNotGuessed)
{
    OptImage image(Model({{0.5f, 0.5f}}).bytes);
    EXPECT_THROW(WriteCloakingDistances(image, 0.0f, std::nullopt), OptError);
    OptImage single(Model({{0.5f}}).bytes);
    EXPECT_NO_THROW(WriteCloakingDistances(single, 0.0f, std::nullopt));
}

TEST(CloakingTables, TruncationAnywhereGivesACleanError)
{
    const auto model = Model({{0.5f, 0.25f}, {0.125f}});
    for (std::size_t size = 0; size < model.bytes.size(); ++size) {
        const Bytes cut(model.bytes.begin(), model.bytes.begin() + static_cast<std::ptrdiff_t>(size));
        try {
            ScanCloakingDistances(OptImage(cut));
            OptImage image(cut);
            WriteCloakingDistances(image, 0.0f, 0.0f);
        } catch (const OptError&) {
        }
    }
}

} // namespace
} // namespace lathwork
