#include "opt/OptImage.hpp"
#include "modify/Rewrites.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

SetShape Set(std::int32_t mode, int members, std::optional<std::int32_t> count = {})
{
    SetShape set{.mode = mode, .members = {}, .count = count};
    for (int i = 0; i < members; ++i) {
        set.members.push_back(MakeTexture("TexM" + std::to_string(i)));
    }
    return set;
}

Bytes Animate(const Bytes& bytes, const std::vector<int>& rows)
{
    OptImage image{Bytes(bytes)};
    AnimateTextureSets(image, rows);
    return {image.Bytes().begin(), image.Bytes().end()};
}

// The bytes with 0 written at +16 and +20 of the given sets.
Bytes Expected(Bytes bytes, const std::vector<std::int32_t>& sets)
{
    for (const std::int32_t set : sets) {
        SetLong(bytes, static_cast<std::size_t>(set + 16), 0);
        SetLong(bytes, static_cast<std::size_t>(set + 20), 0);
    }
    return bytes;
}

TEST(Animation, SecondOfThreeSetsIsTheOnlyOneWritten)
{
    const BuiltModel m = Build(SimpleModel({Set(1, 2), Set(1, 3), MakeTexture("TexA"), Set(1, 0)}));
    const Bytes out = Animate(m.bytes, {1});
    EXPECT_EQ(out, Expected(m.bytes, {m.sets[1]}));
    EXPECT_EQ(ScanTextureSets(OptImage(Bytes(out))), (std::vector<std::string>{"Tex Set 1", "Tex Set 2"}));
}

TEST(Animation, SetsThatDoNotQualifyAreNeitherCountedNorWritten)
{
    const BuiltModel m = Build(SimpleModel({Set(1, 1), Set(0, 2), Set(2, 2), Set(1, 2), Set(1, 3, 1)}));
    // Only m.sets[3] qualifies (the last one claims NodeCount 1).
    EXPECT_EQ(Animate(m.bytes, {0, 1, 2, 3, 4}), Expected(m.bytes, {m.sets[3]}));
}

TEST(Animation, NothingSelectedLeavesTheFileByteIdentical)
{
    const BuiltModel m = Build(SimpleModel({Set(1, 2), Set(1, 2)}));
    EXPECT_EQ(Animate(m.bytes, {}), m.bytes);
    EXPECT_EQ(Animate(m.bytes, {7, -1}), m.bytes);
}

TEST(Animation, SetsAreNumberedAsTheScanNumberedThem)
{
    // The first set is reached twice, so the scan lists it as sets 1 and 2 and the other as 3.
    BuiltModel m = Build(SimpleModel({Set(1, 2), Set(1, 2)}));
    const std::int32_t part = m.parts[0];
    Bytes& b = m.bytes;
    // A second part naming the first set twice, then the other set, replaces the first part.
    const auto copy = static_cast<std::int32_t>(b.size());
    b.resize(b.size() + 24 + 12, 0);
    SetLong(b, static_cast<std::size_t>(copy + 8), 3);
    SetLong(b, static_cast<std::size_t>(copy + 24), GetLong(b, static_cast<std::size_t>(part + 24)));
    SetLong(b, static_cast<std::size_t>(copy + 28), GetLong(b, static_cast<std::size_t>(part + 24)));
    SetLong(b, static_cast<std::size_t>(copy + 32), GetLong(b, static_cast<std::size_t>(part + 28)));
    const std::int32_t table = GetLong(b, static_cast<std::size_t>(m.branches[0] + 12)) - m.globalOffset;
    SetLong(b, static_cast<std::size_t>(table), m.globalOffset + copy);
    ASSERT_EQ(ScanTextureSets(OptImage(Bytes(b))).size(), 3u);

    EXPECT_EQ(Animate(b, {0, 2}), Expected(b, {m.sets[0], m.sets[1]}));
    EXPECT_EQ(Animate(b, {2}), Expected(b, {m.sets[1]}));
    EXPECT_EQ(Animate(b, {1}), Expected(b, {m.sets[0]}));
    // The set reached twice and selected at both its rows is one set animated.
    OptImage image{Bytes(b)};
    EXPECT_EQ(AnimateTextureSets(image, {0, 1, 2}).setsAnimated, 2);
}

} // namespace
} // namespace lathwork
