#pragma once

#include "cli/Commands.hpp"
#include "cli/FileArguments.hpp"
#include "cli/Progress.hpp"

#include <filesystem>
#include <functional>
#include <string>

namespace lathwork::cli {

// One command over its files, each on its own: a file whose work throws is reported on stderr
// (with its name when there are several) and the next file runs. Output goes through Print, out
// of the way of the progress line.
class FileRun {
public:
    // quiet: no progress line, even on a terminal.
    FileRun(FileList files, Console& console, bool quiet);

    bool Several() const { return list_.several; }

    // Calls work for each file in order; failed, when given, hears of each failure with the
    // message reported. Returns 0 when every file succeeded, 1 otherwise.
    using Failed = std::function<void(const std::filesystem::path&, const std::string& message)>;
    int ForEach(const std::function<void(const std::filesystem::path&)>& work, const Failed& failed = {});

    // Writes text to standard output.
    void Print(const std::string& text);
    // Writes a warning about the current file to standard error (a file that still succeeded).
    void Warn(const std::string& message);
    // Writes a file's text output: when named (by default, when there are several files),
    // under a heading "FILE:" and apart from the block before by a blank line.
    void PrintBlock(const std::filesystem::path& file, const std::string& text);
    void PrintBlock(const std::filesystem::path& file, const std::string& text, bool named);
    // How far the current file's work has come (e.g. "120 bitmaps"), for the progress line.
    void Step(const std::string& detail);

private:
    FileList list_;
    Console& console_;
    Progress progress_;
    std::string current_; // "[k/n] FILE" of the file being worked on
    bool printedBlock_ = false;
};

} // namespace lathwork::cli
