// A rewrite killed at any moment leaves the model either as it was or completely rewritten,
// and a save that cannot finish leaves it byte for byte as it was.

#include "opt/OptImage.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <random>
#include <thread>
#ifndef _WIN32
#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// "Select all" and BEGIN in Illumination mode: half the textures get a private palette.
void IlluminateAll(OptImage& image)
{
    RunIllumination(image, {ScanIlluminationTextures(image), {}});
}

Bytes Rewritten(const Bytes& bytes)
{
    OptImage image{Bytes(bytes)};
    IlluminateAll(image);
    return {image.Bytes().begin(), image.Bytes().end()};
}

#ifndef _WIN32
// The child's side of one rewrite: load, change, tell the parent the save begins, save.
int RewriteInChild(const fs::path& file, int saving)
{
    OptImage image = OptImage::Load(file);
    IlluminateAll(image);
    const char mark = 's';
    if (::write(saving, &mark, 1) != 1) {
        return 3;
    }
    image.Save(file);
    return 0;
}

struct Pipe {
    int ends[2] = {-1, -1};
    Pipe() { EXPECT_EQ(::pipe(ends), 0); }
    ~Pipe()
    {
        ::close(ends[0]);
        ::close(ends[1]);
    }
    // After the fork: a child that ends without its mark then gives end-of-file, not a hang.
    void CloseWriteEnd()
    {
        ::close(ends[1]);
        ends[1] = -1;
    }
    void WaitForMark() const
    {
        char mark = 0;
        while (::read(ends[0], &mark, 1) < 0 && errno == EINTR) {
        }
    }
};
#endif

TEST(CrashSafeSave, KillingARewriteAtRandomMomentsLeavesOldOrNewBytes)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: forks the rewrite into a child process (on every system: CrashSafeCli)";
#else
    const Bytes old = Build(GenerateLargeModel(160)).bytes; // about 2 MB
    const Bytes rewritten = Rewritten(old);
    ASSERT_GT(rewritten.size(), old.size());
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";

    // One run to learn how long the whole rewrite and its save take here.
    WriteFile(file, old);
    Clock::duration whole{};
    Clock::duration save{};
    {
        Pipe pipe;
        const auto start = Clock::now();
        const pid_t child = StartChild([&] { return RewriteInChild(file, pipe.ends[1]); });
        pipe.CloseWriteEnd();
        pipe.WaitForMark();
        const auto saving = Clock::now();
        const ChildEnd end = WaitChild(child);
        ASSERT_TRUE(end.exited && end.status == 0);
        whole = Clock::now() - start;
        save = Clock::now() - saving;
        ASSERT_EQ(ReadFile(file), rewritten);
        EXPECT_TRUE(TemporaryFiles(folder.Path()).empty());
    }

    // Kills anywhere in the run, and kills aimed at the save itself.
    std::mt19937 random(20240611);
    int keptOld = 0;
    int gotNew = 0;
    constexpr int kKills = 60;
    for (int i = 0; i < kKills; ++i) {
        WriteFile(file, old);
        Pipe pipe;
        const bool aimAtSave = i % 2 == 1;
        const auto span = std::chrono::duration_cast<std::chrono::microseconds>(aimAtSave ? save : whole) * 13 / 10;
        const auto delay = std::chrono::microseconds(std::uniform_int_distribution<long>(0, span.count())(random));
        const pid_t child = StartChild([&] { return RewriteInChild(file, pipe.ends[1]); });
        pipe.CloseWriteEnd();
        if (aimAtSave) {
            pipe.WaitForMark();
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        const ChildEnd end = WaitChild(child);
        EXPECT_TRUE(end.signal == SIGKILL || (end.exited && end.status == 0));

        const Bytes now = ReadFile(file);
        SCOPED_TRACE("kill " + std::to_string(i) + " after " + std::to_string(delay.count()) + " us");
        if (now == old) {
            ++keptOld;
        } else {
            EXPECT_EQ(now, rewritten) << "the file holds neither the old nor the new bytes";
            ++gotNew;
        }
    }
    EXPECT_EQ(keptOld + gotNew, kKills);
    RecordProperty("kills_leaving_old_bytes", keptOld);
    RecordProperty("kills_leaving_new_bytes", gotNew);
    RecordProperty("temporary_files_left_by_kills", static_cast<int>(TemporaryFiles(folder.Path()).size()));
    EXPECT_GT(keptOld, 0);
    EXPECT_GT(gotNew, 0);

    // Killed saves may have left their temporary files; the next save clears them away.
    WriteFile(file, old);
    RewriteFile(file, IlluminateAll);
    EXPECT_EQ(ReadFile(file), rewritten);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
#endif
}

// Leftovers of any model in the folder go (".lathwork-XXXXXX" is the one of a model with a very
// long name); a temporary file a running save holds stays.
TEST(CrashSafeSave, ASuccessfulSaveLeavesNoTemporaryFileAndRemovesOnlyStaleOnesOfItsOwn)
{
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    const Bytes old = Build(GenerateLargeModel(4)).bytes;
    WriteFile(file, old);
    // Leftovers of killed saves of this file, and files that only look alike.
    for (const char* name : {".MODEL.OPT.lathwork-a1B2c3", ".MODEL.OPT.lathwork-zzzzzz", ".OTHER.OPT.lathwork-a1B2c3",
                             ".lathwork-a1B2c3", ".MODEL.OPT.lathwork-toolong", "MODEL.OPT.lathwork-a1B2c3",
                             ".MODEL.OPT.lathwork-", ".MODEL.OPT.lathwork-HELD12"}) {
        WriteFile(folder / name, {1, 2, 3});
    }
    fs::create_directory(folder / ".MODEL.OPT.lathwork-dir123");
    std::vector<std::string> kept = {".MODEL.OPT.lathwork-", ".MODEL.OPT.lathwork-dir123", ".MODEL.OPT.lathwork-toolong",
                                      "MODEL.OPT", "MODEL.OPT.lathwork-a1B2c3"};
#ifndef _WIN32 // links need administrator rights on Windows; a running save holds its file locked
    fs::create_symlink(file, folder / ".MODEL.OPT.lathwork-link12");
    kept.insert(kept.begin() + 1, ".MODEL.OPT.lathwork-HELD12");
    kept.insert(kept.begin() + 3, ".MODEL.OPT.lathwork-link12");
    const int held = ::open((folder / ".MODEL.OPT.lathwork-HELD12").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
#endif

    RewriteFile(file, IlluminateAll);
    EXPECT_EQ(ReadFile(file), Rewritten(old));
    EXPECT_EQ(folder.Entries(), kept);
#ifndef _WIN32
    ::close(held);
#endif
}

TEST(CrashSafeSave, AFullDiskLeavesTheOriginalByteIdentical)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: fills the disk through a file size limit (RLIMIT_FSIZE)";
#else
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    const Bytes old = Build(GenerateLargeModel(16)).bytes;
    const Bytes rewritten = Rewritten(old);
    WriteFile(file, old);
    // The disk fills up half way through the new contents.
    const auto limit = static_cast<rlim_t>(old.size() + (rewritten.size() - old.size()) / 2);
    const ChildEnd end = RunChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fsize{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &fsize);
        try {
            RewriteFile(file, IlluminateAll);
        } catch (const OptError& error) {
            return std::string(error.what()).find("File too large") != std::string::npos ? 0 : 2;
        }
        return 1;
    });
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0) << "the rewrite must report the full disk";
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
#endif
}

// The order of the system calls of one save, as strace records them: the temporary file is
// flushed before it takes the old file's name, and the folder after, so a power cut never
// leaves the name on unwritten bytes. The test runs itself under strace, in a mode that only
// saves.
TEST(CrashSafeSave, TheNewFileIsFlushedBeforeItReplacesTheOld)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: reads the system calls through strace";
#else
    if (const char* target = std::getenv("LATHWORK_SAVE_ONLY")) {
        RewriteFile(target, IlluminateAll);
        return;
    }
    if (std::system("strace -V >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "strace is not installed";
    }
    TempFolder folder;
    const fs::path file = folder / "MODEL.OPT";
    const fs::path log = folder / "calls.txt";
    WriteFile(file, Build(GenerateLargeModel(4)).bytes);
    const std::string command = "LATHWORK_SAVE_ONLY='" + file.string() + "' strace -f -qq -o '" + log.string() +
                                "' -e trace=openat,fsync,fdatasync,rename,renameat,renameat2 '" +
                                fs::read_symlink("/proc/self/exe").string() +
                                "' --gtest_filter=CrashSafeSave.TheNewFileIsFlushedBeforeItReplacesTheOld >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "strace cannot trace here";
    }
    std::string temporaryFd;
    enum { Opened, Flushed, Renamed, FolderFlushed } reached = Opened;
    bool opened = false;
    const std::vector<std::uint8_t> recorded = ReadFile(log);
    std::istringstream calls(std::string(recorded.begin(), recorded.end()));
    for (std::string line; std::getline(calls, line);) {
        const bool temporary = line.find(".MODEL.OPT.lathwork-") != std::string::npos;
        const bool flush = line.find("fsync(") != std::string::npos || line.find("fdatasync(") != std::string::npos;
        if (temporary && line.find("openat(") != std::string::npos) {
            temporaryFd = line.substr(line.rfind('=') + 2);
            opened = true;
        } else if (opened && reached == Opened && flush && line.find("(" + temporaryFd + ")") != std::string::npos) {
            reached = Flushed;
        } else if (temporary && line.find("rename") != std::string::npos) {
            EXPECT_EQ(reached, Flushed) << "renamed before its bytes were flushed";
            reached = Renamed;
        } else if (reached == Renamed && flush) {
            reached = FolderFlushed;
        }
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(reached, FolderFlushed);
#endif
}

} // namespace
} // namespace lathwork
