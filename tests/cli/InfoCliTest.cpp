// lathwork-cli info on built models: what the builder put in, and what rewrites added.

#include "testkit/OptBuilder.hpp"
#include "Cli.hpp"
#include "JsonReader.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace lathwork {
namespace {

using namespace testkit;

BuiltModel Model()
{
    TextureShape alpha = MakeTexture("TexAlpha");
    alpha.childCount = 1;
    TextureShape lit = MakeTexture("TexLit");
    lit.ownPalette = PaletteWithRow7({{3, 0x1111}}); // entry 3 equal in all rows
    TextureShape odd = MakeTexture("TexOdd");
    odd.childCount = 2;
    ModelShape shape = SimpleModel({
        MakeTexture("TexOwn", 8, 4), MakeTexture("TexShare", 4, 4, 0), alpha, lit,
        SetShape{.mode = 1, .members = {MakeTexture("TexS1"), MakeTexture("TexS2")}, .count = {}},
        SetShape{.mode = 1, .members = {MakeTexture("TexS3"), TextureRefShape{"TexR"}}, .count = {}},
        SetShape{.mode = 0, .members = {MakeTexture("TexM1"), MakeTexture("TexM2")}, .count = {}},
        SetShape{.mode = 1, .members = {MakeTexture("TexOne")}, .count = {}}, odd});
    shape.palettes = {MakePalette(3)};
    std::get<GroupShape>(shape.tops[0].children[0]).branch.distances = {3.413533e-05f, 0.0f};
    return Build(shape);
}

TEST(InfoCommand, TellsWhatTheBuilderPutInAndWhatRewritesAdded)
{
    const BuiltModel model = Model();
    TempFolder folder;
    WriteFile(folder / "FRESH.OPT", model.bytes);
    WriteFile(folder / "DONE.OPT", model.bytes);
    const std::string done = Word(folder / "DONE.OPT");
    ASSERT_EQ(Cli({"illuminate", done, "TexShare"}).status, 0); // gets its own palette, all self-lit
    ASSERT_EQ(Cli({"transparency", done, "TexOwn"}).status, 0);
    ASSERT_EQ(Cli({"animate", done, "1"}).status, 0);

    const CommandResult result = Cli({"info", Word(folder / "FRESH.OPT"), done, "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    auto json = JsonReader::Parse(result.out);
    EXPECT_EQ(json["files/#"], "2");
    EXPECT_EQ(json["files/0/size"], std::to_string(model.bytes.size()));
    EXPECT_EQ(json["files/0/globalOffset"], std::to_string(model.globalOffset));
    EXPECT_EQ(json["files/0/cloaking/high"], "\"2");
    EXPECT_EQ(json["files/0/cloaking/low"], "\"NEVER");

    // Walk order: leaves, the type-20 members of sets of mode 0 or 1, a set's single member.
    // Each texture: name, child count, width, palette, self-lit entries, opacity node.
    const std::vector<std::vector<std::string>> textures = {
        {"TexOwn", "0", "8", "own", "0", "false"},    {"TexShare", "0", "4", "shared", "0", "false"},
        {"TexAlpha", "1", "4", "own", "0", "true"},   {"TexLit", "0", "4", "own", "1", "false"},
        {"TexS1", "0", "4", "own", "0", "false"},     {"TexS2", "0", "4", "own", "0", "false"},
        {"TexS3", "0", "4", "own", "0", "false"},     {"TexM1", "0", "4", "own", "0", "false"},
        {"TexM2", "0", "4", "own", "0", "false"},     {"TexOne", "0", "4", "own", "0", "false"},
        {"TexOdd", "2", "null", "null", "null", "null"}};
    EXPECT_EQ(json["files/0/textures/#"], std::to_string(textures.size()));
    for (std::size_t i = 0; i < textures.size(); ++i) {
        const std::string t = "files/0/textures/" + std::to_string(i) + "/";
        const auto& expected = textures[i];
        auto text = [](const std::string& value) { return value == "own" || value == "shared" ? "\"" + value : value; };
        EXPECT_EQ((std::vector<std::string>{json[t + "name"], json[t + "childCount"], json[t + "width"],
                                            json[t + "palette"], json[t + "selfLit"], json[t + "alphaNode"]}),
                  (std::vector<std::string>{"\"" + expected[0], expected[1], expected[2], text(expected[3]), expected[4],
                                            expected[5]}));
        EXPECT_EQ(json[t + "node"], std::to_string(model.Texture(expected[0])));
    }
    // State and number of each set; then the same file after the rewrites.
    const std::vector<std::string> sets = {"\"animatable 1", "\"animatable 2", "\"animated null", "\"other null"};
    for (std::size_t i = 0; i < sets.size(); ++i) {
        const std::string s = "files/0/sets/" + std::to_string(i) + "/";
        EXPECT_EQ(json[s + "state"] + " " + json[s + "number"], sets[i]);
        EXPECT_EQ(json[s + "node"], std::to_string(model.sets[i]));
    }
    EXPECT_EQ(json["files/1/textures/1/palette"], "\"own");
    EXPECT_EQ(json["files/1/textures/1/selfLit"], "256");
    EXPECT_EQ(json["files/1/textures/0/alphaNode"], "true");
    EXPECT_EQ(json["files/1/sets/0/state"] + json["files/1/sets/1/number"], "\"animated1");

    // The text for people: the same facts in columns, the numbers aligned on the right.
    const CommandResult text = Cli({"info", Word(folder / "FRESH.OPT")});
    ASSERT_EQ(text.status, 0) << text.err;
    std::istringstream lines(text.out);
    std::string line;
    while (std::getline(lines, line) && line.find("NAME") == std::string::npos) {
    }
    const std::size_t nodeEnd = line.find("NODE") + 4;
    auto shown = [](const std::string& value) {
        return value == "null" ? "-" : value == "true" ? "yes" : value == "false" ? "no" : value.substr(value[0] == '"');
    };
    for (std::size_t i = 0; i < textures.size() && std::getline(lines, line); ++i) {
        std::vector<std::string> words;
        std::istringstream in(line);
        for (std::string word; in >> word;) {
            words.push_back(word);
        }
        std::vector<std::string> expected;
        for (const char* key : {"name", "node", "width", "height", "childCount", "palette", "selfLit", "alphaNode"}) {
            expected.push_back(shown(json["files/0/textures/" + std::to_string(i) + "/" + key]));
        }
        EXPECT_EQ(words, expected) << line;
        EXPECT_EQ(line.find(" " + expected[1] + " ") + 1 + expected[1].size(), nodeEnd) << line;
    }
}

} // namespace
} // namespace lathwork
