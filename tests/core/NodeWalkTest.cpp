#include "opt/OptImage.hpp"
#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

struct Visits {
    std::vector<std::int32_t> branches;
    std::vector<std::pair<std::int32_t, std::int32_t>> leaves; // offset, type
};

// Branches, and the leaves of type 20 and 24.
Visits Walk(const Bytes& bytes)
{
    const OptImage image{Bytes(bytes)};
    struct Recorder : WalkVisitor {
        Visits visits;
        Recorder() : WalkVisitor(WalkDepth::Leaves) {}
        void Branch(std::int32_t d) override { visits.branches.push_back(d); }
        void Leaf(std::int32_t f, std::int32_t t) override
        {
            if (t == layout::kTypeTexture || t == layout::kTypeTextureSet) {
                visits.leaves.emplace_back(f, t);
            }
        }
    } recorder;
    NodeWalk(image, ReadPointerBase(image), recorder);
    return recorder.visits;
}

TEST(PointerBase, GlobalOffsetIsPointerBaseLessEight)
{
    Bytes bytes(32, 0);
    SetLong(bytes, 8, 108);
    const OptImage image{Bytes(bytes)};
    EXPECT_EQ(ReadPointerBase(image), 100);
    EXPECT_EQ(FileOffsetOf(388, 100), 288);
    SetLong(bytes, 8, 8);
    EXPECT_EQ(ReadPointerBase(OptImage{Bytes(bytes)}), 0);
}

TEST(PointerBase, ArithmeticLeavingThirtyTwoBitsIsAnError)
{
    EXPECT_THROW(FileOffsetOf(INT32_MIN, 1), OptError);
    Bytes bytes(32, 0);
    SetLong(bytes, 8, INT32_MIN + 3);
    EXPECT_THROW(ReadPointerBase(OptImage{Bytes(bytes)}), OptError);
}

TEST(NodeWalk, VisitsLeavesInFileTableOrderDepthFirst)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA"), SetShape{.mode = 1, .members = {MakeTexture("TexB")}, .count = {}}, MakeTexture("TexC")});
    GroupShape second;
    second.branch.parts.push_back(PartShape{{MakeTexture("TexD")}});
    tree.tops.push_back(TopShape{{second}});
    const BuiltModel model = Build(tree);
    const Visits visits = Walk(model.bytes);
    ASSERT_EQ(visits.leaves.size(), 4u);
    EXPECT_EQ(visits.leaves[0].first, model.Texture("TexA"));
    EXPECT_EQ(visits.leaves[1].first, model.sets[0]);
    EXPECT_EQ(visits.leaves[1].second, 24);
    EXPECT_EQ(visits.leaves[2].first, model.Texture("TexC"));
    EXPECT_EQ(visits.leaves[3].first, model.Texture("TexD"));
    EXPECT_EQ(visits.branches, model.branches);
}

TEST(NodeWalk, NoTopNodesVisitNothing)
{
    ModelShape tree;
    const Visits visits = Walk(Build(tree).bytes);
    EXPECT_TRUE(visits.leaves.empty());
    EXPECT_TRUE(visits.branches.empty());
}

TEST(NodeWalk, NegativeCountsVisitNothing)
{
    BuiltModel model = Build(SimpleModel({MakeTexture("TexA")}));
    SetLong(model.bytes, layout::kTopNodeCount, -3);
    EXPECT_TRUE(Walk(model.bytes).leaves.empty());
}

TEST(NodeWalk, GroupSelectorPicksTheBranchSlot)
{
    for (const std::int32_t selector : {0, 1, 2, 3, 4, 5, -7}) {
        ModelShape tree = SimpleModel({MakeTexture("TexA")});
        std::get<GroupShape>(tree.tops[0].children[0]).selector = selector;
        const BuiltModel model = Build(tree);
        const Visits visits = Walk(model.bytes);
        ASSERT_EQ(visits.leaves.size(), 1u) << "selector " << selector;
        EXPECT_EQ(visits.branches, model.branches);
    }
    EXPECT_EQ(GroupBranchSlot(1), 24);
    EXPECT_EQ(GroupBranchSlot(2), 20);
    EXPECT_EQ(GroupBranchSlot(3), 32);
    EXPECT_EQ(GroupBranchSlot(4), 36);
}

TEST(NodeWalk, SelectorTwoReadsPlusTwentyNotPlusTwentyEight)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA")});
    std::get<GroupShape>(tree.tops[0].children[0]).selector = 2;
    BuiltModel model = Build(tree);
    // A pointer at +28 must not be taken for the branch.
    SetLong(model.bytes, static_cast<std::size_t>(model.groups[0] + 28), 0x7777);
    EXPECT_EQ(Walk(model.bytes).leaves.size(), 1u);
}

TEST(NodeWalk, ZeroChildPointersAreSkippedAndWalkGoesOn)
{
    ModelShape tree = SimpleModel({NullShape{}, MakeTexture("TexA"), NullShape{}, MakeTexture("TexB")});
    tree.tops[0].children.insert(tree.tops[0].children.begin(), NullShape{});
    const BuiltModel model = Build(tree);
    const Visits visits = Walk(model.bytes);
    ASSERT_EQ(visits.leaves.size(), 2u);
    EXPECT_EQ(visits.leaves[1].first, model.Texture("TexB"));
}

TEST(NodeWalk, TopChildOfOtherTypeIsNotDescended)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA")});
    tree.tops[0].children.insert(tree.tops[0].children.begin(), OtherChildShape{5});
    EXPECT_EQ(Walk(Build(tree).bytes).leaves.size(), 1u);
}

TEST(NodeWalk, LeavesOfOtherTypesArePassedOver)
{
    const BuiltModel model = Build(SimpleModel({RawLeafShape{1}, RawLeafShape{7}, RawLeafShape{26}, MakeTexture("TexA")}));
    const Visits visits = Walk(model.bytes);
    ASSERT_EQ(visits.leaves.size(), 1u);
    EXPECT_EQ(visits.leaves[0].second, 20);
}

TEST(NodeWalk, DamagedPointersAndTablesAreErrors)
{
    const BuiltModel good = Build(SimpleModel({MakeTexture("TexA")}));
    {
        Bytes bytes = good.bytes;
        SetLong(bytes, layout::kTopNodeTable, 0x7FFFFFF0); // top node far outside
        EXPECT_THROW(Walk(bytes), OptError);
    }
    {
        Bytes bytes = good.bytes;
        SetLong(bytes, layout::kTopNodeCount, 1 << 28);    // table past the end
        EXPECT_THROW(Walk(bytes), OptError);
    }
    {
        Bytes bytes = good.bytes;
        SetLong(bytes, static_cast<std::size_t>(good.branches[0] + 8), 1 << 20);
        EXPECT_THROW(Walk(bytes), OptError);
    }
    {
        Bytes bytes = good.bytes;
        SetLong(bytes, static_cast<std::size_t>(good.parts[0] + 24), -5); // leaf before the file
        EXPECT_THROW(Walk(bytes), OptError);
    }
}

TEST(NodeWalk, NodesPointingAtEachOtherStopWithAnError)
{
    // A small file whose tables all lead to the same nodes: 1000 top nodes that are one node,
    // a branch listing one part 1000 times, a part listing one texture 1000 times. Walked
    // naively that is 10^9 leaves from 12 kB.
    constexpr std::int32_t n = 1000;
    const std::int32_t top = 22 + 4 * n;
    const std::int32_t group = top + 28;
    const std::int32_t branch = group + 40;
    const std::int32_t table = branch + 24;
    const std::int32_t part = table + 4 * n;
    const std::int32_t texture = part + 24 + 4 * n;
    Bytes b(static_cast<std::size_t>(texture + 57), 0);
    SetLong(b, 8, 8); // stored pointers are file offsets
    SetLong(b, 14, n);
    for (std::int32_t i = 0; i < n; ++i) {
        SetLong(b, static_cast<std::size_t>(22 + 4 * i), top);
        SetLong(b, static_cast<std::size_t>(table + 4 * i), part);
        SetLong(b, static_cast<std::size_t>(part + 24 + 4 * i), texture);
    }
    SetLong(b, static_cast<std::size_t>(top + 8), 1);
    SetLong(b, static_cast<std::size_t>(top + 24), group);
    SetLong(b, static_cast<std::size_t>(group + 8), 2);
    SetLong(b, static_cast<std::size_t>(group + 20), branch);
    SetLong(b, static_cast<std::size_t>(branch + 8), n);
    SetLong(b, static_cast<std::size_t>(branch + 12), table);
    SetLong(b, static_cast<std::size_t>(part + 8), n);
    SetLong(b, static_cast<std::size_t>(texture + 4), 20);
    EXPECT_THROW(Walk(b), OptError);
}

} // namespace
} // namespace lathwork
