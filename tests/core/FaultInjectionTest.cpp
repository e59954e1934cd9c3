// Faults injected into a rewrite in a child process: the disk filling up at every stage of the
// save, signals interrupting it, memory running out. Whatever happens, the model on disk is
// either the old bytes or the complete new ones, and no temporary file stays behind.

#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

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

    explicit Files(int textures = 16) : old(Build(GenerateLargeModel(textures)).bytes)
    {
        OptImage image{Bytes(old)};
        IlluminateAll(image);
        rewritten.assign(image.Bytes().begin(), image.Bytes().end());
        WriteFile(file, old);
    }
};

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

TEST(FaultInjection, TheDiskFillingUpAtAnyPointOfTheSaveChangesNothing)
{
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
}

TEST(FaultInjection, SignalsInterruptingTheSaveDoNotCutItShort)
{
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
}

#if defined(__SANITIZE_ADDRESS__)
#define LATHWORK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LATHWORK_ADDRESS_SANITIZER 1
#endif
#endif

std::size_t AddressSpaceInUse()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    return pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

TEST(FaultInjection, MemoryRunningOutChangesNothing)
{
#ifdef LATHWORK_ADDRESS_SANITIZER
    GTEST_SKIP() << "the address sanitizer reserves more address space than any limit allows";
#else
    Files files(160); // about 2 MB: the rewrite needs several times that
    int refused = 0;
    for (const std::size_t extra : {0u << 20, 1u << 20, 2u << 20, 4u << 20, 8u << 20, 16u << 20, 256u << 20}) {
        SCOPED_TRACE("address space limit: in use + " + std::to_string(extra));
        WriteFile(files.file, files.old);
        const ChildEnd end = RunChild([&] {
            ::malloc_trim(0); // what the test program freed before must not serve the rewrite
            const rlim_t limit = AddressSpaceInUse() + extra;
            const rlimit as{limit, limit};
            ::setrlimit(RLIMIT_AS, &as);
            return RewriteAndTell(files.file);
        });
        // Out of memory is reported like any other failure (the window and the CLI show any
        // exception); a child that dies outright must not have touched the file either.
        const Bytes now = ReadFile(files.file);
        EXPECT_TRUE(now == files.old || (end.exited && end.status == 0 && now == files.rewritten));
        refused += now == files.old ? 1 : 0;
        if (end.exited) {
            EXPECT_EQ(files.folder.Entries(), std::vector<std::string>{"MODEL.OPT"});
        }
    }
    EXPECT_GT(refused, 0);
#endif
}

} // namespace
} // namespace lathwork
