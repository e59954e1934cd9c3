#include "cli/CloakingBoxes.hpp"
#include "cli/Commands.hpp"
#include "cli/FileArguments.hpp"
#include "cli/FileReports.hpp"
#include "cli/Options.hpp"
#include "cli/RewriteCommandSupport.hpp"
#include "cli/UsageError.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"
#include "opt/OptImage.hpp"

namespace lathwork::cli {

namespace {

// The boxes of each file as a scan shows them.
int PrintDistances(FileRun& run, bool json)
{
    return PrintReports(run, json, [](const std::filesystem::path& file, FileReport& report) {
        const ShownDistances shown = ShowDistances(ScanCloakingDistances(OptImage::Load(file)));
        report.text = "high " + shown.high + "\n" + (shown.low ? "low " + *shown.low + "\n" : "");
        report.json.Add("high", JsonString(shown.high)).Add("low", shown.low ? JsonString(*shown.low) : kJsonNull);
    });
}

// A text given on the command line is typed into its box: checked before any file is touched.
std::string GivenText(const Options& options, const std::string& option, const std::string& what)
{
    const std::string text = SettledText(options.Value(option, ""));
    try {
        RequireDistanceValue(text, what);
    } catch (const OptError& error) {
        throw UsageError(error.what());
    }
    return text;
}

} // namespace

int CloakCommand(Words words, Console& console)
{
    const std::set<std::string> flags = kRewriteFlags;
    const Options options = ParseOptions(words, {"--high", "--low"}, flags);
    FileList files = CommandFiles(options, "cloak");
    const bool giveHigh = options.values.count("--high") != 0;
    const bool giveLow = options.values.count("--low") != 0;

    if (!giveHigh && !giveLow) {
        if (options.Has("--dry-run") || options.Has("--verbose")) {
            throw UsageError("--dry-run and --verbose go with --high or --low.");
        }
        FileRun run(std::move(files), console, options.Has("--quiet"));
        return PrintDistances(run, options.Has("--json"));
    }
    const std::string highGiven = giveHigh ? GivenText(options, "--high", "high-visibility distance") : "";
    const std::string lowGiven = giveLow ? GivenText(options, "--low", "low-visibility distance") : "";
    return RewriteEach(std::move(files), options, console, [&](OptImage& image) {
        const CloakingScan scan = ScanCloakingDistances(image);
        const float high = RequireDistanceValue(giveHigh ? highGiven : BoxText(scan.high), "high-visibility distance");
        const float low = RequireDistanceValue(giveLow ? lowGiven : BoxText(scan.low), "low-visibility distance");
        return WriteCloakingDistances(image, high, low);
    });
}

} // namespace lathwork::cli
