#include "cli/FileArguments.hpp"

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
        throw OptError("Cannot read the folder " + platform::DisplayPath(folder) + ": " + ec.message() + ".");
    }
    if (found.empty()) {
        throw OptError("The folder " + platform::DisplayPath(folder) + " holds no *.opt file.");
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
    return NamedOpt(word) || IsFolder(platform::PathFromUtf8(word));
}

FileList ExpandFileWords(const std::vector<std::string>& words)
{
    FileList list;
    list.several = words.size() != 1;
    std::vector<fs::path> named;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const fs::path path = platform::PathFromUtf8(words[i]);
        if (IsFolder(path)) {
            list.several = true;
            const auto inside = OptsInFolder(path);
            named.insert(named.end(), inside.begin(), inside.end());
        } else if (i > 0 && !LooksLikeModel(words[i])) {
            // A stray word is a mistake in the command, not a file that failed.
            throw UsageError("\"" + words[i] + "\" is neither an *.opt file nor a folder.");
        } else {
            named.push_back(path); // a missing one fails on its own, the others go on
        }
    }
    std::vector<platform::Entry> seen;
    for (const fs::path& path : named) {
        const auto identity = Identity(path);
        if (identity && std::any_of(seen.begin(), seen.end(), [&](const auto& e) { return e.SameAs(*identity); })) {
            continue;
        }
        if (identity) {
            seen.push_back(*identity);
        }
        list.files.push_back(path);
    }
    return list;
}

std::vector<std::string> SplitFileWords(const std::vector<std::string>& positional, const std::string& command,
                                        std::vector<std::string>& rest)
{
    const auto dashes = std::find(positional.begin(), positional.end(), "--");
    if (dashes != positional.end() && std::find(dashes + 1, positional.end(), "--") != positional.end()) {
        throw UsageError(command + " takes -- once, after the FILEs.");
    }
    // Without "--" the FILEs are the first word and the models and folders right after it.
    auto filesEnd = dashes;
    if (dashes == positional.end()) {
        filesEnd = positional.begin() + (positional.empty() ? 0 : 1);
        while (filesEnd != positional.end() && LooksLikeModel(*filesEnd)) {
            ++filesEnd;
        }
    }
    std::vector<std::string> files(positional.begin(), filesEnd);
    rest.assign(dashes != positional.end() ? dashes + 1 : filesEnd, positional.end());
    if (files.empty()) {
        throw UsageError(command + " needs a FILE.");
    }
    return files;
}

} // namespace lathwork::cli
