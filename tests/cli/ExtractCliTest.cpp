#include "testkit/ImagingFixtures.hpp"
#include "Cli.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

ProgramRun Cli(const std::vector<std::string>& args)
{
    return RunProgram(LATHWORK_CLI, args);
}

// One line, ending in a newline, on stderr; nothing else.
void ExpectOneLineError(const ProgramRun& run)
{
    EXPECT_NE(run.status, 0);
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.back(), '\n');
}

TEST(ExtractCommand, PrintsThePathOfEachBitmapWrittenInOrder)
{
    ScratchFolder folder;
    const BuiltModel m = Build(SimpleModel({MakeTexture("TEX00002"), MakeTexture("TEX00001"), MakeTexture("TEX00002")}));
    PutFile(folder / "SHIP.OPT", m.bytes);
    const ProgramRun run = Cli({"extract", Word(folder / "SHIP.OPT")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::string a = Word(folder / "SHIP_TEX00002.BMP");
    const std::string b = Word(folder / "SHIP_TEX00001.BMP");
    EXPECT_EQ(run.out, a + "\n" + b + "\n" + a + "\n");
    EXPECT_EQ(FileBytes(folder / "SHIP.OPT"), m.bytes);
}

TEST(ExtractCommand, PrintsNothingForAFileWithoutTextures)
{
    ScratchFolder folder;
    PutFile(folder / "EMPTY.OPT", Build(ModelShape{}).bytes);
    const ProgramRun run = Cli({"extract", Word(folder / "EMPTY.OPT")});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"EMPTY.OPT"});
}

TEST(ExtractCommand, RejectsMissingFilesAndBadArguments)
{
    ScratchFolder folder;
    ExpectOneLineError(Cli({"extract", Word(folder / "NONE.OPT")}));
    ExpectOneLineError(Cli({"extract"}));
    PutFile(folder / "SHIP.OPT", Build(SimpleModel({MakeTexture("TEX1")})).bytes);
    ExpectOneLineError(Cli({"extract", Word(folder / "SHIP.OPT"), "extra"}));
    ExpectOneLineError(Cli({"extract", Word(folder / "SHIP.OPT"), "--all"}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
}

TEST(ExtractCommand, AFailurePartWayShowsWhatWasWrittenAndLeavesTheOptAlone)
{
    ScratchFolder folder;
    BuiltModel m = Build(SimpleModel({MakeTexture("TEX1"), MakeTexture("TEX2")}));
    SetLong(m.bytes, static_cast<std::size_t>(m.Texture("TEX2") + 41), 0x7FFFFFFF);
    PutFile(folder / "SHIP.OPT", m.bytes);
    const ProgramRun run = Cli({"extract", Word(folder / "SHIP.OPT")});
    ExpectOneLineError(run);
    EXPECT_NE(run.err.find("SHIP_TEX2.BMP"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, Word(folder / "SHIP_TEX1.BMP") + "\n");
    EXPECT_EQ(FileBytes(folder / "SHIP.OPT"), m.bytes);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT", "SHIP_TEX1.BMP"}));
}

TEST(ExtractCommand, ADamagedFileGivesOneLineAndNoBitmap)
{
    ScratchFolder folder;
    Bytes bytes = Build(SimpleModel({MakeTexture("TEX1")})).bytes;
    bytes.resize(60);
    PutFile(folder / "SHIP.OPT", bytes);
    ExpectOneLineError(Cli({"extract", Word(folder / "SHIP.OPT")}));
    EXPECT_EQ(FileBytes(folder / "SHIP.OPT"), bytes);
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"SHIP.OPT"});
}

} // namespace
} // namespace lathwork
