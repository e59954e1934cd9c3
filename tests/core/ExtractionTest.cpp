#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "opt/OptImage.hpp"
#include "opt/OptError.hpp"
#include "testkit/ImagingFixtures.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

TEST(ExtractedBitmapName, OrdinaryNamesGiveTheOptNameAndTheTextureName)
{
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "TEX00012"), "SHIP_TEX00012.BMP");
    EXPECT_EQ(ExtractedBitmapName("ship.opt", "TEX00012"), "ship_TEX00012.BMP");
    EXPECT_EQ(ExtractedBitmapName("X-Wing Mk2.Opt", "Tex00001"), "X-Wing Mk2_Tex00001.BMP");
    // The last four characters go whatever they are.
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPTX", "TEX1\0\0\0\0"), "SHIP._TEX1.BMP");
    EXPECT_EQ(ExtractedBitmapName(".opt", "TEX00001"), "_TEX00001.BMP");
    EXPECT_EQ(ExtractedBitmapName("abc", "TEX00001"), "_TEX00001.BMP");
}

TEST(ExtractedBitmapName, DropsTrailingZeroBytesAndReplacesBytesNoFileNameCanHold)
{
    using namespace std::string_literals;
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "TEX1\0\0\0\0"s), "SHIP_TEX1.BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "\0\0\0\0\0\0\0\0"s), "SHIP_.BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "T\0X\0\0\0\0\0"s), "SHIP_T_X.BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "a/b\\c:d*"), "SHIP_a_b_c_d_.BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "?\"<>|..."), "SHIP______....BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "\x01\x1F\x7F\x80\xFF ok"s), "SHIP______ ok.BMP");
    EXPECT_EQ(ExtractedBitmapName("SHIP.OPT", "../../x\0"s), "SHIP_.._.._x.BMP");
}

class Extraction : public ::testing::Test {
protected:
    // Writes the model as SHIP.OPT (or the given name) in the scratch folder.
    fs::path Opt(const BuiltModel& m, const std::string& name = "SHIP.OPT")
    {
        const fs::path path = folder / name;
        PutFile(path, m.bytes);
        return path;
    }

    static Bytes BitmapOf(const BuiltModel& m, const std::string& name)
    {
        return PreviewTexture(OptImage(m.bytes), Name8(name))->bitmap;
    }

    ScratchFolder folder;
};

TEST_F(Extraction, WritesOneBitmapPerTextureBesideTheOptAndNothingElse)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX00001", 8, 4), MakeTexture("TEX00002", 3, 5)}));
    const fs::path opt = Opt(m);
    const auto written = ExtractTextures(opt);
    EXPECT_EQ(written, (std::vector<fs::path>{folder / "SHIP_TEX00001.BMP", folder / "SHIP_TEX00002.BMP"}));
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT", "SHIP_TEX00001.BMP", "SHIP_TEX00002.BMP"}));
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX00001.BMP"), BitmapOf(m, "TEX00001"));
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX00002.BMP"), BitmapOf(m, "TEX00002"));
    EXPECT_EQ(FileBytes(opt), m.bytes);
}

TEST_F(Extraction, KeepsTheCaseOfTheOptNameAndTheUsersOwnFiles)
{
    const BuiltModel m = OneTexture(MakeTexture("TEX00001"));
    const Bytes mine = {1, 2, 3};
    PutFile(folder / "TEX00001.BMP", mine);
    PutFile(folder / "temp.dat", mine);
    ExtractTextures(Opt(m, "ship.opt"));
    EXPECT_EQ(folder.Entries(), (Names{"TEX00001.BMP", "ship.opt", "ship_TEX00001.BMP", "temp.dat"}));
    EXPECT_EQ(FileBytes(folder / "TEX00001.BMP"), mine);
    EXPECT_EQ(FileBytes(folder / "temp.dat"), mine);
}

TEST_F(Extraction, ALaterNodeOfTheSameNameReplacesTheEarlierBitmap)
{
    TextureShape later = MakeTexture("TEX00005", 8, 2);
    later.ownPalette = MakePalette(3);
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX00005", 4, 4), MakeTexture("TEX00006"), later}));
    const auto written = ExtractTextures(Opt(m));
    EXPECT_EQ(written, (std::vector<fs::path>{folder / "SHIP_TEX00005.BMP", folder / "SHIP_TEX00006.BMP",
                                              folder / "SHIP_TEX00005.BMP"}));
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX00005.BMP"), BitmapOf(m, "TEX00005"));
    EXPECT_EQ(GetLong(FileBytes(folder / "SHIP_TEX00005.BMP"), 18), 8);
}

TEST_F(Extraction, ExtractingTwiceReplacesBitmapsAndCutsLongerFiles)
{
    const BuiltModel m = OneTexture(MakeTexture("TEX00001", 4, 4));
    const fs::path opt = Opt(m);
    PutFile(folder / "SHIP_TEX00001.BMP", Bytes(5000, 0xEE));
    ExtractTextures(opt);
    const Bytes first = FileBytes(folder / "SHIP_TEX00001.BMP");
    EXPECT_EQ(first.size(), 1078u + 16u);
    ExtractTextures(opt);
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX00001.BMP"), first);
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT", "SHIP_TEX00001.BMP"}));
}

TEST_F(Extraction, SkipsLayoutsItCannotReadAndWritesNothingWithoutTextures)
{
    BuiltModel m = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX2")}));
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TEX1") + 8), 2);
    EXPECT_EQ(ExtractTextures(Opt(m)), (std::vector<fs::path>{folder / "SHIP_TEX2.BMP"}));

    ScratchFolder empty;
    const fs::path opt = empty / "EMPTY.OPT";
    PutFile(opt, Build(SimpleModel({RawLeafShape{1}})).bytes);
    EXPECT_TRUE(ExtractTextures(opt).empty());
    EXPECT_EQ(empty.Entries(), (Names{"EMPTY.OPT"}));
}

TEST_F(Extraction, HostileNamesStayInTheOptsFolder)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("../../x"), MakeTexture("/tmp/a"), MakeTexture("")}));
    const auto written = ExtractTextures(Opt(m));
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT", "SHIP_.._.._x.BMP", "SHIP_.BMP", "SHIP__tmp_a.BMP"}));
    for (const fs::path& path : written) {
        EXPECT_EQ(path.parent_path(), folder.Path());
    }
}

TEST_F(Extraction, TellsWhoListensOfEachBitmapAsItIsWritten)
{
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX2")}));
    std::vector<fs::path> heard;
    const auto written = ExtractTextures(Opt(m), [&](const fs::path& path) {
        EXPECT_TRUE(fs::exists(path));
        heard.push_back(path);
    });
    EXPECT_EQ(heard, written);
}

// The failures: each names the file, keeps the bitmaps written before and leaves the OPT alone.
class ExtractionFailure : public Extraction {
protected:
    void SetUp() override
    {
        model = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX2"), MakeTexture("TEX3")}));
    }

    // Runs the extraction expecting an error that mentions needle.
    void ExpectFailure(const fs::path& opt, const std::string& needle)
    {
        const Bytes before = FileBytes(opt);
        try {
            ExtractTextures(opt);
            ADD_FAILURE() << "no error";
        } catch (const OptError& error) {
            EXPECT_NE(std::string(error.what()).find(needle), std::string::npos) << error.what();
        }
        EXPECT_EQ(FileBytes(opt), before);
    }

    BuiltModel model;
};

TEST_F(ExtractionFailure, AReadOnlyBitmapIsNotReplaced)
{
    const fs::path opt = Opt(model);
    PutFile(folder / "SHIP_TEX2.BMP", {9, 9});
    fs::permissions(folder / "SHIP_TEX2.BMP", fs::perms::owner_read | fs::perms::group_read);
    ExpectFailure(opt, "SHIP_TEX2.BMP");
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX2.BMP"), (Bytes{9, 9}));
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT", "SHIP_TEX1.BMP", "SHIP_TEX2.BMP"}));
}

TEST_F(ExtractionFailure, AFolderOrALinkInTheWayIsLeftAlone)
{
    const fs::path opt = Opt(model);
    fs::create_directory(folder / "SHIP_TEX2.BMP");
    ExpectFailure(opt, "SHIP_TEX2.BMP");
    EXPECT_TRUE(fs::is_directory(folder / "SHIP_TEX2.BMP"));
    EXPECT_TRUE(fs::exists(folder / "SHIP_TEX1.BMP"));
    fs::remove(folder / "SHIP_TEX2.BMP");

#ifndef _WIN32 // links need administrator rights on Windows
    ScratchFolder elsewhere;
    PutFile(elsewhere / "victim", {4, 5, 6});
    fs::create_symlink(elsewhere / "victim", folder / "SHIP_TEX2.BMP");
    ExpectFailure(opt, "SHIP_TEX2.BMP");
    EXPECT_EQ(FileBytes(elsewhere / "victim"), (Bytes{4, 5, 6}));
#endif
}

TEST_F(ExtractionFailure, AHardLinkToTheOptIsNeverWritten)
{
    const fs::path opt = Opt(model);
    fs::create_hard_link(opt, folder / "SHIP_TEX1.BMP");
    ExpectFailure(opt, "SHIP_TEX1.BMP");
}

TEST_F(ExtractionFailure, AReadOnlyFolderGetsNoBitmap)
{
#ifdef _WIN32
    GTEST_SKIP() << "POSIX only: Windows does not honour the read-only mark on folders";
#else
    const fs::path opt = Opt(model);
    fs::permissions(folder.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    ExpectFailure(opt, folder.Path().string());
    fs::permissions(folder.Path(), fs::perms::owner_all);
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT"}));
#endif
}

TEST_F(ExtractionFailure, AFolderThatCannotBeReachedIsReported)
{
    EXPECT_THROW(ExtractTextures(folder / "missing" / "SHIP.OPT"), OptError);
    PutFile(folder / "plain", {});
    EXPECT_THROW(ExtractTextures(folder / "plain" / "SHIP.OPT"), OptError);
}

TEST_F(ExtractionFailure, DamagedTextureDataStopsAtThatTexture)
{
    SetLong(model.bytes, static_cast<std::size_t>(model.Texture("TEX2") + 41), -1);
    const fs::path opt = Opt(model);
    PutFile(folder / "SHIP_TEX2.BMP", {7});
    ExpectFailure(opt, "SHIP_TEX2.BMP");
    EXPECT_EQ(FileBytes(folder / "SHIP_TEX2.BMP"), (Bytes{7})); // not touched: nothing to write
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT", "SHIP_TEX1.BMP", "SHIP_TEX2.BMP"}));
}

TEST_F(ExtractionFailure, ADamagedNodeTreeWritesNothing)
{
    // The last leaf pointer of the part leads outside the file.
    SetLong(model.bytes, static_cast<std::size_t>(model.parts[0] + 24 + 8), 0x7FFFFF00);
    const fs::path opt = Opt(model);
    ExpectFailure(opt, "SHIP.OPT");
    EXPECT_EQ(folder.Entries(), (Names{"SHIP.OPT"}));
}

} // namespace
} // namespace lathwork
