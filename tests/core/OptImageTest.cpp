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
    EXPECT_EQ(image.ReadByte(4), 0xFF);
    EXPECT_EQ(image.ReadByte(3), 0x12);
    EXPECT_EQ(image.ReadSingle(6), 1.0f);
    image.WriteLong(0, -2);
    EXPECT_EQ(image.ReadBytes(0, 4), (Bytes{0xFE, 0xFF, 0xFF, 0xFF}));
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

// A file mapped into memory is read in place; changes never write the mapping.
TEST(OptImage, BorrowedBytesAreReadInPlaceAndNeverWritten)
{
    const auto source = std::make_shared<const Bytes>(Bytes{1, 2, 3, 4, 5, 6});
    OptImage image(*source, source);
    EXPECT_EQ(image.Bytes().data(), source->data());
    OptImage copy = image;
    EXPECT_EQ(copy.Bytes().data(), source->data());
    image.Insert(2, Bytes{9});
    copy.WriteByte(0, 7);
    EXPECT_EQ(*source, (Bytes{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(image.ReadBytes(0, image.Size()), (Bytes{1, 2, 9, 3, 4, 5, 6}));
    EXPECT_EQ(copy.ReadBytes(0, copy.Size()), (Bytes{7, 2, 3, 4, 5, 6}));
    OptImage moved = std::move(image);
    EXPECT_EQ(moved.ReadByte(2), 9);
}

} // namespace
} // namespace lathwork
