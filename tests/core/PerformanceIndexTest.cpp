// The pieces of the indexed rewrites: the shift map, the pointer index against the plain
// relocation rule, the check that decides between indexed and walking, and reading without
// copies.

#include "modify/IndexPlan.hpp"
#include "modify/IndexedStore.hpp"
#include "modify/Rewrites.hpp"
#include "modify/ShiftMap.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace lathwork {
namespace {

using namespace testkit;

TEST(ShiftMap, LocationsMoveWithTheBlocksInFrontOfThem)
{
    ShiftMap map;
    map.Add(100, 8);   // bytes 100.. move by 8
    map.Add(40, 4);    // out of order: bytes 40.. move by 4 more
    EXPECT_EQ(map.OffsetOf({39, -1}), 39);
    EXPECT_EQ(map.OffsetOf({40, -1}), 44);
    EXPECT_EQ(map.OffsetOf({99, -1}), 103);
    EXPECT_EQ(map.OffsetOf({100, -1}), 112);
    // Inside the blocks: the block at 40 stands at 40, the one at 100 at 104.
    EXPECT_EQ(map.OffsetOf({40, 0}), 40);
    EXPECT_EQ(map.OffsetOf({100, 7}), 111);
    // At() is the inverse over every offset.
    for (std::int64_t offset = 0; offset < 130; ++offset) {
        EXPECT_EQ(map.OffsetOf(map.At(offset)), offset) << offset;
    }
    EXPECT_EQ(map.At(43), (Location{40, 3}));
    EXPECT_EQ(map.At(44), (Location{40, -1}));
    EXPECT_EQ(map.At(104), (Location{100, 0}));
}

TEST(ShiftMapRejects, ASecondBlockInFrontOfTheSameByte)
{
    ShiftMap map;
    map.Add(10, 4);
    EXPECT_THROW(map.Add(10, 4), OptError);
}

// Slots of random values (before the file, inside it, its end, past it) in a file of random
// bytes; random insertions in front of loaded bytes, each at most once. The index must give
// every slot the value the plain rule gives it, relocating all slots at every insertion.
TEST(IndexedStore, GivesEverySlotTheValueOfRelocatingAtEveryInsertion)
{
    std::mt19937 rng(99);
    for (int round = 0; round < 200; ++round) {
        const std::int32_t length = std::uniform_int_distribution<std::int32_t>(64, 600)(rng);
        const std::int32_t g = std::uniform_int_distribution<std::int32_t>(-300, 300)(rng);
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
        std::vector<std::int32_t> slots;
        for (std::int32_t s = 0; s + 4 <= length; s += 4 * std::uniform_int_distribution<std::int32_t>(1, 4)(rng)) {
            slots.push_back(s);
            const std::int32_t target = std::uniform_int_distribution<std::int32_t>(-20, length + 200)(rng);
            SetLong(bytes, static_cast<std::size_t>(s), target + g);
        }
        OptImage walking(Bytes(bytes), OptImage::Storage::Contiguous);
        OptImage indexed{Bytes(bytes)};
        IndexedStore store(indexed, g, slots);
        // Insertion points: distinct loaded bytes (or the end), never inside a slot (the rewrites
        // insert between structures), in random order.
        std::vector<std::int32_t> anchors;
        for (std::int32_t a = 0; a <= length; ++a) {
            if (!std::any_of(slots.begin(), slots.end(), [a](std::int32_t s) { return a > s && a < s + 4; })) {
                anchors.push_back(a);
            }
        }
        std::shuffle(anchors.begin(), anchors.end(), rng);
        anchors.resize(std::uniform_int_distribution<std::size_t>(1, 12)(rng));
        std::vector<std::int32_t> where = slots; // where each slot stands in the walking image
        for (const std::int32_t anchor : anchors) {
            const std::int32_t point = store.OffsetOf(anchor);
            const auto size = std::uniform_int_distribution<std::int32_t>(1, 300)(rng);
            RelocateSlots(walking, where, g, {point, size});
            const std::vector<std::uint8_t> inserted(static_cast<std::size_t>(size), 0xAB);
            walking.Insert(point, inserted);
            store.Insert({point, size}, inserted);
            for (std::int32_t& w : where) {
                w += w >= point ? size : 0;
            }
        }
        store.Finish();
        ASSERT_EQ(std::vector<std::uint8_t>(indexed.Bytes().begin(), indexed.Bytes().end()),
                  std::vector<std::uint8_t>(walking.Bytes().begin(), walking.Bytes().end()))
            << "round " << round;
    }
}

TEST(IndexedStore, SlotsWrittenDuringTheRunAreKeptAndMoved)
{
    OptImage image{Bytes(200, 0)};
    IndexedStore store(image, 0, {});
    store.Write(8, 150); // designates byte 150
    EXPECT_EQ(store.Read(8), 150);
    store.Insert({100, 10}, std::vector<std::uint8_t>(10, 1));
    EXPECT_EQ(store.Read(8), 160);
    store.Write(8, 105); // now inside the inserted block
    store.Insert({50, 5}, std::vector<std::uint8_t>(5, 2));
    EXPECT_EQ(store.Read(8), 110);
    store.Finish();
    EXPECT_EQ(image.ReadLong(8), 110);
}

TEST(IndexedStoreRejects, ReadingASlotItDoesNotKnow)
{
    OptImage image{Bytes(64, 0)};
    IndexedStore store(image, 0, std::vector<std::int32_t>{4});
    EXPECT_THROW(store.Read(8), OptError);
    EXPECT_NO_THROW(store.Read(4));
}

TEST(IndexedStore, MovedValueLeavingThirtyTwoBitsFailsAsRelocationWould)
{
    OptImage image{Bytes(64, 0)};
    image.WriteLong(0, INT32_MAX - 10); // g below makes the target byte 20
    IndexedStore store(image, INT32_MAX - 30, std::vector<std::int32_t>{0});
    store.Insert({10, 20}, std::vector<std::uint8_t>(20, 0));
    EXPECT_THROW(store.Finish(), OptError);
}

// Two textures sharing a palette and one reached from two parts: one index is enough.
BuiltModel SharedModel()
{
    ModelShape shape;
    shape.palettes = {MakePalette(5)};
    GroupShape group;
    group.branch.parts = {PartShape{{MakeTexture("TexA", 4, 4, 0), MakeTexture("TexB")}}, PartShape{{MakeTexture("TexC", 4, 4, 0)}}};
    shape.tops = {TopShape{{group}}};
    return Build(shape);
}

TEST(IndexPlan, AcceptsSharedPalettesAndANodeReachedTwice)
{
    BuiltModel m = SharedModel();
    // The first part's second slot now leads to the later part's texture as well.
    SetLong(m.bytes, static_cast<std::size_t>(m.parts[0] + 28), m.Texture("TexC") + m.globalOffset);
    const auto plan = PlanIndexedRewrite(OptImage(Bytes(m.bytes)));
    ASSERT_TRUE(plan.has_value());
    EXPECT_EQ(plan->candidates, (std::vector<std::int32_t>{m.Texture("TexA"), m.Texture("TexC"), m.Texture("TexC")}));
}

TEST(IndexPlanRefuses, APartNodeStandingAfterItsTextures)
{
    BuiltModel m = SharedModel();
    const std::int32_t part = m.parts[1];
    const auto length = static_cast<std::int32_t>(m.bytes.size());
    m.bytes.insert(m.bytes.end(), m.bytes.begin() + part, m.bytes.begin() + part + 28);
    const std::int32_t table = GetLong(m.bytes, static_cast<std::size_t>(m.branches[0] + 12)) - m.globalOffset;
    SetLong(m.bytes, static_cast<std::size_t>(table + 4), length + m.globalOffset);
    EXPECT_FALSE(PlanIndexedRewrite(OptImage(Bytes(m.bytes))).has_value());
    // The rewrite still runs, by walking, and reports so.
    OptImage image{Bytes(m.bytes)};
    const RewriteReport report = RunIllumination(image, {{Name8("TexC")}, {}});
    EXPECT_FALSE(report.indexed);
    EXPECT_EQ(report.texturesChanged, 1);
}

TEST(IndexPlanRefuses, APaletteOverlappingAnotherTexture)
{
    BuiltModel m = SharedModel();
    const std::int32_t a = m.Texture("TexA");
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TexC") + 33), a + 40 + m.globalOffset);
    EXPECT_FALSE(PlanIndexedRewrite(OptImage(Bytes(m.bytes))).has_value());
}

TEST(IndexPlanRefuses, APaletteRunningPastTheEndOfTheFile)
{
    BuiltModel m = SharedModel();
    const auto length = static_cast<std::int32_t>(m.bytes.size());
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TexA") + 33), length - 100 + m.globalOffset);
    EXPECT_FALSE(PlanIndexedRewrite(OptImage(Bytes(m.bytes))).has_value());
}

// Scans, previews, extraction and the cloaking scan read a loaded image in place: every view is
// a window on the one buffer the file was read into.
TEST(LoadedImage, ViewsAndTheWholeImageShareTheOneBuffer)
{
    const Bytes bytes = Build(GenerateLargeModel(40)).bytes;
    const OptImage image{Bytes(bytes)};
    const std::uint8_t* whole = image.Bytes().data();
    for (const std::int64_t offset : {std::int64_t{0}, std::int64_t{1234}, static_cast<std::int64_t>(bytes.size()) - 8}) {
        EXPECT_EQ(image.View(offset, 8).data(), whole + offset);
    }
    ScanIlluminationTextures(image);
    EXPECT_EQ(image.Bytes().data(), whole);
}

} // namespace
} // namespace lathwork
