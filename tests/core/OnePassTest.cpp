// Files the one-pass rewrite takes and refuses, pointers just past the end, and reading without
// copies.

#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/RewriteFixtures.hpp"
#include "testkit/WalkingOracle.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

// Two textures sharing a palette and one texture in a second part.
BuiltModel SharedModel()
{
    ModelShape shape;
    shape.palettes = {MakePalette(5)};
    GroupShape group;
    group.branch.parts = {PartShape{{MakeTexture("TexA", 4, 4, 0), MakeTexture("TexB")}}, PartShape{{MakeTexture("TexC", 4, 4, 0)}}};
    shape.tops = {TopShape{{group}}};
    return Build(shape);
}

// Runs the illumination both ways; both must give the same bytes. Returns the one-pass report.
RewriteReport IlluminateBothWays(const Bytes& bytes, const std::vector<std::string>& names, Bytes* result = nullptr)
{
    IlluminationRequest request;
    for (const std::string& name : names) {
        request.names.push_back(Name8(name));
    }
    OptImage walked{Bytes(bytes)};
    OptImage onePass{Bytes(bytes)};
    WalkIllumination(walked, request);
    const RewriteReport report = RunIllumination(onePass, request);
    EXPECT_TRUE(std::ranges::equal(walked.Bytes(), onePass.Bytes()));
    if (result != nullptr) {
        result->assign(onePass.Bytes().begin(), onePass.Bytes().end());
    }
    return report;
}

TEST(OnePass, AcceptsSharedPalettesAndANodeReachedTwice)
{
    BuiltModel m = SharedModel();
    // The first part's second slot now leads to the later part's texture as well.
    SetLong(m.bytes, static_cast<std::size_t>(m.parts[0] + 28), m.Texture("TexC") + m.globalOffset);
    const RewriteReport report = IlluminateBothWays(m.bytes, {"TexC", "TexA", "TexC"});
    EXPECT_EQ(report.texturesRewritten, 2);
    EXPECT_EQ(report.palettesCopied, 1); // TexC owns the shared palette laid out behind it
    EXPECT_EQ(report.bytesAdded, 8192);
}

// The search of a name once kept the offsets of the part nodes around a texture while the
// texture grew, and then read the part's later children from where the part no longer stood.
TEST(OnePass, APartNodeStandingAfterItsTexturesIsReadWhereItStands)
{
    BuiltModel m = SharedModel();
    const std::int32_t part = m.parts[0];
    const auto length = static_cast<std::int32_t>(m.bytes.size());
    m.bytes.insert(m.bytes.end(), m.bytes.begin() + part, m.bytes.begin() + part + 32);
    const std::int32_t table = GetLong(m.bytes, static_cast<std::size_t>(m.branches[0] + 12)) - m.globalOffset;
    SetLong(m.bytes, static_cast<std::size_t>(table), length + m.globalOffset);
    Bytes result;
    const RewriteReport report = IlluminateBothWays(m.bytes, {"TexA", "TexB"}, &result);
    EXPECT_EQ(report.texturesRewritten, 2);
    const WalkFacts after = ReadWalkFacts(result);
    EXPECT_EQ(CompareStructure(ReadWalkFacts(m.bytes), after), "");
    for (const TextureFacts& t : after.textures) {
        EXPECT_EQ(t.paletteAt, t.node + 57 + t.dataSize) << t.name.c_str(); // each owns its palette now
    }
}

TEST(OnePassRefuses, APaletteOverlappingAnotherTexture)
{
    BuiltModel m = SharedModel();
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TexC") + 33), m.Texture("TexA") + 40 + m.globalOffset);
    OptImage image{Bytes(m.bytes)};
    try {
        RunIllumination(image, {{Name8("TexC")}, {}});
        ADD_FAILURE() << "accepted";
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("overlap"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(std::ranges::equal(image.Bytes(), m.bytes));
}

// Pointers 0 to 64 bytes past the loaded end, in a header slot and a texture's data slot, under
// four insertions of 4, 40, 4 and 8232 bytes: each grown length is met exactly and one byte
// past. A target the grown file reaches exactly is its end, and stays the end.
TEST(OnePass, PointersJustPastTheEndMoveAsTheWalkingOracleMovesThem)
{
    const BuiltModel m = SharedModel();
    const auto length = static_cast<std::int32_t>(m.bytes.size());
    const TransparencyRequest request{{Name8("TexC"), Name8("TexA")}, {}, 90};
    for (std::int32_t past = 0; past <= 64 && !HasFailure(); ++past) {
        SCOPED_TRACE("past the end by " + std::to_string(past));
        Bytes bytes = m.bytes;
        SetLong(bytes, 18, length + past + m.globalOffset);
        SetLong(bytes, static_cast<std::size_t>(m.Texture("TexB") + 20), length + 64 - past + m.globalOffset);
        OptImage walked{Bytes(bytes)};
        OptImage onePass{Bytes(bytes)};
        WalkTransparency(walked, request);
        RunTransparency(onePass, request);
        ASSERT_TRUE(std::ranges::equal(walked.Bytes(), onePass.Bytes()));
        if (past == 4 || past == 44) {
            EXPECT_EQ(onePass.ReadLong(18), onePass.Size() + m.globalOffset);
        }
        if (past == 5) {
            EXPECT_NE(onePass.ReadLong(18), onePass.Size() + m.globalOffset);
        }
    }
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
