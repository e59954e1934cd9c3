// Things in the folder that are not plain files: a pipe, a device or a folder where the OPT or
// a bitmap should be. Every operation refuses them at once instead of waiting or writing there.

#include "opt/OptImage.hpp"
#include "imaging/Extraction.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "testkit/ReliabilityFixtures.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

#ifndef _WIN32
// Runs call in a child that an alarm ends after 20 seconds: true when it threw OptError.
bool RefusedWithoutWaiting(const std::function<void()>& call)
{
    const ChildEnd end = RunChild([&] {
        ::alarm(20);
        try {
            call();
        } catch (const OptError&) {
            return 0;
        }
        return 1;
    });
    EXPECT_NE(end.signal, SIGALRM) << "the call waited";
    return end.exited && end.status == 0;
}
#endif

TEST(HostileFiles, APipeNamedLikeAnOptIsRefusedByEveryOperation)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows keeps no pipes in folders";
#else
    TempFolder folder;
    const fs::path pipe = folder / "SHIP.OPT";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    EXPECT_TRUE(RefusedWithoutWaiting([&] { OptImage::Load(pipe); }));
    EXPECT_TRUE(RefusedWithoutWaiting([&] { ExtractTextures(pipe); }));
    EXPECT_TRUE(RefusedWithoutWaiting([&] {
        RewriteFile(pipe, [](OptImage& image) { RunIllumination(image, {{}, {}}); });
    }));
    EXPECT_TRUE(fs::is_fifo(pipe));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
#endif
}

TEST(HostileFiles, AFolderOrADeviceIsNoOpt)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: forks a child under an alarm (devices: see the Windows tests)";
#else
    TempFolder folder;
    fs::create_directory(folder / "DIR.OPT");
    EXPECT_TRUE(RefusedWithoutWaiting([&] { OptImage::Load(folder / "DIR.OPT"); }));
    EXPECT_TRUE(RefusedWithoutWaiting([&] { OptImage::Load("/dev/zero"); }));
    EXPECT_TRUE(RefusedWithoutWaiting([&] { OptImage::Load("/dev/null"); }));
#endif
}

TEST(HostileFiles, ABitmapIsNeverWrittenIntoAPipeOrADevice)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows keeps no pipes in folders (devices: see the Windows tests)";
#else
    TempFolder folder;
    const fs::path pipe = folder / "B.BMP";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0644), 0);
    const Bytes bytes = {1, 2, 3};
    EXPECT_TRUE(RefusedWithoutWaiting([&] { WriteNewFile(pipe, bytes); }));
    EXPECT_TRUE(RefusedWithoutWaiting([&] { WriteNewFile("/dev/null", bytes); }));
    // Someone reading the pipe does not make it a bitmap either.
    const int reader = ::open(pipe.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    EXPECT_TRUE(RefusedWithoutWaiting([&] { WriteNewFile(pipe, bytes); }));
    char byte = 0;
    EXPECT_LE(::read(reader, &byte, 1), 0);
    ::close(reader);
    EXPECT_TRUE(fs::is_fifo(pipe));
#endif
}

} // namespace
} // namespace lathwork
