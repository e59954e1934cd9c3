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

// The files the FILE words stand for: a folder stands for every entry named *.opt (any case)
// directly inside it, except folders, sorted by name byte for byte; a file named twice is
// worked on once. With several words each must name something (a mistyped name stops the
// command before any file is touched), and a folder must hold an OPT; otherwise OptError.
FileList ExpandFileWords(const std::vector<std::string>& words);

// The FILE words of a command whose FILEs are followed by more words: the words before "--",
// or only the first word when there is no "--". The rest go to rest. UsageError for a second
// "--" or no FILE.
std::vector<std::string> SplitFileWords(const std::vector<std::string>& positional, const std::string& command,
                                        std::vector<std::string>& rest);

} // namespace lathwork::cli
