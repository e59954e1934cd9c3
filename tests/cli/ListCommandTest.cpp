#include "cli/NameCodec.hpp"
#include "opt/NameText.hpp"
#include "opt/OptError.hpp"
#include "testkit/OptBuilder.hpp"
#include "Cli.hpp"
#include "testkit/TestFiles.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;

class ListCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetShape set{.mode = 1, .members = {MakeTexture("TexS1"), TextureRefShape{"TexR"}}, .count = {}};
        SetShape second{.mode = 1, .members = {MakeTexture("TEXS2"), MakeTexture("TEXS3")}, .count = {}};
        TextureShape lit = MakeTexture("TexLit");
        lit.childCount = 1;
        WriteFile(file, Build(SimpleModel({MakeTexture("TEX00001"), lit, set, MakeTexture(std::string("Tex\\\x01", 5)), second})).bytes);
    }
    TempFolder folder;
    std::filesystem::path file = folder / "SHIP.OPT";
};

TEST_F(ListCommand, PrintsTheListsTheWindowShows)
{
    auto result = Cli({"list", "illumination", Word(file)});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "TEX00001\nTexLit\nTexS1\nTex\\x5c\\x01\nTEXS2\nTEXS3\n");
    result = Cli({"list", "transparency", Word(file)});
    EXPECT_EQ(result.out, "TEX00001\nTexS1\nTex\\x5c\\x01\nTEXS2\nTEXS3\n");
    result = Cli({"list", "sets", Word(file)});
    EXPECT_EQ(result.out, "Tex Set 1\nTex Set 2\n");
    result = Cli({"list", "set-textures", Word(file), "1"});
    EXPECT_EQ(result.out, "TexS1\nTexR\n");
    result = Cli({"list", "set-textures", Word(file), "2"});
    EXPECT_EQ(result.out, "TEXS2\nTEXS3\n");
    EXPECT_TRUE(result.err.empty());
}

TEST_F(ListCommand, BadArgumentsAndFilesFailWithOneLine)
{
    const auto before = ReadFile(file);
    for (const auto& words : std::vector<std::vector<std::string>>{
             {"list", "sets", Word(folder / "NONE.OPT")},
             {"list", "colours", Word(file)},
             {"list", "set-textures", Word(file), "3"},
             {"list", "set-textures", Word(file), "0"},
             {"list", "set-textures", Word(file), "x"},
             {"list", "sets"},
             {"list", "sets", Word(file), "--bogus"},
         }) {
        const auto result = Cli(words);
        EXPECT_NE(result.status, 0) << words[1];
        EXPECT_TRUE(result.out.empty());
        ASSERT_FALSE(result.err.empty());
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
    EXPECT_EQ(ReadFile(file), before);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"SHIP.OPT"}));
}

TEST_F(ListCommand, DamagedFileIsAnError)
{
    auto bytes = ReadFile(file);
    bytes.resize(bytes.size() / 2);
    WriteFile(file, bytes);
    const auto result = Cli({"list", "illumination", Word(file)});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("damaged"), std::string::npos) << result.err;
}

TEST(NameCodec, EscapesWhatIsNotPrintableAndRoundTrips)
{
    EXPECT_EQ(NameText(std::string("TEX00001", 8)), "TEX00001");
    EXPECT_EQ(NameText(std::string("Tex\0\0\0\0\0", 8)), "Tex");
    EXPECT_EQ(NameText(std::string("T\0x\\\xff\0\0\0", 8)), "T\\x00x\\x5c\\xff");
    EXPECT_EQ(cli::DecodeName("T\\x00x\\x5c\\xFF"), std::string("T\0x\\\xff\0\0\0", 8));
    EXPECT_EQ(cli::DecodeName("Tex"), std::string("Tex\0\0\0\0\0", 8));
    EXPECT_THROW(cli::DecodeName("TEX000001"), OptError);
    EXPECT_THROW(cli::DecodeName("Tex\\x4"), OptError);
    EXPECT_THROW(cli::DecodeName("Tex\\n"), OptError);
}

} // namespace
} // namespace lathwork
