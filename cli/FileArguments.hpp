#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lathwork::cli {

struct Options;

// The files a command works on, in the order it works on them.
struct FileList {
    std::vector<std::filesystem::path> files;
    // Beside each file: why it cannot be worked on (a folder without an OPT, or one that cannot
    // be read), or empty. It is reported in its turn like any failed file.
    std::vector<std::string> faults;
    // Anything but one FILE word naming a file: the output then names each file.
    bool several = false;
};

// A word that stands for models beyond the first FILE without "--": a name ending in .opt
// (any case), or a folder written as one (a trailing /). Decided by the word alone, never by
// what the current folder holds, so a script means the same thing wherever it runs.
bool LooksLikeModel(const std::string& word);

// The files the FILE words stand for: a folder stands for every entry named *.opt (any case)
// directly inside it, except folders, sorted by name byte for byte; a file named twice is
// worked on once. Words from index 1 up to checkedEnd must look like a model (UsageError
// otherwise); the first word, and every word from checkedEnd on (those after "--"), may name
// any file. A missing file is kept: it fails on its own when its turn comes.
FileList ExpandFileWords(const std::vector<std::string>& words, std::size_t checkedEnd = std::string::npos);

// The files of a command that takes nothing but FILEs. UsageError for no FILE.
FileList CommandFiles(const Options& options, const std::string& command);

// The files of a command whose FILEs are followed by more words: the words before "--", or
// without "--" the first word and the models right after it (see LooksLikeModel). The rest go
// to rest. UsageError for no FILE.
FileList SplitFileWords(const Options& options, const std::string& command, std::vector<std::string>& rest);

} // namespace lathwork::cli
