#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lathwork::cli {

// The files a command works on, in the order it works on them.
struct FileList {
    std::vector<std::filesystem::path> files;
    // Anything but one FILE word naming a file: the output then names each file.
    bool several = false;
};

// A word that can stand for models beyond the first FILE: a name ending in .opt (any case), or
// a folder.
bool LooksLikeModel(const std::string& word);

// The files the FILE words stand for: a folder stands for every entry named *.opt (any case)
// directly inside it, except folders, sorted by name byte for byte; a file named twice is
// worked on once. The first word may name any file; every later one must look like a model
// (UsageError otherwise). A missing file is kept: it fails on its own when its turn comes. A
// folder without an OPT is an OptError.
FileList ExpandFileWords(const std::vector<std::string>& words);

// The FILE words of a command whose FILEs are followed by more words: the words before "--",
// or without "--" the first word and the models and folders right after it. The rest go to
// rest. UsageError for a second "--" or no FILE.
std::vector<std::string> SplitFileWords(const std::vector<std::string>& positional, const std::string& command,
                                        std::vector<std::string>& rest);

} // namespace lathwork::cli
