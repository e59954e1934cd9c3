#include "cli/FileArguments.hpp"

#include "cli/Options.hpp"
#include "cli/UsageError.hpp"
#include "opt/Platform.hpp"

#include <algorithm>
#include <optional>
#include <system_error>

namespace lathwork::cli {

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path)
{
    std::error_code ec;
    return fs::is_directory(path, ec); // follows links
}

bool NamedOpt(const std::string& name)
{
    if (name.size() < 4) {
        return false;
    }
    std::string tail = name.substr(name.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(), [](char ch) { return ch >= 'A' && ch <= 'Z' ? ch + 32 : ch; });
    return tail == ".opt";
}

// The OPTs directly inside folder; throws OptError when there are none or the folder cannot be
// read (the message leaves the folder to be named by whoever reports it).
std::vector<fs::path> OptsInFolder(const fs::path& folder)
{
    std::vector<std::pair<std::string, fs::path>> found;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = platform::PathToUtf8(it->path().filename());
        if (NamedOpt(name) && !IsFolder(it->path())) {
            found.emplace_back(name, it->path());
        }
    }
    if (ec) {
        throw OptError("Cannot read the folder: " + ec.message() + ".");
    }
    if (found.empty()) {
        throw OptError("The folder holds no *.opt file.");
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> files;
    for (auto& [name, path] : found) {
        files.push_back(std::move(path));
    }
    return files;
}

// The file behind path, to tell two names of one file apart from two files; nullopt when it
// cannot be looked at (the file's own command then reports why).
std::optional<platform::Entry> Identity(const fs::path& path)
{
    try {
        const platform::Entry entry = platform::Inspect(platform::ResolveLinks(path));
        return entry.kind == platform::EntryKind::File ? std::optional(entry) : std::nullopt;
    } catch (const OptError&) {
        return std::nullopt;
    }
}

} // namespace

bool LooksLikeModel(const std::string& word)
{
#ifdef _WIN32
    const bool folder = !word.empty() && (word.back() == '/' || word.back() == '\\');
#else
    const bool folder = !word.empty() && word.back() == '/';
#endif
    return NamedOpt(word) || folder;
}

FileList ExpandFileWords(const std::vector<std::string>& words, std::size_t checkedEnd)
{
    FileList list;
    list.several = words.size() != 1;
    std::vector<std::pair<fs::path, std::string>> named; // path, fault
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0 && i < checkedEnd && !LooksLikeModel(words[i])) {
            // A stray word is a mistake in the command, not a file that failed.
            throw UsageError("\"" + words[i] + "\" is neither an *.opt file nor a folder ending in /; "
                             "put -- before FILEs named otherwise.");
        }
        const fs::path path = platform::PathFromUtf8(words[i]);
        if (!IsFolder(path)) {
            named.emplace_back(path, ""); // a missing one fails on its own, the others go on
            continue;
        }
        list.several = true;
        try {
            for (fs::path& inside : OptsInFolder(path)) {
                named.emplace_back(std::move(inside), "");
            }
        } catch (const OptError& error) {
            named.emplace_back(path, error.what());
        }
    }
    std::vector<platform::Entry> seen;
    for (auto& [path, fault] : named) {
        const auto identity = fault.empty() ? Identity(path) : std::nullopt;
        if (identity && std::any_of(seen.begin(), seen.end(), [&](const auto& e) { return e.SameAs(*identity); })) {
            continue;
        }
        if (identity) {
            seen.push_back(*identity);
        }
        list.files.push_back(std::move(path));
        list.faults.push_back(std::move(fault));
    }
    return list;
}

FileList CommandFiles(const Options& options, const std::string& command)
{
    if (options.positional.empty()) {
        throw UsageError(command + " needs a FILE.");
    }
    return ExpandFileWords(options.positional, options.endAt.value_or(std::string::npos));
}

FileList SplitFileWords(const Options& options, const std::string& command, std::vector<std::string>& rest)
{
    const auto& positional = options.positional;
    // Without "--" the FILEs are the first word and the models right after it.
    auto filesEnd = positional.begin() + static_cast<std::ptrdiff_t>(options.endAt.value_or(0));
    if (!options.endAt) {
        filesEnd = positional.begin() + (positional.empty() ? 0 : 1);
        while (filesEnd != positional.end() && LooksLikeModel(*filesEnd)) {
            ++filesEnd;
        }
    }
    const std::vector<std::string> files(positional.begin(), filesEnd);
    rest.assign(filesEnd, positional.end());
    if (files.empty()) {
        throw UsageError(command + " needs a FILE.");
    }
    return ExpandFileWords(files, 0);
}

} // namespace lathwork::cli
