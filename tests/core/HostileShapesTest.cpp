// Files whose nodes point at each other so that a walk reaches the same nodes over and over:
// every operation must stop with a clear error (or finish) after work bounded by the file's size.

#include "opt/OptImage.hpp"
#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "modify/Relocation.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

const TextureName kName = Name8("TEX00001");

// The walk's own bound, or the bound on texture bytes read, whichever comes first.
bool MentionsLoop(const OptError& error)
{
    const std::string message = error.what();
    return message.find("refer to each other") != std::string::npos ||
           message.find("over and over") != std::string::npos;
}

TEST(HostileShapes, OneGroupBranchAndPartReachedOverAndOverStopEveryOperation)
{
    // 400 x 400 x 400 = 64 million visits of one texture in a file of 15 kB.
    const Bytes bytes = FanInModel(400, 400, 400);
    std::set<std::string> finished;
    for (const ToolOperation& operation : EveryOperation({kName})) {
        SCOPED_TRACE(operation.name);
        TempFolder scratch;
        OptImage image{Bytes(bytes)};
        try {
            operation.run(image, scratch.Path());
            finished.insert(operation.name);
        } catch (const OptError& error) {
            EXPECT_TRUE(MentionsLoop(error)) << error.what();
        }
        // Nothing is written when the walk is refused.
        EXPECT_EQ(scratch.Entries().size(), operation.name == "extraction" ? 1u : 0u);
    }
    // The cloaking scan reads the branch 400 times and nothing below it: bounded, so it finishes.
    EXPECT_EQ(finished, std::set<std::string>{"cloaking scan"});
}

TEST(HostileShapes, TheBoundLeavesRoomForEveryNodeOfALegalModel)
{
    // Each texture reached once, the walk's work close to the file's size in 4-byte slots.
    const Bytes bytes = FanInModel(1, 1, 3000);
    OptImage image{Bytes(bytes)};
    int visits = 0;
    ForEachTexture(image, ReadPointerBase(image), [&](std::int32_t, TextureRoute) { ++visits; });
    EXPECT_EQ(visits, 3000);
    EXPECT_NO_THROW(CollectPointerSlots(image, ReadPointerBase(image)));
}

TEST(HostileShapes, RepeatedTextureReadsAreBoundedByTheFileSize)
{
    // 20,000 leaves lead to one texture of 16 kB: the walk is short enough, but extracting or
    // previewing every visit would copy 330 MB out of a 104 kB file.
    const Bytes bytes = FanInModel(1, 1, 20000, 16384);
    TempFolder folder;
    const fs::path opt = folder / "SHIP.OPT";
    WriteFile(opt, bytes);
    int written = 0;
    try {
        ExtractTextures(opt, [&](const fs::path&) { ++written; });
        ADD_FAILURE() << "extraction wrote the same bitmap 20,000 times";
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("over and over"), std::string::npos) << error.what();
    }
    // A legal model reads each texture a few times at most; the bound allows far more.
    EXPECT_GT(written, 20);
    EXPECT_LT(written, 2000);
    EXPECT_EQ(ReadFile(opt), bytes);

    const OptImage image{Bytes(bytes)};
    EXPECT_THROW(PreviewTexture(image, kName), OptError);
}

TEST(HostileShapes, ATextureReachedAFewTimesIsStillExtractedEachTime)
{
    const Bytes bytes = FanInModel(1, 1, 5, 4096);
    TempFolder folder;
    const fs::path opt = folder / "SHIP.OPT";
    WriteFile(opt, bytes);
    EXPECT_EQ(ExtractTextures(opt).size(), 5u);
    const OptImage image{Bytes(bytes)};
    const auto picture = PreviewTexture(image, kName);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->texture.pixels.size(), 4096u);
}

TEST(HostileShapes, ATextureReachedOverAndOverIsRewrittenOnce)
{
    // 40,000 leaves lead to one texture that owns its palette (all rows alike).
    const Bytes bytes = FanInModel(1, 1, 40000);
    OptImage transparent{Bytes(bytes)};
    const RewriteReport report = RunTransparency(transparent, {{kName}, {}, 111});
    EXPECT_EQ(report.texturesRewritten, 1);
    EXPECT_EQ(transparent.Size(), static_cast<std::int32_t>(bytes.size()) + 4 + 24 + 16);

    OptImage illuminated{Bytes(bytes)};
    RunIllumination(illuminated, {{kName}, {}});
    EXPECT_TRUE(std::ranges::equal(illuminated.Bytes(), bytes));
}

} // namespace
} // namespace lathwork
