// What a script relies on: words read the same in every folder, a failed write of the output
// is a failure, --json always gives one document, and every command answers --help.

#include "testkit/OptBuilder.hpp"
#include "Cli.hpp"
#include "JsonReader.hpp"

#include <gtest/gtest.h>

namespace lathwork {
namespace {

using namespace testkit;
namespace fs = std::filesystem;

// Two textures of one name (the second bitmap overwrites the first) and a texture set.
Bytes Model()
{
    return Build(SimpleModel({MakeTexture("TEX00001"), MakeTexture("TEX00001"),
                              SetShape{.mode = 1, .members = {MakeTexture("TEX00003"), MakeTexture("TEX00004")}, .count = {}}}))
        .bytes;
}

#ifndef _WIN32
// The command line run by a shell in folder, standard output sent to redirect when given.
CommandResult CliIn(const fs::path& folder, const std::vector<std::string>& words, const std::string& redirect = "")
{
    std::string line = "cd '" + Word(folder) + "' && exec '" LATHWORK_CLI "'";
    for (const std::string& word : words) {
        line += " '" + word + "'";
    }
    return RunCommand({"/bin/sh", "-c", line + (redirect.empty() ? "" : " > " + redirect)});
}

// Subfolders named like set numbers or options, each holding a model, change nothing without
// "--"; after "--" every word is a file.
TEST(Scripting, WordsMeanTheSameInEveryFolder)
{
    TempFolder plain;
    TempFolder confusing;
    for (const char* sub : {"1", "--x", "--dry-run"}) {
        fs::create_directory(confusing / sub);
        WriteFile(confusing / sub / "A.OPT", Model());
    }
    const std::vector<std::vector<std::string>> commands = {
        {"animate", "SHIP.OPT", "1", "--dry-run"}, {"illuminate", "SHIP.OPT", "1", "--dry-run"},
        {"info", "SHIP.OPT", "1"},                 {"list", "sets", "SHIP.OPT", "--x"},
    };
    for (const auto& words : commands) {
        SCOPED_TRACE(words[0]);
        WriteFile(plain / "SHIP.OPT", Model());
        WriteFile(confusing / "SHIP.OPT", Model());
        const CommandResult a = CliIn(plain.Path(), words);
        const CommandResult b = CliIn(confusing.Path(), words);
        EXPECT_EQ(a.status, b.status);
        EXPECT_EQ(a.out, b.out);
        EXPECT_EQ(a.err, b.err);
    }
    EXPECT_EQ(CliIn(confusing.Path(), {"list", "sets", "--", "--x", "--dry-run"}).out,
              "--x/A.OPT:\nTex Set 1\n\n--dry-run/A.OPT:\nTex Set 1\n");
}

TEST(Scripting, AnOutputThatCannotBeWrittenFails)
{
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "no /dev/full";
    }
    TempFolder folder;
    WriteFile(folder / "A.OPT", Model());
    for (const char* word : {"--json", "--quiet"}) {
        const CommandResult result = CliIn(folder.Path(), {"info", "A.OPT", word}, "/dev/full");
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("cannot write the output"), std::string::npos) << result.err;
    }
    EXPECT_EQ(CliIn(folder.Path(), {"info", "--help"}, "/dev/full").status, 1);
}
#endif

TEST(Scripting, JsonIsOneDocumentForEveryOutcome)
{
    TempFolder folder;
    fs::create_directory(folder / "empty");
    WriteFile(folder / "A.OPT", Model());
    const std::string a = Word(folder / "A.OPT");

    const CommandResult empty = Cli({"info", Word(folder / "empty"), "--json"});
    EXPECT_EQ(empty.status, 1);
    EXPECT_EQ(JsonReader::Parse(empty.out)["files/#"], "1");
    EXPECT_EQ(JsonReader::Parse(Cli({"info", a, "--json", "--bad"}).out)["files/#"], "0");

    auto dry = JsonReader::Parse(Cli({"illuminate", a, "--all", "--dry-run", "--json"}).out);
    auto real = JsonReader::Parse(Cli({"illuminate", a, "--all", "--json"}).out);
    EXPECT_EQ(dry["files/0/written"] + real["files/0/written"], "falsetrue");
    dry.erase("files/0/written");
    real.erase("files/0/written");
    EXPECT_EQ(dry, real);
    EXPECT_EQ(real["files/0/texturesRewritten"], "4");

    auto extracted = JsonReader::Parse(Cli({"extract", a, "--json"}).out);
    EXPECT_EQ(extracted["files/0/bitmaps/#"], "4");
    EXPECT_EQ(extracted["files/0/bitmaps/0/path"], extracted["files/0/bitmaps/1/path"]);
    EXPECT_EQ(extracted["files/0/bitmaps/0/overwritten"] + extracted["files/0/bitmaps/1/overwritten"], "truefalse");
}

TEST(Scripting, EveryCommandAnswersHelp)
{
    for (const std::string command : {"info", "list", "extract", "illuminate", "transparency", "animate", "cloak"}) {
        for (const auto& words : {std::vector<std::string>{command, "--help"}, {command, "X.OPT", "-h", "--bad"}}) {
            const CommandResult result = Cli(words);
            EXPECT_EQ(result.status, 0) << command;
            EXPECT_NE(result.out.find("lathwork-cli " + command + " "), std::string::npos) << result.out;
        }
    }
}

} // namespace
} // namespace lathwork
