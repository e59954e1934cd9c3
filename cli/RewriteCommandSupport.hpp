#pragma once

#include "cli/Commands.hpp"
#include "cli/Options.hpp"
#include "modify/Requests.hpp"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace lathwork::cli {

// The words of the illuminate and transparency commands:
// FILE [--colour R,G,B]... [--tolerance T] [extra options] (--all | NAME...).
struct TextureCommand {
    std::filesystem::path file;
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

} // namespace lathwork::cli
