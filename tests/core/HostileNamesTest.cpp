// Texture names that hold path separators, "..", drive colons, control bytes or zero bytes:
// extraction writes every bitmap into the OPT's own folder under a plain file name, and never
// into a device or through a link.

#include "imaging/Extraction.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

// Every 8-byte name a file system or a shell could misread.
std::vector<std::string> HostileNames()
{
    using namespace std::string_literals;
    return {"../../x", "..", ".", "/etc/pw", "a/../b", "\\..\\..\\", "C:\\WIN", "c:x", "D:", "\x01\x02\x1f\x7f"s,
            "a\0b"s, "\0\0\0\0\0\0\0\0"s, "\0TEX"s, "\n\r\t", "\xff\xfe\x80", "CON", "NUL", "AUX", "COM1", "LPT1",
            "PRN.txt", "*?<>|\"", " ", "~"};
}

// Every file below root, relative to it.
std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        files.insert(fs::relative(entry.path(), root).generic_string());
    }
    return files;
}

bool IsDeviceStem(std::string name)
{
    name = name.substr(0, name.find('.'));
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::toupper(c); });
    static const std::set<std::string> devices = {"CON", "PRN", "AUX", "NUL", "COM1", "COM2", "COM3", "COM4",
                                                  "COM5", "COM6", "COM7", "COM8", "COM9", "LPT1", "LPT2", "LPT3"};
    return devices.count(name) != 0;
}

TEST(HostileNames, EveryBitmapLandsInTheOptsFolderUnderAPlainName)
{
    std::vector<LeafShape> leaves;
    for (const std::string& name : HostileNames()) {
        leaves.push_back(MakeTexture(name, 2, 2));
    }
    const Bytes bytes = Build(SimpleModel(leaves)).bytes;
#ifdef _WIN32
    const std::vector<std::string> optNames = {"SHIP.OPT", ".opt", "x"}; // CON.opt is the console there
#else
    const std::vector<std::string> optNames = {"SHIP.OPT", ".opt", "x", "CON.opt"};
#endif
    for (const std::string& optName : optNames) {
        SCOPED_TRACE(optName);
        TempFolder root;
        fs::create_directories(root / "models/deep");
        fs::create_directories(root / "other");
        const fs::path folder = root / "models/deep";
        WriteFile(folder / optName, bytes);
        const std::set<std::string> before = Tree(root.Path());

        const auto written = ExtractTextures(folder / optName);
        EXPECT_EQ(written.size(), HostileNames().size());
        for (const fs::path& path : written) {
            EXPECT_EQ(path.parent_path(), folder);
            const std::string name = platform::PathToUtf8(path.filename());
            EXPECT_NE(name, ".");
            EXPECT_NE(name, "..");
            EXPECT_EQ(name.find_first_of(std::string("/\\:\0", 4)), std::string::npos) << name;
            EXPECT_FALSE(IsDeviceStem(name)) << name;
            EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](unsigned char c) { return c < 0x20 || c >= 0x7F; })) << name;
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(path))) << name;
        }
        // Nothing appeared anywhere but in the OPT's folder.
        for (const std::string& file : Tree(root.Path())) {
            if (before.count(file) == 0) {
                EXPECT_EQ(fs::path(file).parent_path(), "models/deep") << file;
            }
        }
        EXPECT_EQ(ReadFile(folder / optName), bytes);
    }
}

class HostileDestination : public ::testing::Test {
protected:
    HostileDestination()
    {
        WriteFile(opt_, Build(SimpleModel({MakeTexture("TEX1", 2, 2)})).bytes);
    }
    fs::path Destination() const { return folder_ / "SHIP_TEX1.BMP"; }

    TempFolder folder_;
    fs::path opt_ = folder_ / "SHIP.OPT";
};

TEST_F(HostileDestination, APipeWhereTheBitmapGoesIsRefusedWithoutWaiting)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows keeps no pipes in folders (devices: see the Windows tests)";
#else
    ASSERT_EQ(::mkfifo(Destination().c_str(), 0644), 0);
    EXPECT_THROW(ExtractTextures(opt_), OptError);
    EXPECT_TRUE(fs::is_fifo(Destination()));
#endif
}

TEST_F(HostileDestination, ALinkToADeviceOrAFileOutsideIsNotWrittenThrough)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: creating symbolic links needs administrator rights or developer mode on Windows";
#else
    TempFolder outside;
    const fs::path victim = outside / "victim";
    WriteFile(victim, {1, 2, 3});
    for (const fs::path& target : {fs::path("/dev/null"), victim, fs::path("/dev/full")}) {
        SCOPED_TRACE(target.string());
        fs::remove(Destination());
        fs::create_symlink(target, Destination());
        EXPECT_THROW(ExtractTextures(opt_), OptError);
        EXPECT_TRUE(fs::is_symlink(Destination()));
    }
    EXPECT_EQ(ReadFile(victim), (Bytes{1, 2, 3}));
#endif
}

} // namespace
} // namespace lathwork
