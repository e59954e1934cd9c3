#include "cli/Commands.hpp"
#include "cli/Options.hpp"
#include "modify/Cloaking.hpp"
#include "modify/RewriteFile.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"
#include "opt/Platform.hpp"

#include <filesystem>
#include <ostream>

namespace lathwork::cli {

namespace {

// Before any scan both boxes read "never"; a value the scan cannot show leaves that text.
constexpr const char* kUnsetBox = "never";

// The text a box holds once the scan (or the user) set it and its change rule ran.
std::string BoxText(const std::optional<std::string>& text)
{
    return SettledText(text.value_or(kUnsetBox));
}

} // namespace

int CloakCommand(Words words, std::ostream& out)
{
    const Options options = ParseOptions(words, {"--high", "--low"}, {});
    if (options.positional.size() != 1) {
        throw OptError("cloak takes one FILE: cloak FILE [--high TEXT] [--low TEXT].");
    }
    const std::filesystem::path file = platform::PathFromUtf8(options.positional[0]);
    const bool giveHigh = options.values.count("--high") != 0;
    const bool giveLow = options.values.count("--low") != 0;

    if (!giveHigh && !giveLow) {
        const CloakingScan scan = ScanCloakingDistances(OptImage::Load(file));
        out << "high " << BoxText(scan.high) << "\n";
        if (scan.cloakFound) {
            out << "low " << BoxText(scan.low) << "\n";
        }
        return 0;
    }

    // The given texts are typed into the boxes: check them before the file is touched.
    const std::string highGiven = SettledText(options.Value("--high", ""));
    const std::string lowGiven = SettledText(options.Value("--low", ""));
    if (giveHigh) {
        RequireDistanceValue(highGiven, "high-visibility distance");
    }
    if (giveLow) {
        RequireDistanceValue(lowGiven, "low-visibility distance");
    }
    RewriteFile(file, [&](OptImage& image) {
        const CloakingScan scan = ScanCloakingDistances(image);
        const float high = RequireDistanceValue(giveHigh ? highGiven : BoxText(scan.high), "high-visibility distance");
        const float low = RequireDistanceValue(giveLow ? lowGiven : BoxText(scan.low), "low-visibility distance");
        WriteCloakingDistances(image, high, low);
    });
    return 0;
}

} // namespace lathwork::cli
