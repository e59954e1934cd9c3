// Faults injected into a rewrite in a child process: the disk filling up at every stage of the
// save, signals interrupting it. Whatever happens, the model on disk is either the old bytes or
// the complete new ones, and no temporary file stays behind. (Memory running out is tried on
// the command-line tool, which starts with a fresh address space.)

#include "opt/OptImage.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

void IlluminateAll(OptImage& image)
{
    RunIllumination(image, {ScanIlluminationTextures(image), {}});
}

struct Files {
    TempFolder folder;
    fs::path file = folder / "MODEL.OPT";
    Bytes old;
    Bytes rewritten;

    Files() : old(Build(GenerateLargeModel(16)).bytes)
    {
        OptImage image{Bytes(old)};
        IlluminateAll(image);
        rewritten.assign(image.Bytes().begin(), image.Bytes().end());
        WriteFile(file, old);
    }
};

#ifndef _WIN32
// Child status: 0 saved, 1 refused with OptError, 2 another exception.
int RewriteAndTell(const fs::path& file)
{
    try {
        RewriteFile(file, IlluminateAll);
        return 0;
    } catch (const OptError&) {
        return 1;
    } catch (const std::exception&) {
        return 2;
    }
}
#endif

TEST(FaultInjection, TheDiskFillingUpAtAnyPointOfTheSaveChangesNothing)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: fills the disk through a file size limit (RLIMIT_FSIZE)";
#else
    Files files;
    // Limits on the file size before the save begins, inside the new contents, and exactly at
    // their end (which is just enough).
    std::vector<rlim_t> limits = {0, 1, 511, 4096, 65536};
    const auto newSize = static_cast<rlim_t>(files.rewritten.size());
    for (int step = 1; step <= 40; ++step) {
        limits.push_back(newSize * static_cast<rlim_t>(step) / 41);
    }
    limits.push_back(newSize - 1);
    for (const rlim_t limit : limits) {
        SCOPED_TRACE("file size limit " + std::to_string(limit));
        const ChildEnd end = RunChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit fsize{limit, limit};
            ::setrlimit(RLIMIT_FSIZE, &fsize);
            return RewriteAndTell(files.file);
        });
        EXPECT_TRUE(end.exited);
        EXPECT_EQ(end.status, 1);
        EXPECT_EQ(ReadFile(files.file), files.old);
        EXPECT_EQ(files.folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
    }

    const ChildEnd enough = RunChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit fsize{newSize, newSize};
        ::setrlimit(RLIMIT_FSIZE, &fsize);
        return RewriteAndTell(files.file);
    });
    EXPECT_TRUE(enough.exited && enough.status == 0);
    EXPECT_EQ(ReadFile(files.file), files.rewritten);
    EXPECT_EQ(files.folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
#endif
}

TEST(FaultInjection, SignalsInterruptingTheSaveDoNotCutItShort)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: interrupts the save with signals";
#else
    Files files;
    const ChildEnd end = RunChild([&] {
        // A handler without SA_RESTART: every interrupted call returns early.
        struct sigaction action {};
        action.sa_handler = [](int) {};
        ::sigaction(SIGALRM, &action, nullptr);
        const itimerval often{{0, 50}, {0, 50}};
        ::setitimer(ITIMER_REAL, &often, nullptr);
        return RewriteAndTell(files.file);
    });
    EXPECT_TRUE(end.exited);
    EXPECT_EQ(end.status, 0);
    EXPECT_EQ(ReadFile(files.file), files.rewritten);
    EXPECT_EQ(files.folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
#endif
}

} // namespace
} // namespace lathwork
