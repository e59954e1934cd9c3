#pragma once

// Runs the lathwork-cli built beside these tests with the given words.

#include "opt/Platform.hpp"
#include "testkit/TestFiles.hpp"

#include <filesystem>
#include <string>
#include <vector>

namespace lathwork::testkit {

// A path as the command line takes it: UTF-8 on every system.
inline std::string Word(const std::filesystem::path& path)
{
    return platform::PathToUtf8(path);
}

inline CommandResult Cli(std::vector<std::string> words)
{
    words.insert(words.begin(), LATHWORK_CLI);
    return RunCommand(words);
}

} // namespace lathwork::testkit
