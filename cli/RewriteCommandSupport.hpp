#pragma once

#include "cli/Commands.hpp"
#include "cli/FileRun.hpp"
#include "cli/Json.hpp"
#include "cli/Options.hpp"
#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace lathwork::cli {

// The options every rewrite takes besides its own.
inline const std::set<std::string> kRewriteFlags = {"--dry-run", "--verbose", "--quiet", "--json", "--break-links"};

// The words of the illuminate and transparency commands:
// FILE... [--colour R,G,B]... [--tolerance T] [extra options] (--all | NAME...), the FILEs
// ended by -- when there are several (see SplitFileWords).
struct TextureCommand {
    FileList files;
    bool all = false;
    std::vector<TextureName> names; // decoded, 8 bytes each, as given
    ColourChoice colours;           // no --colour: "Entire texture"
    Options options;                // for the command's own options
};

TextureCommand ParseTextureCommand(Words words, const std::string& command, const std::set<std::string>& extraOptions);

// The list items the command selects: the whole list for --all; otherwise the given names in
// list order, then the given names the list lacks, in the order given.
std::vector<TextureName> SelectItems(const TextureCommand& command, const std::vector<TextureName>& list);

// Throws OptError for the first selected name no texture node carries.
void RejectNotFound(const RewriteReport& report);

// Runs change on every file of the command. Each file is rewritten on its own and only when
// change returned (see RewriteFile); with --dry-run only in memory, after the same checks that
// the file could be replaced. With --dry-run or --verbose each file that succeeded gets a line
// of what changed (CountsLine). With --json, once every file is done, one document
// {"files": [...]} of each file's counts (CountsJson) or its error, instead of those lines.
// What a save warns of goes to standard error. A file with several names (hard links) is
// refused unless --break-links is given.
int RewriteEach(const FileList& files, const Options& options, Console& console,
                const std::function<RewriteReport(OptImage&)>& change);

// "FILE: textures rewritten 2, palettes copied 1, alpha nodes added 0, sets animated 0,
// distance tables written 0, bytes added 8192"
std::string CountsLine(const std::filesystem::path& file, const RewriteReport& report);
// The same counts as JSON members, and "written": false for a dry run.
void CountsJson(const RewriteReport& report, bool written, JsonObject& json);

} // namespace lathwork::cli
