#include "opt/OptImage.hpp"
#include "modify/Relocation.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/RewriteFixtures.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <set>

namespace lathwork {
namespace {

using namespace testkit;
using Slots = std::set<std::int32_t>;

Slots Collect(const Bytes& bytes, std::optional<std::int32_t> unfollowed = {})
{
    const OptImage image{Bytes(bytes)};
    const auto slots = CollectPointerSlots(image, ReadPointerBase(image), unfollowed);
    EXPECT_TRUE(std::is_sorted(slots.begin(), slots.end()));
    EXPECT_EQ(std::adjacent_find(slots.begin(), slots.end()), slots.end()) << "a slot listed twice";
    return {slots.begin(), slots.end()};
}

std::int32_t Target(const BuiltModel& m, std::int32_t slot)
{
    return GetLong(m.bytes, static_cast<std::size_t>(slot)) - m.globalOffset;
}

// The slots of the header, the top node, its group (selector 2), the branch and the part: the
// frame around the leaves of a SimpleModel.
Slots FrameSlots(const BuiltModel& m)
{
    const std::int32_t top = m.tops[0], group = m.groups[0], branch = m.branches[0], part = m.parts[0];
    return {18, 22, top + 12, top + 24, group + 12, group + 20, branch + 12, branch + 20,
            Target(m, branch + 12), part + 12};
}

Slots Union(Slots a, const Slots& b)
{
    a.insert(b.begin(), b.end());
    return a;
}

TEST(RelocatePointer, MovesTargetsFromTheInsertionPointToTheEndOfTheFile)
{
    OptImage image{Bytes(800, 0)};
    const Insertion insertion{500, 4};
    const std::vector<std::pair<std::int32_t, std::int32_t>> cases = {
        {600, 604}, {599, 599}, {900, 904}, {901, 901}, {0, 0}, {100, 100}, {99, 99}, {-5, -5}};
    std::vector<std::int32_t> slots;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        slots.push_back(static_cast<std::int32_t>(4 * i));
        image.WriteLong(slots.back(), cases[i].first);
    }
    RelocateSlots(image, slots, 100, insertion);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(image.ReadLong(slots[i]), cases[i].second) << "value " << cases[i].first;
    }
    EXPECT_EQ(image.Size(), 800);
}

TEST(RelocatePointer, ValuesWhoseTargetCannotBeComputedStayAndMovedValuesMustFit)
{
    EXPECT_EQ(RelocatedValue(INT32_MIN, 100, 800, {0, 4}), std::nullopt);
    EXPECT_EQ(RelocatedValue(INT32_MAX, -100, 800, {0, 4}), std::nullopt);
    // The target lies in the file, but the moved value leaves 32 bits.
    EXPECT_THROW(RelocatedValue(INT32_MAX - 10, INT32_MAX - 50, 800, {0, 100}), OptError);
    EXPECT_EQ(RelocatedValue(INT32_MAX - 10, INT32_MAX - 50, 800, {0, 10}), INT32_MAX);
}

TEST(RelocationWalk, SelectorTwoRelocatesSlotTwentyAndDescends)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA")}));
    const std::int32_t x = m.textures[0];
    const Slots expected = Union(FrameSlots(m), {m.parts[0] + 24, x, x + 20, x + 33});
    EXPECT_EQ(Collect(m.bytes), expected);
}

TEST(RelocationWalk, SelectorOneRelocatesSlotTwentyFourAndLeavesTwenty)
{
    ModelShape tree = SimpleModel({MakeTexture("TexA")});
    std::get<GroupShape>(tree.tops[0].children[0]).selector = 1;
    BuiltModel m = Build(tree);
    const std::int32_t group = m.groups[0];
    SetLong(m.bytes, static_cast<std::size_t>(group + 20), 0x7777); // read by nobody
    Slots expected = FrameSlots(m);
    expected.erase(group + 20);
    expected.insert(group + 24);
    const std::int32_t x = m.textures[0];
    expected.insert({m.parts[0] + 24, x, x + 20, x + 33});
    EXPECT_EQ(Collect(m.bytes), expected);
}

TEST(RelocationWalk, SelectorsThreeAndFourUseTheirSlots)
{
    for (const auto& [selector, slot] : {std::pair{3, 32}, std::pair{4, 36}}) {
        ModelShape tree = SimpleModel({});
        std::get<GroupShape>(tree.tops[0].children[0]).selector = selector;
        const BuiltModel m = Build(tree);
        const Slots slots = Collect(m.bytes);
        EXPECT_TRUE(slots.count(m.groups[0] + slot)) << selector;
        EXPECT_FALSE(slots.count(m.groups[0] + 20)) << selector;
    }
}

TEST(RelocationWalk, TopChildOfOtherTypeHasSlotTwentyOnlyAndNullChildrenAreSkipped)
{
    ModelShape tree;
    tree.tops.push_back(TopShape{{OtherChildShape{3}, NullShape{}}});
    const BuiltModel m = Build(tree);
    const std::int32_t top = m.tops[0];
    const std::int32_t other = Target(m, top + 24);
    EXPECT_EQ(Collect(m.bytes), (Slots{18, 22, top + 12, top + 24, other + 20}));
}

TEST(RelocationWalk, TextureSlotsDependOnItsChildCount)
{
    TextureShape withChild = MakeTexture("TexC");
    withChild.childCount = 1;
    TextureShape twoChildren = MakeTexture("TexD");
    twoChildren.childCount = 2;
    const BuiltModel m = Build(SimpleModel({withChild, twoChildren, RawLeafShape{1}, RawLeafShape{9}}));
    const std::int32_t c = m.textures[0], d = m.textures[1];
    const std::int32_t part = m.parts[0];
    const std::int32_t alpha = Target(m, c + 33);
    const std::int32_t raw1 = Target(m, part + 32), raw9 = Target(m, part + 36);
    const Slots expected = Union(FrameSlots(m), {part + 24, part + 28, part + 32, part + 36,
                                                 c, c + 12, c + 20, c + 33, c + 37, alpha + 20, // c = 1
                                                 d,                                           // c = 2
                                                 raw1 + 20});                                 // type 1
    EXPECT_EQ(Collect(m.bytes), expected);
    EXPECT_FALSE(Collect(m.bytes).count(raw9 + 20));
}

TEST(RelocationWalk, SetMembersFollowTheSetRules)
{
    const BuiltModel m = Build(SimpleModel({
        SetShape{.mode = 1, .members = {MakeTexture("TexA"), TextureRefShape{"TexR"}, RawLeafShape{1}}, .count = {}},
        SetShape{.mode = 2, .members = {MakeTexture("TexB"), MakeTexture("TexC")}, .count = {}},
    }));
    const std::int32_t part = m.parts[0];
    const std::int32_t s1 = m.sets[0], s2 = m.sets[1];
    const std::int32_t a = m.textures[0];
    const std::int32_t ref = Target(m, s1 + 28);
    const Slots expected = Union(FrameSlots(m), {part + 24, part + 28,                     // the set mode 2 is
                                                 s1 + 12, s1 + 24, s1 + 28, s1 + 32,       // passed over whole
                                                 a, a + 20, a + 33, ref + 20});
    EXPECT_EQ(Collect(m.bytes), expected);
    EXPECT_FALSE(Collect(m.bytes).count(s2 + 12));
}

TEST(RelocationWalk, SingleSetMemberIsATextureAndItsChildCountIsRead)
{
    TextureShape member = MakeTexture("TexM");
    member.childCount = 1;
    const BuiltModel withChild = Build(SimpleModel({SetShape{.mode = 7, .members = {member}, .count = {}}}));
    const std::int32_t s = withChild.sets[0], x = withChild.textures[0];
    const std::int32_t alpha = Target(withChild, x + 33);
    EXPECT_EQ(Collect(withChild.bytes),
              Union(FrameSlots(withChild), {withChild.parts[0] + 24, s + 12, s + 24, x, x + 12, x + 20, x + 33,
                                            x + 37, alpha + 20}));

    // Not a texture at all: still +0, +20 and +33, without a type test.
    const BuiltModel ref = Build(SimpleModel({SetShape{.mode = 1, .members = {TextureRefShape{"TexR"}}, .count = {}},
                                              RawLeafShape{9}}));
    const std::int32_t rs = ref.sets[0], r = Target(ref, rs + 24);
    EXPECT_EQ(Collect(ref.bytes), Union(FrameSlots(ref), {ref.parts[0] + 24, ref.parts[0] + 28, rs + 12, rs + 24, r,
                                                          r + 20, r + 33}));
}

TEST(RelocationWalk, UnfollowedChildIsListedButNotFollowed)
{
    TextureShape t = MakeTexture("TexC");
    t.childCount = 1;
    const BuiltModel m = Build(SimpleModel({t}));
    const std::int32_t x = m.textures[0];
    const std::int32_t alpha = Target(m, x + 33);
    const Slots slots = Collect(m.bytes, x);
    EXPECT_TRUE(slots.count(x + 33));
    EXPECT_FALSE(slots.count(alpha + 20));
    EXPECT_TRUE(Collect(m.bytes).count(alpha + 20));
}

TEST(RelocationWalk, SharedNodeReachedTwiceIsMovedOnce)
{
    BuiltModel m = Build(SimpleModel({MakeTexture("TexA"), MakeTexture("TexB")}));
    const std::int32_t part = m.parts[0];
    const std::int32_t a = m.textures[0];
    SetLong(m.bytes, static_cast<std::size_t>(part + 28), GetLong(m.bytes, static_cast<std::size_t>(part + 24)));
    OptImage image{Bytes(m.bytes)};
    const std::int32_t before20 = image.ReadLong(a + 20);
    const std::int32_t beforePalette = image.ReadLong(a + 33);
    RelocationWalk(image, m.globalOffset, {a, 16});
    EXPECT_EQ(image.ReadLong(a + 20), before20 + 16);
    EXPECT_EQ(image.ReadLong(a + 33), beforePalette + 16);
    EXPECT_EQ(image.ReadLong(part + 24), image.ReadLong(part + 28));
    EXPECT_EQ(image.ReadLong(part + 24), m.globalOffset + a + 16);
}

TEST(RelocationWalk, EveryPointerStillDesignatesItsDataAfterAnInsertion)
{
    const BuiltModel m = Build(RichModel());
    const WalkFacts before = ReadWalkFacts(m.bytes);
    // Insertions between nodes: every node behind the point moves, and every pointer with it.
    for (const std::int32_t point : {m.tops[0], m.textures[3], m.sets[0], m.sharedPalettes[0], m.sharedPalettes[1],
                                     static_cast<std::int32_t>(m.bytes.size())}) {
        OptImage image{Bytes(m.bytes)};
        const Bytes inserted(12, 0xAB);
        RelocationWalk(image, m.globalOffset, {point, 12});
        InsertBytes(image, point, inserted);
        const WalkFacts after = ReadWalkFacts(image);
        EXPECT_EQ(CompareStructure(before, after), "") << "insertion at " << point;
        for (std::size_t i = 0; i < before.textures.size(); ++i) {
            EXPECT_EQ(before.textures[i].palette, after.textures[i].palette) << i;
            EXPECT_EQ(before.textures[i].opacities, after.textures[i].opacities) << i;
        }
    }
}

TEST(InsertBytes, MovesTheTailBehindTheNewBytes)
{
    OptImage image{Bytes{1, 2, 3, 4, 5}};
    const Bytes inserted{9, 8};
    InsertBytes(image, 2, inserted);
    EXPECT_EQ(Bytes(image.Bytes().begin(), image.Bytes().end()), (Bytes{1, 2, 9, 8, 3, 4, 5}));
    InsertBytes(image, 7, inserted);
    EXPECT_EQ(image.Size(), 9);
    EXPECT_THROW(InsertBytes(image, 10, inserted), OptError);
}

TEST(RelocationWalkRejects, AnInsertionOutsideTheFileOrOfNoBytes)
{
    OptImage image{Build(SimpleModel({})).bytes};
    EXPECT_THROW(RelocationWalk(image, 0x1000, {image.Size() + 1, 4}), OptError);
    EXPECT_THROW(RelocationWalk(image, 0x1000, {-1, 4}), OptError);
    EXPECT_THROW(RelocationWalk(image, 0x1000, {10, 0}), OptError);
}

TEST(RelocationWalkRejects, ANullSetMember)
{
    BuiltModel m = Build(SimpleModel({SetShape{.mode = 1, .members = {MakeTexture("TexA"), MakeTexture("TexB")}, .count = {}}}));
    SetLong(m.bytes, static_cast<std::size_t>(m.sets[0] + 28), 0);
    EXPECT_THROW(Collect(m.bytes), OptError);
    // With GlobalOffset 0 a null member would designate the header itself.
    BuiltModel zero = Build(SimpleModel({SetShape{.mode = 1, .members = {MakeTexture("TexA"), MakeTexture("TexB")}, .count = {}}}, 0));
    SetLong(zero.bytes, static_cast<std::size_t>(zero.sets[0] + 24), 0);
    EXPECT_THROW(Collect(zero.bytes), OptError);
}

TEST(RelocationWalkRejects, PointersAndTablesOutsideTheFile)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TexA")}));
    const std::int32_t end = static_cast<std::int32_t>(m.bytes.size());
    for (const std::int32_t slot : {22, m.tops[0] + 24, m.groups[0] + 20, m.parts[0] + 24, m.branches[0] + 12}) {
        Bytes bytes = m.bytes;
        SetLong(bytes, static_cast<std::size_t>(slot), m.globalOffset + end + 100);
        EXPECT_THROW(Collect(bytes), OptError) << "slot " << slot;
    }
    Bytes bigCount = m.bytes;
    SetLong(bigCount, static_cast<std::size_t>(m.parts[0] + 8), 1 << 28);
    EXPECT_THROW(Collect(bigCount), OptError);
}

TEST(RelocationWalkRejects, NodesThatFanOutBeyondWhatTheFileCanHold)
{
    // A branch whose 2000 entries all name one part whose 2000 children all name one texture.
    BuiltModel m = Build(SimpleModel({MakeTexture("TexA")}));
    const std::int32_t g = m.globalOffset;
    Bytes& b = m.bytes;
    const auto table = static_cast<std::int32_t>(b.size());
    const auto part = table + 4 * 2000;
    b.resize(static_cast<std::size_t>(part + 24 + 4 * 2000), 0);
    for (int i = 0; i < 2000; ++i) {
        SetLong(b, static_cast<std::size_t>(table + 4 * i), g + part);
        SetLong(b, static_cast<std::size_t>(part + 24 + 4 * i), g + m.textures[0]);
    }
    SetLong(b, static_cast<std::size_t>(part + 8), 2000);
    SetLong(b, static_cast<std::size_t>(m.branches[0] + 8), 2000);
    SetLong(b, static_cast<std::size_t>(m.branches[0] + 12), g + table);
    try {
        Collect(b);
        ADD_FAILURE() << "the walk ran to its end";
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("far more nodes"), std::string::npos) << error.what();
    }
}

} // namespace
} // namespace lathwork
