// Two saves of one file never lose a change, a change by another program is never overwritten,
// and a save keeps what the file is besides its bytes: owner, other names, an unchanged inode.

#include "modify/Cloaking.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <thread>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

void Illuminate(OptImage& image) { RunIllumination(image, {ScanIlluminationTextures(image), {}}); }
void Cloak(OptImage& image) { WriteCloakingDistances(image, 7, 3); }

Bytes Applied(Bytes bytes, const std::vector<void (*)(OptImage&)>& changes)
{
    OptImage image{std::move(bytes)};
    for (auto* change : changes) {
        change(image);
    }
    return {image.Bytes().begin(), image.Bytes().end()};
}

std::string ErrorOf(const std::function<void()>& body)
{
    try {
        body();
    } catch (const OptError& error) {
        return error.what();
    }
    return {};
}

// Two savers started together, in both orders: both succeed, and the file holds both changes.
TEST(GuardedSave, TwoSimultaneousSavesKeepBothChanges)
{
    TempFolder folder;
    const fs::path file = folder / "M.OPT";
    const Bytes old = Build(GenerateLargeModel(24)).bytes;
    const Bytes either[] = {Applied(old, {Illuminate, Cloak}), Applied(old, {Cloak, Illuminate})};
    ASSERT_NE(either[0], old);
    for (int round = 0; round < 16; ++round) {
        WriteFile(file, old);
        std::string errors[2];
        auto run = [&](int which) {
            errors[which] = ErrorOf([&] { RewriteFile(file, which == 0 ? Illuminate : Cloak); });
        };
        std::thread first(run, round % 2);
        std::thread second(run, 1 - round % 2);
        first.join();
        second.join();
        EXPECT_EQ(errors[0] + errors[1], "");
        const Bytes now = ReadFile(file);
        EXPECT_TRUE(now == either[0] || now == either[1]) << "round " << round << ": a change was lost";
    }
    EXPECT_TRUE(TemporaryFiles(folder.Path()).empty());
}

// Another program changes the file, in place or by putting a new file there, after it was
// loaded: the save refuses and the other program's bytes stay. The hook also shows the new
// file complete on disk before it replaces the old one.
TEST(GuardedSave, AChangeByAnotherProgramIsNeverOverwrittenAndTheNewFileIsFlushedFirst)
{
    TempFolder folder;
    const fs::path file = folder / "M.OPT";
    const Bytes old = Build(GenerateLargeModel(4)).bytes;
    const Bytes rewritten = Applied(old, {Illuminate});
    for (const bool renamed : {false, true}) {
        WriteFile(file, old);
        Bytes foreign = old;
        foreign[foreign.size() - 1] ^= 1;
        platform::SetSaveStepHook([&](platform::SaveStep step, const fs::path& temporary) {
            EXPECT_EQ(step, platform::SaveStep::Flushed);
            EXPECT_EQ(ReadFile(temporary), rewritten);
            EXPECT_EQ(ReadFile(file), old);
            WriteFile(folder / "other", foreign);
            if (renamed) {
                fs::rename(folder / "other", file);
            } else {
                WriteFile(file, foreign);
                fs::remove(folder / "other");
            }
        });
        EXPECT_NE(ErrorOf([&] { RewriteFile(file, Illuminate); }).find("changed by another program; nothing written"),
                  std::string::npos);
        platform::SetSaveStepHook({});
        EXPECT_EQ(ReadFile(file), foreign);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"M.OPT"});
    }
    std::vector<platform::SaveStep> steps;
    platform::SetSaveStepHook([&](platform::SaveStep step, const fs::path&) { steps.push_back(step); });
    RewriteFile(file, Illuminate);
    platform::SetSaveStepHook({});
    EXPECT_EQ(steps, (std::vector{platform::SaveStep::Flushed, platform::SaveStep::Replaced}));
}

// What a file is besides its bytes: an equal result leaves it untouched; a name too long for
// the usual temporary name still saves; other names (hard links) are refused unless asked for;
// a model that cannot be read whole is refused; a control byte in a name is shown escaped.
TEST(GuardedSave, SavesKeepWhatTheFileIs)
{
    TempFolder folder;
    const fs::path file = folder / "M.OPT";
    const Bytes old = Build(GenerateLargeModel(4)).bytes;
    WriteFile(file, Applied(old, {Cloak}));
    const platform::Entry before = platform::Inspect(file);
    EXPECT_FALSE(RewriteFile(file, Cloak).written);
    const platform::Entry after = platform::Inspect(file);
    EXPECT_TRUE(after.SameAs(before) && after.modified == before.modified);

    const fs::path longName = folder / (std::string(245, 'L') + ".OPT");
    WriteFile(longName, old);
    RewriteFile(longName, Illuminate);
    EXPECT_EQ(ReadFile(longName), Applied(old, {Illuminate}));
    fs::remove(longName);

    WriteFile(file, old);
    fs::create_hard_link(file, folder / "LINK.OPT");
    EXPECT_NE(ErrorOf([&] { RewriteFile(file, Illuminate); }).find("2 names (hard links)"), std::string::npos);
    EXPECT_NE(ErrorOf([&] { CheckReplaceable(file); }), "");
    RewriteFile(file, Illuminate, nullptr, {.breakLinks = true});
    EXPECT_EQ(ReadFile(file), Applied(old, {Illuminate}));
    EXPECT_EQ(ReadFile(folder / "LINK.OPT"), old);

    BuiltModel damaged = Build(GenerateLargeModel(4));
    SetLong(damaged.bytes, damaged.textures.back() + 33, 0x7FFFFF00); // a palette far outside
    WriteFile(file, damaged.bytes);
    EXPECT_NE(ErrorOf([&] { RewriteFile(file, Cloak); }).find("damaged"), std::string::npos);
    EXPECT_EQ(ReadFile(file), damaged.bytes);

    EXPECT_EQ(DisplayPath("a\x1b[2Jb\x7f"), "\"a\\x1B[2Jb\\x7F\"");
}

#ifndef _WIN32
// Run as root, a save keeps the file its user's; run as a user who may not give files away,
// it saves and warns. Another user's file in a sticky folder is refused before anything runs.
TEST(GuardedSave, OwnerAndGroupAreKeptOrWarnedOf)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to hand files to another user";
    }
    constexpr uid_t kNobody = 65534;
    TempFolder folder;
    const fs::path file = folder / "M.OPT";
    const Bytes old = Build(GenerateLargeModel(4)).bytes;
    WriteFile(file, old);
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNobody), 0);
    EXPECT_TRUE(RewriteFile(file, Illuminate).warnings.empty());
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody);
    EXPECT_EQ(info.st_gid, kNobody);

    // Now root's file, writable by all, saved by nobody.
    WriteFile(file, old);
    ASSERT_EQ(::chown(file.c_str(), 0, 0) | ::chmod(file.c_str(), 0666) | ::chmod(folder.Path().c_str(), 0777), 0);
    auto asNobody = [&](const std::function<int()>& body) {
        return RunChild([&] { return ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 ? body() : 98; });
    };
    EXPECT_EQ(asNobody([&] { return RewriteFile(file, Illuminate).warnings.size() == 1 ? 0 : 1; }).status, 0);
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_uid, kNobody); // saved all the same
    EXPECT_EQ(ReadFile(file), Applied(old, {Illuminate}));

    WriteFile(folder / "ROOT.OPT", old);
    ASSERT_EQ(::chmod((folder / "ROOT.OPT").c_str(), 0666) | ::chmod(folder.Path().c_str(), 01777), 0);
    EXPECT_EQ(asNobody([&] { return ErrorOf([&] { CheckReplaceable(folder / "ROOT.OPT"); }).find("sticky") != std::string::npos ? 0 : 1; }).status, 0);
}
#endif

} // namespace
} // namespace lathwork
