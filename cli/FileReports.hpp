#pragma once

#include "cli/FileRun.hpp"
#include "cli/Json.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace lathwork::cli {

// What a reading command finds in one file: text for people, and the same as JSON members.
struct FileReport {
    std::string text;
    JsonObject json;
};

// Fills the report of each file (its JSON already holds "file") and prints it as soon as it is complete: its text as a block
// (see FileRun::PrintBlock; named: always under the file's name), or with json, once every file
// is done, one document {"files": [...]} holding {"file": FILE, members...} for each file that
// succeeded and {"file": FILE, "error": message} for each that failed. Returns FileRun::ForEach's
// status.
// {"files": [...]} around the given objects, one per line.
std::string JsonFilesDocument(const std::vector<std::string>& files);

int PrintReports(FileRun& run, bool json, const std::function<void(const std::filesystem::path&, FileReport&)>& make,
                 bool named = false);

} // namespace lathwork::cli
