// The command line's JSON strings and progress line.

#include "cli/Json.hpp"
#include "cli/Progress.hpp"
#include "JsonReader.hpp"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace lathwork {
namespace {

using testkit::JsonReader;

TEST(JsonString, AnyBytesGiveJsonAndUtf8TextComesBackAsItWas)
{
    std::mt19937 random(17);
    auto draw = [&](unsigned lo, unsigned hi) { return std::uniform_int_distribution<unsigned>(lo, hi)(random); };
    for (int i = 0; i < 5000; ++i) {
        std::string bytes;
        for (unsigned n = draw(0, 12); n > 0; --n) {
            // Any byte, a control character, quote or backslash, ASCII text, or a longer character.
            const char* wide[] = {"\xC3\xA9", "\xE2\x9C\x88", "\xF0\x9F\x98\x80"};
            const unsigned kind = draw(0, 3);
            bytes += kind == 3 ? std::string(wide[draw(0, 2)])
                               : std::string(1, static_cast<char>(kind == 0 ? draw(0, 255) : kind == 1 ? draw(0, 0x22) : draw(0x20, 0x7E)));
        }
        const std::string json = cli::JsonString(bytes);
        ASSERT_NO_THROW(JsonReader::Parse(json)) << json;
        if (testkit::IsUtf8(bytes)) {
            EXPECT_EQ(JsonReader::Parse(json)[""], "\"" + bytes);
        }
    }
    // Each byte that is not part of a UTF-8 character stands as U+FFFD.
    const std::string bad = "\xEF\xBF\xBD";
    EXPECT_EQ(JsonReader::Parse(cli::JsonString("a\xC3(\xED\xA0\x80\xF4\x90\x80\x80\xC3\xA9"))[""],
              "\"a" + bad + "(" + bad + bad + bad + bad + bad + bad + bad + "\xC3\xA9");
}

TEST(Progress, SilentForASecondThenAtMostTenLinesASecondAndClearedAway)
{
    using namespace std::chrono_literals;
    const auto start = cli::Progress::Clock::now();
    std::ostringstream terminal;
    {
        cli::Progress progress(terminal, true, start);
        progress.Update("[1/3] A.OPT", start + 999ms);
        EXPECT_EQ(terminal.str(), "");
        progress.Update("[2/3] LONGER.OPT", start + 1s);
        progress.Update("[3/3] C.OPT", start + 1050ms); // too soon: skipped
        progress.Update("[3/3] C.OPT", start + 1100ms);
        EXPECT_EQ(terminal.str(), "\r[2/3] LONGER.OPT\r[3/3] C.OPT     ");
    }
    EXPECT_EQ(terminal.str().substr(terminal.str().size() - 18), "\r" + std::string(16, ' ') + "\r");

    std::ostringstream quiet;
    cli::Progress off(quiet, false, start);
    off.Update(std::string(200, 'x'), start + 5s);
    EXPECT_EQ(quiet.str(), "");
}

} // namespace
} // namespace lathwork
