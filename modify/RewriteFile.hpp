#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace lathwork {

// The bytes of a file before and after one rewrite.
struct FileChange {
    std::vector<std::uint8_t> before;
    std::vector<std::uint8_t> after;
};

// Loads the OPT at path, applies change to the bytes in memory, and replaces the file
// atomically only when change returned normally. Any OptError leaves the file as it was.
// When kept is given, it receives the bytes that were replaced and the bytes saved.
void RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change,
                 FileChange* kept = nullptr);

} // namespace lathwork
