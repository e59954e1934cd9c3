// Every way a rewrite can fail leaves the model on disk byte for byte as it was.

#include "opt/OptImage.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

using Change = std::function<void(OptImage&)>;

// "Select all" and BEGIN in each of the three modes.
const std::vector<std::pair<std::string, Change>>& Rewrites()
{
    static const std::vector<std::pair<std::string, Change>> rewrites = {
        {"illumination", [](OptImage& image) { RunIllumination(image, {ScanIlluminationTextures(image), {}}); }},
        {"transparency", [](OptImage& image) { RunTransparency(image, {ScanTransparencyTextures(image), {}, 111}); }},
        {"animation", [](OptImage& image) {
             std::vector<int> rows(ScanTextureSets(image).size());
             for (std::size_t i = 0; i < rows.size(); ++i) {
                 rows[i] = static_cast<int>(i);
             }
             AnimateTextureSets(image, rows);
         }},
    };
    return rewrites;
}

// A texture sharing the palette at the end of the file, then a set whose members follow it.
BuiltModel Model()
{
    ModelShape tree = SimpleModel({MakeTexture("TexA", 4, 4, 0),
                                  SetShape{.mode = 1, .members = {MakeTexture("TexB"), MakeTexture("TexC", 4, 4, 0)}, .count = {}}});
    tree.palettes = {MakePalette(21)};
    return Build(tree);
}

// Writes bytes as MODEL.OPT in a fresh folder, runs the rewrite through RewriteFile and checks
// that it failed with OptError and left the folder exactly as it was.
void ExpectFailureLeavesFileAlone(const Bytes& bytes, const Change& change, fs::perms filePerms = fs::perms::owner_all,
                                  fs::perms folderPerms = fs::perms::owner_all)
{
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    WriteFile(file, bytes);
    fs::permissions(file, filePerms);
    fs::permissions(folder.Path(), folderPerms);
    EXPECT_THROW(RewriteFile(file, change), OptError);
    fs::permissions(folder.Path(), fs::perms::owner_all);
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
}

TEST(RewriteFailure, ReadOnlyFileIsRefused)
{
    const Bytes bytes = Model().bytes;
    for (const auto& [name, change] : Rewrites()) {
        SCOPED_TRACE(name);
        ExpectFailureLeavesFileAlone(bytes, change, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
}

TEST(RewriteFailure, ReadOnlyFolderIsRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows does not honour the read-only mark on folders";
#else
    const Bytes bytes = Model().bytes;
    for (const auto& [name, change] : Rewrites()) {
        SCOPED_TRACE(name);
        ExpectFailureLeavesFileAlone(bytes, change, fs::perms::owner_all,
                                     fs::perms::owner_read | fs::perms::owner_exec);
    }
#endif
}

TEST(RewriteFailure, TruncatedFileIsRejected)
{
    const BuiltModel m = Model();
    const Bytes truncated(m.bytes.begin(), m.bytes.begin() + m.sets[0] + 10);
    for (const auto& [name, change] : Rewrites()) {
        SCOPED_TRACE(name);
        ExpectFailureLeavesFileAlone(truncated, change);
    }
}

TEST(RewriteFailure, PointerRedirectedOutsideTheFileIsRejected)
{
    const BuiltModel m = Model();
    Bytes bytes = m.bytes;
    SetLong(bytes, static_cast<std::size_t>(m.parts[0] + 28), m.globalOffset + static_cast<std::int32_t>(bytes.size()) + 1000);
    for (const auto& [name, change] : Rewrites()) {
        SCOPED_TRACE(name);
        ExpectFailureLeavesFileAlone(bytes, change);
    }
}

TEST(RewriteFailure, RewriteFailingHalfWayThroughLeavesTheFileAlone)
{
    // TexA is copied and relocated before the walk reaches the damaged second member.
    const BuiltModel m = Model();
    Bytes bytes = m.bytes;
    SetLong(bytes, static_cast<std::size_t>(m.sets[0] + 28), 0);
    const TextureName texA = Name8("TexA");
    ExpectFailureLeavesFileAlone(bytes, [&](OptImage& image) { RunIllumination(image, {{texA}, {}}); });
    ExpectFailureLeavesFileAlone(bytes, [&](OptImage& image) { RunTransparency(image, {{texA}, {}, 50}); });
}

TEST(RewriteFailure, TruncationAtEveryOffsetGivesACleanErrorOrAWholeResult)
{
    const Bytes bytes = Model().bytes;
    for (const auto& [name, change] : Rewrites()) {
        SCOPED_TRACE(name);
        int failures = 0;
        for (std::size_t length = 0; length < bytes.size(); ++length) {
            OptImage image{Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length))};
            try {
                change(image);
            } catch (const OptError&) {
                ++failures;
            }
        }
        EXPECT_GT(failures, 0);
    }
}

TEST(RewriteFile, SuccessfulRewriteReplacesTheFileAndLeavesNoStrayFile)
{
    const Bytes bytes = Model().bytes;
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    WriteFile(file, bytes);
    RewriteFile(file, Rewrites()[1].second);
    EXPECT_GT(ReadFile(file).size(), bytes.size());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
}

} // namespace
} // namespace lathwork
