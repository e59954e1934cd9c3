// Every command of lathwork-cli on damaged files, through symbolic links, and on hostile
// texture names: one line on stderr and an unchanged folder on failure; the link's target
// rewritten with its permission bits on success.

#include "modify/Cloaking.hpp"
#include "modify/Rewrites.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"
#include "Cli.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

// Every command, as the words around FILE.
const std::vector<std::vector<std::string>>& EveryCommand()
{
    static const std::vector<std::vector<std::string>> commands = {
        {"list", "illumination"}, {"list", "transparency"}, {"list", "sets"}, {"list", "set-textures", "1"},
        {"extract"}, {"illuminate", "--all"}, {"illuminate", "--colour", "248,252,248", "TEX00001"},
        {"transparency", "--all"}, {"transparency", "--opacity", "5", "TEX00001"}, {"animate", "--all"},
        {"cloak"}, {"cloak", "--high", "2", "--low", "NEVER"},
    };
    return commands;
}

// Runs a command on file: FILE follows the command's name (and the list's kind). The words of
// args come first (a program that runs the tool).
CommandResult RunOn(const std::vector<std::string>& command, const fs::path& file, std::vector<std::string> args = {})
{
    const auto afterName = command.begin() + (command[0] == "list" ? 2 : 1);
    args.push_back(LATHWORK_CLI);
    args.insert(args.end(), command.begin(), afterName);
    args.push_back(Word(file));
    args.insert(args.end(), afterName, command.end());
    return RunCommand(args);
}

std::string Joined(const std::vector<std::string>& words)
{
    std::string text;
    for (const std::string& word : words) {
        text += word + " ";
    }
    return text;
}

void ExpectOneLineError(const CommandResult& result)
{
    EXPECT_NE(result.status, 0);
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    EXPECT_TRUE(result.err.starts_with("lathwork-cli: ")) << result.err;
}

Bytes Model()
{
    ModelShape tree = SimpleModel({MakeTexture("TEX00001", 8, 8, 0), MakeTexture("TEX00002"),
                                  SetShape{.mode = 1, .members = {MakeTexture("TEX00003"), MakeTexture("TEX00004", 4, 4, 0)}, .count = {}}});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.distances = {6.467e-05f, 3.414e-05f};
    tree.palettes = {MakePalette(9)};
    return Build(tree).bytes;
}

// Files no command can work on.
std::vector<std::pair<std::string, Bytes>> DamagedFiles()
{
    const Bytes good = Model();
    std::vector<std::pair<std::string, Bytes>> damaged;
    damaged.emplace_back("empty", Bytes{});
    damaged.emplace_back("truncated in the header", Bytes(good.begin(), good.begin() + 20));
    damaged.emplace_back("truncated in the top node", Bytes(good.begin(), good.begin() + 40));
    Bytes count = good;
    SetLong(count, 14, 0x7FFFFFFF);
    damaged.emplace_back("TopNodeCount near 2^31", count);
    Bytes outside = good;
    SetLong(outside, 22, 0x7FFFFF00);
    damaged.emplace_back("top node pointer outside the file", outside);
    Bytes base = good;
    SetLong(base, 8, static_cast<std::int32_t>(0x80000000u));
    damaged.emplace_back("PointerBase at the bottom of the range", base);
    return damaged;
}

TEST(HostileCli, EveryCommandOnADamagedFileGivesOneLineAndChangesNothing)
{
    for (const auto& [what, bytes] : DamagedFiles()) {
        for (const auto& command : EveryCommand()) {
            SCOPED_TRACE(what + ": " + Joined(command));
            TempFolder folder;
            const fs::path file = folder / "SHIP.OPT";
            WriteFile(file, bytes);
            const CommandResult result = RunOn(command, file);
            ExpectOneLineError(result);
            EXPECT_EQ(result.out, "");
            EXPECT_EQ(ReadFile(file), bytes);
            EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
        }
    }
}

TEST(HostileCli, NodesReachedOverAndOverEndEveryCommandCleanly)
{
    const Bytes bytes = FanInModel(400, 400, 400);
    for (const auto& command : EveryCommand()) {
        SCOPED_TRACE(Joined(command));
        TempFolder folder;
        const fs::path file = folder / "SHIP.OPT";
        WriteFile(file, bytes);
        const CommandResult result = RunOn(command, file);
        if (command == std::vector<std::string>{"cloak"}) {
            // The scan stops at the branch level, which is reached only 400 times.
            EXPECT_EQ(result.status, 0) << result.err;
            continue;
        }
        ExpectOneLineError(result);
        EXPECT_EQ(ReadFile(file), bytes);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
    }
}

// The bytes a rewrite command must leave, worked out with the core. (Unused on Windows, where
// the tests with links and limits are skipped.)
[[maybe_unused]] Bytes Expected(const std::vector<std::string>& command, const Bytes& bytes)
{
    OptImage image{Bytes(bytes)};
    if (command[0] == "illuminate") {
        RunIllumination(image, {ScanIlluminationTextures(image), {}});
    } else if (command[0] == "transparency") {
        RunTransparency(image, {ScanTransparencyTextures(image), {}, 111});
    } else if (command[0] == "animate") {
        AnimateTextureSets(image, {0});
    } else {
        WriteCloakingDistances(image, RequireDistanceValue("2", "high"), RequireDistanceValue("NEVER", "low"));
    }
    return {image.Bytes().begin(), image.Bytes().end()};
}

TEST(HostileCli, ARewriteThroughALinkChangesTheTargetAndKeepsTheLinkAndThePermissions)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: creating symbolic links needs administrator rights or developer mode on Windows";
#else
    const Bytes bytes = Model();
    const std::vector<std::vector<std::string>> rewrites = {
        {"illuminate", "--all"}, {"transparency", "--all"}, {"animate", "--all"}, {"cloak", "--high", "2", "--low", "NEVER"}};
    for (const auto& command : rewrites) {
        for (const bool relative : {false, true}) {
            SCOPED_TRACE(Joined(command) + (relative ? "(relative link, through a second link)" : "(absolute link)"));
            TempFolder linkFolder;
            TempFolder targetFolder;
            const fs::path target = targetFolder / "REAL.OPT";
            WriteFile(target, bytes);
            fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
            fs::path link = linkFolder / "SHIP.OPT";
            const fs::path linkText = relative ? fs::relative(target, linkFolder.Path()) : target;
            fs::create_symlink(linkText, link);
            if (relative) {
                fs::create_symlink("SHIP.OPT", linkFolder / "ALIAS.OPT");
                link = linkFolder / "ALIAS.OPT";
            }

            const CommandResult result = RunOn(command, link);
            EXPECT_EQ(result.status, 0) << result.err;
            EXPECT_TRUE(fs::is_symlink(linkFolder / "SHIP.OPT"));
            EXPECT_EQ(fs::read_symlink(linkFolder / "SHIP.OPT"), linkText);
            EXPECT_EQ(ReadFile(target), Expected(command, bytes));
            struct stat info {};
            ASSERT_EQ(::stat(target.c_str(), &info), 0);
            EXPECT_EQ(info.st_mode & 07777, 0640u);
            EXPECT_EQ(targetFolder.Entries(), std::vector<std::string>{"REAL.OPT"});
            EXPECT_EQ(linkFolder.Entries().size(), relative ? 2u : 1u);
        }
    }
#endif
}

TEST(HostileCli, ADanglingLinkIsAnErrorAndCreatesNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: creating symbolic links needs administrator rights or developer mode on Windows";
#else
    TempFolder folder;
    const fs::path link = folder / "SHIP.OPT";
    fs::create_symlink(folder / "GONE.OPT", link);
    for (const auto& command : EveryCommand()) {
        SCOPED_TRACE(Joined(command));
        ExpectOneLineError(RunOn(command, link));
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
    }
#endif
}

TEST(HostileCli, APipeNamedLikeAnOptIsRefusedAtOnce)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows keeps no pipes in folders";
#else
    TempFolder folder;
    const fs::path pipe = folder / "SHIP.OPT";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    for (const auto& command : EveryCommand()) {
        SCOPED_TRACE(Joined(command));
        // Under a time limit: a command that waits for a writer would hang the test.
        const CommandResult result = RunOn(command, pipe, {"/usr/bin/timeout", "20"});
        ExpectOneLineError(result);
        EXPECT_NE(result.status, 124) << "the command waited on the pipe";
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
    }
#endif
}

#if defined(__SANITIZE_ADDRESS__)
#define LATHWORK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LATHWORK_ADDRESS_SANITIZER 1
#endif
#endif

TEST(HostileCli, MemoryRunningOutDuringARewriteChangesNothing)
{
#if defined(_WIN32)
    GTEST_SKIP() << "POSIX only: limits the address space with prlimit";
#elif defined(LATHWORK_ADDRESS_SANITIZER)
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#else
    // A model of about 2 MB, its rewrite needing several times that; the tool started with less
    // and less address space, from enough down to too little to even start.
    const Bytes old = Build(GenerateLargeModel(160)).bytes;
    const Bytes rewritten = Expected({"illuminate", "--all"}, old);
    int refused = 0;
    int saved = 0;
    for (int megabytes = 64; megabytes >= 4; megabytes -= megabytes > 16 ? 16 : 1) {
        SCOPED_TRACE(std::to_string(megabytes) + " MB of address space");
        TempFolder folder;
        const fs::path file = folder / "MODEL.OPT";
        WriteFile(file, old);
        const CommandResult result =
            RunOn({"illuminate", "--all"}, file, {"/usr/bin/prlimit", "--as=" + std::to_string(megabytes << 20)});
        if (result.status == 0) {
            EXPECT_EQ(ReadFile(file), rewritten);
            ++saved;
        } else {
            EXPECT_EQ(ReadFile(file), old);
            ++refused;
        }
        if (result.status == 1) {
            ExpectOneLineError(result);
        }
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(saved, 0);
#endif
}

TEST(HostileCli, ExtractingThroughALinkWritesBesideTheLinkOnly)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: creating symbolic links needs administrator rights or developer mode on Windows";
#else
    TempFolder linkFolder;
    TempFolder targetFolder;
    WriteFile(targetFolder / "REAL.OPT", Model());
    fs::create_symlink(targetFolder / "REAL.OPT", linkFolder / "SHIP.OPT");
    const CommandResult result = RunOn({"extract"}, linkFolder / "SHIP.OPT");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(linkFolder.Entries(), (std::vector<std::string>{"SHIP.OPT", "SHIP_TEX00001.BMP", "SHIP_TEX00002.BMP",
                                                              "SHIP_TEX00003.BMP", "SHIP_TEX00004.BMP"}));
    EXPECT_EQ(targetFolder.Entries(), std::vector<std::string>{"REAL.OPT"});
#endif
}

TEST(HostileCli, HostileNamesAreExtractedIntoTheFolderAndPrintedEscapedOnOneLineEach)
{
    using namespace std::string_literals;
    TempFolder root;
#ifdef _WIN32
    const std::string models = "models"; // Windows keeps no control bytes in names
#else
    const std::string models = "mo\x1B[2Jdels"; // a terminal escape in the folder's name
#endif
    fs::create_directory(root / models);
    const fs::path file = root / models / "SHIP.OPT";
    WriteFile(file, Build(SimpleModel({MakeTexture("../../x"), MakeTexture("a\nb"), MakeTexture("\0\0/"s), MakeTexture("C:\\x")})).bytes);
    const CommandResult result = RunOn({"extract"}, file);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 4) << result.out;
    EXPECT_EQ(result.out.find('\x1B'), std::string::npos) << result.out;
#ifndef _WIN32
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\\'), 4) << result.out; // one "\x1B" a line
#endif
    EXPECT_EQ(root.Entries(), std::vector<std::string>{models});
    EXPECT_EQ(fs::path(root / models).parent_path(), root.Path());
    for (const auto& entry : fs::directory_iterator(root / models)) {
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(entry.path())));
    }
}

} // namespace
} // namespace lathwork
