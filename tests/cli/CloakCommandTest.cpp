#include "testkit/OptBuilder.hpp"
#include "Cli.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace lathwork {
namespace {

using namespace testkit;

class CloakCommand : public ::testing::Test {
protected:
    void Make(const std::vector<std::vector<float>>& tables)
    {
        ModelShape tree;
        TopShape top;
        for (const auto& distances : tables) {
            top.children.push_back(GroupShape{.selector = 3, .branch = BranchShape{.parts = {}, .distances = distances}});
        }
        tree.tops.push_back(top);
        model = Build(tree);
        WriteFile(file, model.bytes);
    }
    float Entry(std::size_t branch, std::size_t k) const
    {
        const auto table = GetLong(model.bytes, static_cast<std::size_t>(model.branches[branch]) + 20) - model.globalOffset;
        return GetSingle(ReadFile(file), static_cast<std::size_t>(table) + 4 * k);
    }
    TempFolder folder;
    std::filesystem::path file = folder / "SHIP.OPT";
    BuiltModel model;
};

TEST_F(CloakCommand, PrintsTheBoxesAsTheyShow)
{
    Make({{3.413533e-05f, 0.0f}});
    auto result = Cli({"cloak", Word(file)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "high 2\nlow NEVER\n");
    Make({{5.0f}});
    EXPECT_EQ(Cli({"cloak", Word(file)}).out, "high never\n");
    Make({{3.413533e-05f, 7.0f}, {0.5f, 0.5f}});
    EXPECT_EQ(Cli({"cloak", Word(file)}).out, "high 2\nlow never\n");
    Make({{std::nextafter(1.0f, 0.0f)}}); // shows 0, which the box turns into ALWAYS
    EXPECT_EQ(Cli({"cloak", Word(file)}).out, "high ALWAYS\n");
}

TEST_F(CloakCommand, WritesGivenAndScannedTextsIntoEveryTable)
{
    Make({{1.0f, 0.25f, 0.5f}, {0.5f}});
    auto result = Cli({"cloak", Word(file), "--low", "nEvEr"});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.out.empty());
    EXPECT_EQ(Entry(0, 0), 1.0f); // the scanned ALWAYS, written back
    EXPECT_EQ(Entry(0, 1), 0.0f);
    EXPECT_EQ(Entry(0, 2), 0.0f);
    EXPECT_EQ(Entry(1, 0), 1.0f);
    EXPECT_EQ(ReadFile(file).size(), model.bytes.size());

    result = Cli({"cloak", Word(file), "--high", "100", "--low", "."});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NEAR(Entry(1, 0), 9.27e-07f, 1e-9f);
    EXPECT_EQ(Cli({"cloak", Word(file)}).out, "high 100\nlow 0.01\n");
    EXPECT_EQ(Cli({"cloak", Word(file), "--high", "0"}).status, 0);
    EXPECT_EQ(Entry(0, 0), 1.0f);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT"}));
}

TEST_F(CloakCommand, RefusedTextsAndDamagedFilesWriteNothing)
{
    Make({{0.5f, 0.25f}});
    auto bytes = ReadFile(file);
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"cloak", Word(file), "--high", "1abc"},
             {"cloak", Word(file), "--high", "2", "--low", "-5"},
             {"cloak", Word(file), "--low", ""},
             {"cloak", Word(file), "--high", "far"},
             {"cloak", Word(file), "--high"},
             {"cloak", Word(file), "extra"},
             {"cloak", Word(file), "--middle", "2"},
         }) {
        const auto result = Cli(words);
        EXPECT_NE(result.status, 0) << words.back();
        EXPECT_TRUE(result.out.empty());
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_NE(Cli({"cloak", Word(file), "--high", "1abc"}).err.find("\"1abc\""), std::string::npos);
    EXPECT_EQ(ReadFile(file), bytes);

    SetLong(bytes, static_cast<std::size_t>(model.branches[0]) + 20, 0x7FFFFFF0);
    WriteFile(file, bytes);
    EXPECT_EQ(Cli({"cloak", Word(file)}).status, 1);
    const auto result = Cli({"cloak", Word(file), "--high", "2"});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("damaged"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(file), bytes);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT"}));
}

} // namespace
} // namespace lathwork
