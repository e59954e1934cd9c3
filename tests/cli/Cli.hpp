#pragma once

// Runs the lathwork-cli built beside these tests with the given words.

#include "testkit/TestFiles.hpp"

#include <string>
#include <vector>

namespace lathwork::testkit {

inline CommandResult Cli(std::vector<std::string> words)
{
    words.insert(words.begin(), LATHWORK_CLI);
    return RunCommand(words);
}

} // namespace lathwork::testkit
