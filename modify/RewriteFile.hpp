#pragma once

#include "opt/OptImage.hpp"
#include "opt/Platform.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lathwork {

// The bytes of a file before and after one rewrite, and what the save warned of.
struct FileChange {
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
    std::vector<std::string> warnings;
    bool written = false; // false when the result equalled the file, which was left alone
};

// How a save went: whether the file was replaced (a result equal to the file's bytes is not
// written at all), and what could not be kept (see platform::GuardedSave::Replace).
struct SaveReport {
    bool written = false;
    std::vector<std::string> warnings;
};

// Loads the OPT at path under a GuardedSave, checks the whole model can be read, applies change
// to the bytes in memory, and replaces the file atomically only when change returned normally,
// the result differs from the file, and the file is still the one loaded. Any OptError leaves
// the file as it was. When kept is given, it receives the bytes that were replaced, the bytes
// saved and the warnings.
SaveReport RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change,
                       FileChange* kept = nullptr, platform::SaveOptions options = {});

// Puts wanted in the place of the file's contents only while they are exactly expected (an undo
// or redo of a rewrite), under the same guard. nullopt, and nothing written, when the file holds
// anything else: that was written by someone else since, and would be lost.
std::optional<SaveReport> RestoreFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& expected,
                                      const std::vector<std::uint8_t>& wanted);

} // namespace lathwork
