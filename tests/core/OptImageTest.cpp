#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace lathwork {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

TEST(OptImage, ReadsAndWritesLittleEndianValues)
{
    OptImage image{Bytes{0x78, 0x56, 0x34, 0x12, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0x3F}};
    EXPECT_EQ(image.ReadLong(0), 0x12345678);
    EXPECT_EQ(image.ReadInteger(4), -1);
    EXPECT_EQ(image.ReadByte(3), 0x12);
    EXPECT_EQ(image.ReadSingle(6), 1.0f);
    image.WriteLong(0, -2);
    EXPECT_EQ(image.ReadBytes(0, 4), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
    image.WriteInteger(4, 0x0102);
    EXPECT_EQ(image.ReadBytes(4, 2), (Bytes{0x02, 0x01}));
    image.WriteSingle(6, -2.0f);
    EXPECT_EQ(image.ReadSingle(6), -2.0f);
}

TEST(OptImage, AccessOutsideTheImageIsAnErrorNamingTheOffset)
{
    OptImage image{Bytes(10, 0)};
    EXPECT_THROW(image.ReadLong(7), OptError);
    EXPECT_THROW(image.ReadLong(-1), OptError);
    EXPECT_THROW(image.ReadBytes(2, -1), OptError);
    EXPECT_THROW(image.ReadBytes(0, 11), OptError);
    EXPECT_THROW(image.WriteByte(10, 1), OptError);
    EXPECT_THROW(image.Insert(11, Bytes{1}), OptError);
    EXPECT_NO_THROW(image.ReadBytes(10, 0));
    try {
        image.ReadLong(8);
        FAIL();
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("offset 8"), std::string::npos) << error.what();
    }
    EXPECT_THROW(CheckedAdd(INT32_MAX, 1), OptError);
    EXPECT_THROW(CheckedAdd(INT32_MIN, -1), OptError);
    EXPECT_EQ(CheckedAdd(INT32_MAX, -1), INT32_MAX - 1);
}

TEST(OptImage, InsertMovesTheTail)
{
    OptImage image{Bytes{1, 2, 3, 4}};
    image.Insert(2, Bytes{9, 9});
    EXPECT_EQ(image.ReadBytes(0, 6), (Bytes{1, 2, 9, 9, 3, 4}));
    image.Insert(6, Bytes{7});
    image.Insert(0, image.View(0, 2)); // bytes taken from the image itself
    EXPECT_EQ(image.ReadBytes(0, image.Size()), (Bytes{1, 2, 1, 2, 9, 9, 3, 4, 7}));
}

TEST(FileIo, SaveReplacesTheFileAndKeepsItsPermissions)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: permission bits (Windows keeps attributes instead; see the Windows tests)";
#else
    testkit::TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    testkit::WriteFile(file, Bytes{1, 2, 3});
    ::chmod(file.c_str(), 0640);
    OptImage image = OptImage::Load(file);
    image.WriteByte(0, 9);
    image.Save(file);
    EXPECT_EQ(testkit::ReadFile(file), (Bytes{9, 2, 3}));
    struct stat info {};
    ::stat(file.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT"}));
#endif
}

TEST(FileIo, SaveThroughALinkRewritesTheTargetAndKeepsTheLink)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: creating symbolic links needs administrator rights or developer mode on Windows";
#else
    testkit::TempFolder folder;
    fs::create_directory(folder / "models");
    const fs::path target = folder / "models" / "REAL.OPT";
    testkit::WriteFile(target, Bytes{1, 2, 3});
    ::chmod(target.c_str(), 0604);
    const fs::path link = folder / "LINK.OPT";
    fs::create_symlink(target, link);
    OptImage image = OptImage::Load(link);
    image.Insert(3, Bytes{4});
    image.Save(link);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testkit::ReadFile(target), (Bytes{1, 2, 3, 4}));
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
#endif
}

TEST(FileIo, ReadOnlyFileOrFolderIsRefusedAndLeftAlone)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows does not honour the read-only mark on folders";
#else
    testkit::TempFolder folder;
    const fs::path file = folder / "SHIP.OPT";
    testkit::WriteFile(file, Bytes{1, 2, 3});
    ::chmod(file.c_str(), 0444);
    EXPECT_THROW(CheckReplaceable(file), OptError);
    EXPECT_THROW(OptImage(Bytes{7}).Save(file), OptError);
    EXPECT_EQ(testkit::ReadFile(file), (Bytes{1, 2, 3}));
    ::chmod(file.c_str(), 0644);
    ::chmod(folder.Path().c_str(), 0555);
    EXPECT_THROW(OptImage(Bytes{7}).Save(file), OptError);
    ::chmod(folder.Path().c_str(), 0755);
    EXPECT_EQ(testkit::ReadFile(file), (Bytes{1, 2, 3}));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT"}));
#endif
}

TEST(FileIo, MissingFileIsAnErrorNamingIt)
{
    testkit::TempFolder folder;
    try {
        OptImage::Load(folder / "NONE.OPT");
        FAIL();
    } catch (const OptError& error) {
        EXPECT_NE(std::string(error.what()).find("NONE.OPT"), std::string::npos);
    }
    EXPECT_THROW(OptImage::Load(folder.Path()), OptError); // a folder is not a file
}

} // namespace
} // namespace lathwork

namespace lathwork {
namespace {

TEST(OptImage, SplitStorageMatchesOneContiguousBuffer)
{
    // Random insertions, writes and reads, in and across the boundary the split storage keeps.
    std::vector<std::uint8_t> start(300);
    for (std::size_t i = 0; i < start.size(); ++i) {
        start[i] = static_cast<std::uint8_t>(i * 7);
    }
    OptImage split(start);
    OptImage plain(start, OptImage::Storage::Contiguous);
    std::uint32_t state = 12345;
    const auto next = [&](std::uint32_t bound) {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::int64_t>((state >> 8) % bound);
    };
    for (int step = 0; step < 3000; ++step) {
        const std::int64_t size = split.Size();
        ASSERT_EQ(size, plain.Size());
        switch (next(5)) {
        case 0: {
            const std::int64_t at = next(static_cast<std::uint32_t>(size + 1));
            std::vector<std::uint8_t> bytes(static_cast<std::size_t>(next(9)), static_cast<std::uint8_t>(step));
            split.Insert(at, bytes);
            plain.Insert(at, bytes);
            break;
        }
        case 1: {
            const std::int64_t at = next(static_cast<std::uint32_t>(size - 3));
            split.WriteLong(at, step);
            plain.WriteLong(at, step);
            break;
        }
        case 2: {
            const std::int64_t at = next(static_cast<std::uint32_t>(size - 3));
            ASSERT_EQ(split.ReadLong(at), plain.ReadLong(at));
            break;
        }
        case 3: {
            const std::int64_t at = next(static_cast<std::uint32_t>(size - 40));
            const auto a = split.View(at, 40);
            const auto b = split.View(at / 2, 20); // two views alive at once
            ASSERT_TRUE(std::equal(a.begin(), a.end(), plain.View(at, 40).begin()));
            ASSERT_TRUE(std::equal(b.begin(), b.end(), plain.View(at / 2, 20).begin()));
            break;
        }
        default: {
            const std::int64_t at = next(static_cast<std::uint32_t>(size - 10));
            split.Fill(at, 10, 0xEE);
            plain.Fill(at, 10, 0xEE);
            break;
        }
        }
    }
    const auto a = split.Bytes();
    const auto b = plain.Bytes();
    ASSERT_EQ(a.size(), b.size());
    EXPECT_TRUE(std::equal(a.begin(), a.end(), b.begin()));
}

TEST(OptImage, SaveWritesBothPartsOfTheSplitStorage)
{
    testkit::TempFolder folder;
    const auto file = folder / "SHIP.OPT";
    testkit::WriteFile(file, {1, 2, 3, 4, 5, 6});
    OptImage image = OptImage::Load(file);
    image.Insert(2, std::vector<std::uint8_t>{9});
    image.Insert(4, std::vector<std::uint8_t>{8});
    image.Save(file);
    EXPECT_EQ(testkit::ReadFile(file), (std::vector<std::uint8_t>{1, 2, 9, 3, 8, 4, 5, 6}));
}

} // namespace
} // namespace lathwork

namespace lathwork {
namespace {

TEST(OptImage, ViewsStayValidWhileLaterReadsMoveTheBoundary)
{
    std::vector<std::uint8_t> bytes(8 << 20);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i % 251);
    }
    OptImage image(bytes);
    image.Insert(16, std::vector<std::uint8_t>{1, 2, 3, 4}); // splits the storage at 16
    const auto early = image.View(5 << 20, 64);                 // lies behind the boundary
    const std::vector<std::uint8_t> expected(early.begin(), early.end());
    image.View(10, image.Size() - 10);                          // moves the boundary past it all
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), early.begin()));
    image.Insert(image.Size(), std::vector<std::uint8_t>{9});
    EXPECT_EQ(image.ReadByte(image.Size() - 1), 9);
    EXPECT_EQ(image.ReadByte(5 << 20), expected[0]);
}

} // namespace
} // namespace lathwork
