// lathwork-cli on several files and folders: each file on its own, dry runs, JSON, exit statuses.

#include "testkit/OptBuilder.hpp"
#include "Cli.hpp"
#include "JsonReader.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

Bytes Model(const std::string& name)
{
    ModelShape shape = SimpleModel({MakeTexture("TEX00001", 8, 8, 0), MakeTexture(name),
                                    SetShape{.mode = 1, .members = {MakeTexture("TEX00003"), MakeTexture("TEX00004")}, .count = {}}});
    std::get<GroupShape>(shape.tops[0].children[0]).branch.distances = {6.467e-05f, 3.414e-05f};
    shape.palettes = {MakePalette(7)};
    return Build(shape).bytes;
}

Bytes Damaged()
{
    Bytes bytes = Model("TEX00002");
    bytes.resize(40); // inside the top node
    return bytes;
}

// Every rewrite, as the words after FILE...: its options, then the name, set or --all.
const std::vector<std::vector<std::string>> kRewrites = {
    {"illuminate", "--all"}, {"illuminate", "--colour", "0,0,0", "TEX00001"}, {"transparency", "--all"},
    {"transparency", "--opacity", "9", "TEX00002"}, {"animate", "1"}, {"cloak", "--high", "5", "--low", "NEVER"}};

std::vector<std::string> Words(const std::vector<std::string>& command, const std::vector<fs::path>& files,
                               const std::vector<std::string>& extra = {})
{
    std::vector<std::string> words{command[0]};
    for (const fs::path& file : files) {
        words.push_back(Word(file));
    }
    // Options go before "--": every word after it is a name.
    words.insert(words.end(), extra.begin(), extra.end());
    words.insert(words.end(), command.begin() + 1, command.end() - 1);
    const std::string& last = command.back();
    if (command[0] == "cloak") {
        words.push_back(last);
    } else if (last.rfind("--", 0) == 0) {
        words.insert(words.end(), {last, "--"});
    } else {
        words.insert(words.end(), {"--", last});
    }
    return words;
}

std::size_t Lines(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A folder of a model, a damaged model and a model that lacks TEX00002 (an error for that file
// only when named): each rewrite fails on the damaged one alone, the dry run writes nothing, and
// the real run rewrites the others as it would on their own and prints the dry run's counts.
TEST(SeveralFiles, EachFileOnItsOwnAndADryRunCountsWhatTheRealRunDoes)
{
    for (const auto& command : kRewrites) {
        SCOPED_TRACE(command[0] + " " + command.back());
        TempFolder folder;
        TempFolder alone;
        const std::vector<fs::path> files = {folder / "A.OPT", folder / "B.OPT", folder / "C.OPT"};
        WriteFile(files[0], Model("TEX00002"));
        WriteFile(files[1], Damaged());
        WriteFile(files[2], Model("TEX00009"));
        WriteFile(alone / "A.OPT", Model("TEX00002"));
        ASSERT_EQ(Cli(Words(command, {alone / "A.OPT"})).status, 0);
        const bool lacking = command.back() == "TEX00002";

        const CommandResult dry = Cli(Words(command, {folder.Path()}, {"--dry-run"}));
        EXPECT_EQ(dry.status, 1);
        EXPECT_EQ(Lines(dry.out), lacking ? 1u : 2u) << dry.out;
        EXPECT_EQ(Lines(dry.err), lacking ? 2u : 1u) << dry.err;
        EXPECT_NE(dry.err.find("B.OPT: "), std::string::npos) << dry.err;
        EXPECT_EQ(ReadFile(files[0]), Model("TEX00002"));
        EXPECT_EQ(ReadFile(files[2]), Model("TEX00009"));

        const CommandResult real = Cli(Words(command, {folder.Path()}, {"--verbose"}));
        EXPECT_EQ(real.status, 1);
        EXPECT_EQ(real.out, dry.out);
        EXPECT_EQ(real.err, dry.err);
        EXPECT_EQ(ReadFile(files[0]), ReadFile(alone / "A.OPT"));
        EXPECT_EQ(ReadFile(files[1]), Damaged());
        EXPECT_EQ(ReadFile(files[2]) == Model("TEX00009"), lacking);
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"A.OPT", "B.OPT", "C.OPT"}));
    }
}

TEST(SeveralFiles, AFolderStandsForItsOptFilesInNameOrderEachOnce)
{
    TempFolder folder;
    WriteFile(folder / "b.opt", Model("TEX00002"));
    WriteFile(folder / "A.OPT", Model("TEX00002"));
    WriteFile(folder / "c.Opt", Model("TEX00002"));
    WriteFile(folder / "notes.txt", Model("TEX00002"));
    fs::create_directory(folder / "sub.opt");
    WriteFile(folder / "sub.opt" / "D.OPT", Model("TEX00002"));
    const std::string dir = Word(folder.Path());

    const CommandResult result = Cli({"list", "sets", dir, Word(folder / "b.opt")});
    EXPECT_EQ(result.status, 0) << result.err;
    const std::string block = "Tex Set 1\n";
    EXPECT_EQ(result.out, Word(folder / "A.OPT") + ":\n" + block + "\n" + Word(folder / "b.opt") + ":\n" + block +
                              "\n" + Word(folder / "c.Opt") + ":\n" + block);
    // One file: its lines alone, as before.
    EXPECT_EQ(Cli({"list", "sets", Word(folder / "A.OPT")}).out, block);
}

TEST(SeveralFiles, UsageErrorsTouchNothing)
{
    TempFolder folder;
    const std::string a = Word(folder / "A.OPT");
    const std::string b = Word(folder / "B.OPT");
    WriteFile(folder / "A.OPT", Model("TEX00002"));
    WriteFile(folder / "B.OPT", Model("TEX00002"));
    fs::create_directory(folder / "none");
    const std::vector<std::pair<int, std::vector<std::string>>> cases = {
        {2, {"illuminate", a, "TEX1", "--all"}},     {2, {"illuminate", a, b, "--"}},
        {2, {"animate", a, b, "--", "0"}},           {2, {"illuminate", a, "--", b, "--", "TEX1"}},
        {2, {"cloak", a, b, "--high"}},              {2, {"cloak", a, "--dry-run"}},
        {2, {"info"}},                               {2, {"list", "sets", a, "--dry-run"}},
        {2, {"extract", a, "stray"}},                {1, {"info", Word(folder / "none")}},
    };
    for (const auto& [status, words] : cases) {
        SCOPED_TRACE(words[0] + " " + words.back());
        const CommandResult result = Cli(words);
        EXPECT_EQ(result.status, status);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(Lines(result.err), 1u) << result.err;
    }
    EXPECT_EQ(ReadFile(folder / "A.OPT"), Model("TEX00002"));
    EXPECT_EQ(ReadFile(folder / "B.OPT"), Model("TEX00002"));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"A.OPT", "B.OPT", "none"}));
}

TEST(SeveralFiles, ModelsFollowTheFirstFileWithoutDashesAndAMissingOneFailsAlone)
{
    TempFolder folder;
    const std::string a = Word(folder / "A.OPT");
    const std::string b = Word(folder / "b.opt");
    const std::string missing = Word(folder / "MISSING.OPT");
    WriteFile(folder / "A.OPT", Model("TEX00002"));
    WriteFile(folder / "b.opt", Model("TEX00002"));
    const CommandResult result = Cli({"illuminate", a, missing, b, "TEX00002"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(Lines(result.err), 1u);
    EXPECT_NE(result.err.find("MISSING.OPT"), std::string::npos) << result.err;
    EXPECT_EQ(ReadFile(folder / "A.OPT"), ReadFile(folder / "b.opt"));
    EXPECT_NE(ReadFile(folder / "A.OPT"), Model("TEX00002"));
    EXPECT_EQ(Cli({"animate", a, b, "1"}).status, 0);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"A.OPT", "b.opt"}));
}

TEST(SeveralFiles, JsonOfListAndCloakNamesEachFileAndItsError)
{
    TempFolder folder;
    WriteFile(folder / "A.OPT", Model("Tex\\"));
    WriteFile(folder / "B.OPT", Damaged());
    const CommandResult list = Cli({"list", "illumination", Word(folder / "A.OPT"), Word(folder / "B.OPT"), "--json"});
    EXPECT_EQ(list.status, 1);
    auto json = JsonReader::Parse(list.out);
    const std::string error = json["files/1/error"];
    EXPECT_EQ(json, (JsonReader::Flat{{"files/#", "2"},
                                      {"files/0/file", "\"" + Word(folder / "A.OPT")},
                                      {"files/0/items/#", "4"},
                                      {"files/0/items/0", "\"TEX00001"},
                                      {"files/0/items/1", "\"Tex\\x5c"},
                                      {"files/0/items/2", "\"TEX00003"},
                                      {"files/0/items/3", "\"TEX00004"},
                                      {"files/1/file", "\"" + Word(folder / "B.OPT")},
                                      {"files/1/error", error}}));
    EXPECT_EQ(list.err, "lathwork-cli: " + Word(folder / "B.OPT") + ": " + error.substr(1) + "\n");

    const CommandResult cloak = Cli({"cloak", Word(folder / "A.OPT"), "--json"});
    EXPECT_EQ(cloak.status, 0) << cloak.err;
    json = JsonReader::Parse(cloak.out);
    EXPECT_EQ(json["files/0/high"] + json["files/0/low"], "\"1\"2");
}

} // namespace
} // namespace lathwork
