#include "cli/Commands.hpp"
#include "cli/NameCodec.hpp"
#include "cli/Options.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "opt/Platform.hpp"
#include "opt/Scans.hpp"

#include <ostream>

namespace lathwork::cli {

int ListCommand(Words words, std::ostream& out)
{
    const Options options = ParseOptions(words, {}, {});
    const auto& p = options.positional;
    if (p.size() < 2) {
        throw OptError("list needs what to list and a FILE: list illumination|transparency|sets FILE, "
                       "or list set-textures FILE K.");
    }
    const std::string& what = p[0];
    const bool setTextures = what == "set-textures";
    if (p.size() != (setTextures ? 3u : 2u)) {
        throw OptError(setTextures ? "list set-textures takes FILE and K." : "list " + what + " takes one FILE.");
    }
    if (what != "illumination" && what != "transparency" && what != "sets" && !setTextures) {
        throw OptError("Unknown list \"" + what + "\": use illumination, transparency, sets or set-textures.");
    }
    const int k = setTextures ? ParseInt(p[2], 1, 1 << 30, "set number") : 0;
    const OptImage image = OptImage::Load(platform::PathFromUtf8(p[1]));
    if (what == "sets") {
        for (const std::string& item : ScanTextureSets(image)) {
            out << item << "\n";
        }
        return 0;
    }
    if (setTextures) {
        // A click on set K lists nothing unless the set scan shows at least K rows.
        if (static_cast<std::size_t>(k) > ScanTextureSets(image).size()) {
            throw OptError("There is no texture set " + std::to_string(k) + " in the file.");
        }
    }
    const auto names = what == "illumination"   ? ScanIlluminationTextures(image)
                       : what == "transparency" ? ScanTransparencyTextures(image)
                                                : ListSetTextures(image, k - 1);
    for (const TextureName& name : names) {
        out << EncodeName(name) << "\n";
    }
    return 0;
}

} // namespace lathwork::cli
