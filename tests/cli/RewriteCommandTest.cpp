// lathwork-cli illuminate | transparency | animate, run as a user would run them.

#include "modify/Rewrites.hpp"
#include "opt/Scans.hpp"
#include "testkit/OptBuilder.hpp"
#include "testkit/TestFiles.hpp"
#include "Cli.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

Bytes Model()
{
    ModelShape tree = SimpleModel({
        MakeTexture("TexA", 8, 8, 0),
        MakeTexture("TexB"),
        SetShape{.mode = 1, .members = {MakeTexture("TexC", 4, 4, 0), MakeTexture("Tex\x01")}, .count = {}},
        SetShape{.mode = 1, .members = {}, .count = {}},
        MakeTexture("TexA", 4, 4, 0),
    });
    TextureShape white = MakeTexture("TexW");
    white.ownPalette = PaletteWithRow7({{3, 0xFFFF}, {9, 0xF7DE}});
    std::get<GroupShape>(tree.tops[0].children[0]).branch.parts[0].leaves.push_back(white);
    tree.palettes = {MakePalette(31)};
    return Build(tree).bytes;
}

Bytes Core(const std::function<void(OptImage&)>& change)
{
    OptImage image{Model()};
    change(image);
    return {image.Bytes().begin(), image.Bytes().end()};
}

class RewriteCommand : public ::testing::Test {
protected:
    RewriteCommand() : file_(folder_ / "MODEL.OPT") { WriteFile(file_, Model()); }

    CommandResult Run(const std::string& command, std::vector<std::string> args)
    {
        args.insert(args.begin(), {LATHWORK_CLI, command, Word(file_)});
        return RunCommand(args);
    }

    void ExpectSuccess(const CommandResult& result, const Bytes& expected)
    {
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "");
        EXPECT_EQ(ReadFile(file_), expected);
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"MODEL.OPT"});
    }

    void ExpectFailure(const CommandResult& result)
    {
        EXPECT_NE(result.status, 0);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(ReadFile(file_), Model());
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"MODEL.OPT"});
    }

    TempFolder folder_;
    fs::path file_;
};

TEST_F(RewriteCommand, IlluminateAllIsSelectAllAndBegin)
{
    ExpectSuccess(Run("illuminate", {"--all"}), Core([](OptImage& image) {
        RunIllumination(image, {ScanIlluminationTextures(image), {}});
    }));
}

TEST_F(RewriteCommand, IlluminateNamesWithPickedColoursRunInListOrder)
{
    const ColourChoice colours{.customSelect = true, .picked = {{248, 252, 248}, {0, 0, 0}}, .tolerance = 8};
    ExpectSuccess(Run("illuminate", {"--colour", "248,252,248", "--tolerance", "8", "--colour", "0,0,0", "TexW",
                                     "Tex\\x01", "TexA"}),
                  Core([&](OptImage& image) {
                      RunIllumination(image, {{Name8("TexA"), Name8("Tex\x01"), Name8("TexW")}, colours});
                  }));
}

TEST_F(RewriteCommand, TransparencyUsesTheDefaultsAndTheGivenOpacity)
{
    ExpectSuccess(Run("transparency", {"TexB"}), Core([](OptImage& image) {
        RunTransparency(image, {{Name8("TexB")}, {}, 111});
    }));
    WriteFile(file_, Model());
    ExpectSuccess(Run("transparency", {"--opacity", "50", "--colour", "10,20,30", "--all"}), Core([](OptImage& image) {
        const ColourChoice colours{.customSelect = true, .picked = {{10, 20, 30}}, .tolerance = 32};
        RunTransparency(image, {ScanTransparencyTextures(image), colours, 50});
    }));
}

TEST_F(RewriteCommand, AnimateWritesTheNumberedSets)
{
    ExpectSuccess(Run("animate", {"2"}), Core([](OptImage& image) { AnimateTextureSets(image, {1}); }));
    WriteFile(file_, Model());
    ExpectSuccess(Run("animate", {"--all"}), Core([](OptImage& image) { AnimateTextureSets(image, {0, 1}); }));
}

TEST_F(RewriteCommand, UnknownNamesAndSetsAreErrors)
{
    ExpectFailure(Run("illuminate", {"TexA", "TexNope"}));
    ExpectFailure(Run("transparency", {"tex"}));
    ExpectFailure(Run("animate", {"1", "3"}));
    ExpectFailure(Run("animate", {"0"}));
}

TEST_F(RewriteCommand, BadArgumentsAreErrors)
{
    ExpectFailure(Run("illuminate", {}));
    ExpectFailure(Run("illuminate", {"--all", "TexA"}));
    ExpectFailure(Run("illuminate", {"--colour", "256,0,0", "TexA"}));
    ExpectFailure(Run("illuminate", {"--colour", "1,2", "TexA"}));
    ExpectFailure(Run("illuminate", {"--colour", "1,2,3,4", "TexA"}));
    ExpectFailure(Run("illuminate", {"--tolerance", "300", "TexA"}));
    ExpectFailure(Run("illuminate", {"--tolerance", "-1", "TexA"}));
    ExpectFailure(Run("illuminate", {"--opacity", "5", "TexA"}));
    ExpectFailure(Run("illuminate", {"TexABCDEF"}));
    ExpectFailure(Run("illuminate", {"Tex\\x1"}));
    ExpectFailure(Run("transparency", {"--opacity", "256", "TexB"}));
    ExpectFailure(Run("transparency", {"--opacity", "x", "TexB"}));
    ExpectFailure(Run("animate", {}));
    ExpectFailure(Run("animate", {"--all", "1"}));
    ExpectFailure(Run("animate", {"one"}));
}

TEST_F(RewriteCommand, ReadOnlyFileIsLeftAlone)
{
    fs::permissions(file_, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    ExpectFailure(Run("illuminate", {"--all"}));
    ExpectFailure(Run("transparency", {"--all"}));
    ExpectFailure(Run("animate", {"--all"}));
}

TEST_F(RewriteCommand, DamagedFileIsLeftAlone)
{
    const Bytes model = Model();
    const Bytes truncated(model.begin(), model.begin() + static_cast<std::ptrdiff_t>(model.size() / 2));
    for (const std::string command : {"illuminate", "transparency", "animate"}) {
        WriteFile(file_, truncated);
        const CommandResult result = Run(command, {"--all"});
        EXPECT_NE(result.status, 0) << command;
        EXPECT_EQ(ReadFile(file_), truncated) << command;
        EXPECT_EQ(folder_.Entries(), std::vector<std::string>{"MODEL.OPT"});
    }
}

TEST(RewriteCommandFile, MissingFileIsAnError)
{
    TempFolder folder;
    const CommandResult result = RunCommand({LATHWORK_CLI, "animate", Word(folder / "NONE.OPT"), "--all"});
    EXPECT_NE(result.status, 0);
    EXPECT_TRUE(folder.Entries().empty());
}

} // namespace
} // namespace lathwork
