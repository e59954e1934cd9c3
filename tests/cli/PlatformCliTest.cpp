// lathwork-cli as a user starts it on each system: killed at any moment of a rewrite, it leaves
// the old model or the new one, never a mix; paths with any characters reach it and come back
// printed as they were given.

#include "modify/Rewrites.hpp"
#include "opt/Platform.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"
#include "Cli.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

TEST(PlatformCli, KillingARewriteAtAnyMomentLeavesTheOldOrTheNewModel)
{
    const Bytes old = Build(GenerateLargeModel(320)).bytes; // about 4 MB
    OptImage image{Bytes(old)};
    RunIllumination(image, {ScanIlluminationTextures(image), {}});
    const Bytes rewritten(image.Bytes().begin(), image.Bytes().end());
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    const std::vector<std::string> command = {LATHWORK_CLI, "illuminate", Word(file), "--all"};

    // One whole run, start to exit, sets the range of the kills.
    WriteFile(file, old);
    const auto start = Clock::now();
    ASSERT_EQ(RunCommand(command).status, 0);
    const auto whole = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
    ASSERT_EQ(ReadFile(file), rewritten);

    std::mt19937 random(20240612);
    int keptOld = 0;
    int gotNew = 0;
    constexpr int kKills = 40;
    for (int i = 0; i < kKills; ++i) {
        WriteFile(file, old);
        // Half the kills within one run's time, half within two: both outcomes turn up.
        const long range = whole.count() * (i % 2 == 0 ? 1 : 2);
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, range)(random));
        SCOPED_TRACE("kill " + std::to_string(i) + " after " + std::to_string(delay.count()) + " us");
        RunningCommand running(command);
        std::this_thread::sleep_for(delay);
        running.Kill();
        const int status = running.Wait();
        EXPECT_TRUE(status == -1 || status == 0) << status;
        const Bytes now = ReadFile(file);
        if (now == old) {
            ++keptOld;
        } else {
            EXPECT_EQ(now, rewritten) << "the file holds neither the old nor the new bytes";
            ++gotNew;
        }
    }
    RecordProperty("kills_leaving_old_bytes", keptOld);
    RecordProperty("kills_leaving_new_bytes", gotNew);
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(gotNew, 0);

    // The next save clears away what killed saves left.
    WriteFile(file, old);
    ASSERT_EQ(RunCommand(command).status, 0);
    EXPECT_EQ(ReadFile(file), rewritten);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
}

TEST(PlatformCli, PathsWithAnyCharactersReachTheToolAndArePrintedAsGiven)
{
    TempFolder root;
    const fs::path folder = root.Path() / platform::PathFromUtf8("\xC3\xA9t\xC3\xA9 \xE2\x9C\x88 x");
    fs::create_directory(folder);
    const std::string ship = "\xD0\x9A\xD0\xBE\xD1\x80\xD0\xB0\xD0\xB1\xD0\xBB\xD1\x8C"; // "ship" in Russian
    const fs::path file = folder / platform::PathFromUtf8(ship + ".opt");
    WriteFile(file, Build(SimpleModel({MakeTexture("TEX00001")})).bytes);

    CommandResult result = Cli({"list", "illumination", Word(file)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "TEX00001\n");
    result = Cli({"extract", Word(file)});
    EXPECT_EQ(result.status, 0) << result.err;
    const fs::path bitmap = folder / platform::PathFromUtf8(ship + "_TEX00001.BMP");
    EXPECT_EQ(result.out, Word(bitmap) + "\n");
    EXPECT_TRUE(fs::is_regular_file(bitmap));
    result = Cli({"illuminate", Word(file), "--all"});
    EXPECT_EQ(result.status, 0) << result.err;
    // A name that is not there is named in the message as given.
    result = Cli({"list", "sets", Word(folder / platform::PathFromUtf8("\xC3\x9C.opt"))});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("\xC3\x9C.opt"), std::string::npos) << result.err;
}

// A model with a second name is refused, by a dry run too, unless --break-links is given; then
// the other name keeps the old bytes. A control byte in a name comes back escaped.
TEST(PlatformCli, HardLinksAreRefusedUnlessBrokenAndControlBytesAreEscaped)
{
    TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    const Bytes old = Build(SimpleModel({MakeTexture("TEX00001")})).bytes;
    WriteFile(file, old);
    fs::create_hard_link(file, folder / "LINK.OPT");
    for (const char* dry : {"--dry-run", "--verbose"}) {
        const CommandResult result = Cli({"illuminate", Word(file), "--all", dry});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("--break-links"), std::string::npos) << result.err;
    }
    EXPECT_EQ(ReadFile(file), old);
    const CommandResult result = Cli({"illuminate", Word(file), "--all", "--break-links"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(ReadFile(file), old);
    EXPECT_EQ(ReadFile(folder / "LINK.OPT"), old);
#ifndef _WIN32 // Windows allows no control characters in names
    const CommandResult odd = Cli({"cloak", Word(folder / "A\x1b]0;x\x07.opt"), "--high", "5"});
    EXPECT_EQ(odd.status, 1);
    EXPECT_NE(odd.err.find("A\\x1B]0;x\\x07.opt"), std::string::npos) << odd.err;
#endif
}

} // namespace
} // namespace lathwork
