#pragma once

#include "opt/OptImage.hpp"

#include <filesystem>
#include <functional>

namespace lathwork {

// Loads the OPT at path, applies change to the bytes in memory, and replaces the file
// atomically only when change returned normally. Any OptError leaves the file as it was.
void RewriteFile(const std::filesystem::path& path, const std::function<void(OptImage&)>& change);

} // namespace lathwork
