#include "cli/Commands.hpp"
#include "cli/FileArguments.hpp"
#include "cli/FileReports.hpp"
#include "cli/Options.hpp"
#include "cli/UsageError.hpp"
#include "opt/NameText.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "opt/Scans.hpp"

#include <algorithm>

namespace lathwork::cli {

namespace {

// The list the window would show for one file, as printed lines.
std::vector<std::string> ListItems(const std::filesystem::path& file, const std::string& what, int k)
{
    const OptImage image = OptImage::Load(file);
    if (what == "sets") {
        return ScanTextureSets(image);
    }
    // A click on set K lists nothing unless the set scan shows at least K rows.
    if (what == "set-textures" && static_cast<std::size_t>(k) > ScanTextureSets(image).size()) {
        throw OptError("There is no texture set " + std::to_string(k) + " in the file.");
    }
    const auto names = what == "illumination"   ? ScanIlluminationTextures(image)
                       : what == "transparency" ? ScanTransparencyTextures(image)
                                                : ListSetTextures(image, k - 1);
    std::vector<std::string> items;
    for (const TextureName& name : names) {
        items.push_back(NameText(name));
    }
    return items;
}

} // namespace

int ListCommand(Words words, Console& console)
{
    const Options options = ParseOptions(words, {}, {"--json", "--quiet"});
    const auto& p = options.positional;
    if (p.size() < 2) {
        throw UsageError("list needs what to list and a FILE: list illumination|transparency|sets FILE..., "
                         "or list set-textures FILE... K.");
    }
    const std::string& what = p[0];
    const bool setTextures = what == "set-textures";
    if (setTextures && p.size() < 3) {
        throw UsageError("list set-textures takes FILE and K.");
    }
    if (what != "illumination" && what != "transparency" && what != "sets" && !setTextures) {
        throw UsageError("Unknown list \"" + what + "\": use illumination, transparency, sets or set-textures.");
    }
    const int k = setTextures ? ParseInt(p.back(), 1, 1 << 30, "set number") : 0;
    const std::vector<std::string> fileWords(p.begin() + 1, p.end() - (setTextures ? 1 : 0));
    // Words after "--" may name any file; the "--" counts from the first FILE.
    const std::size_t checkedEnd = options.endAt ? std::max<std::size_t>(*options.endAt, 1) - 1 : std::string::npos;

    FileRun run(ExpandFileWords(fileWords, checkedEnd), console, options.Has("--quiet"));
    return PrintReports(run, options.Has("--json"), [&](const std::filesystem::path& file, FileReport& report) {
        const std::vector<std::string> items = ListItems(file, what, k);
        std::vector<std::string> json;
        for (const std::string& item : items) {
            report.text += item + "\n";
            json.push_back(JsonString(item));
        }
        report.json.Add("items", JsonArray(json));
    });
}

} // namespace lathwork::cli
