#include "cli/RewriteCommandSupport.hpp"

#include "cli/FileArguments.hpp"
#include "cli/FileReports.hpp"
#include "cli/NameCodec.hpp"
#include "cli/UsageError.hpp"
#include "modify/ModelFacts.hpp"
#include "modify/RewriteFile.hpp"
#include "opt/FileIo.hpp"
#include "opt/OptError.hpp"
#include "opt/NameText.hpp"

#include <unordered_set>

namespace lathwork::cli {

namespace {

Rgb ParseColour(const std::string& text)
{
    std::vector<std::string> parts{""};
    for (const char ch : text) {
        if (ch == ',') {
            parts.emplace_back();
        } else {
            parts.back() += ch;
        }
    }
    if (parts.size() != 3) {
        throw UsageError("Bad colour \"" + text + "\": give R,G,B, three whole numbers from 0 to 255.");
    }
    return {ParseInt(parts[0], 0, 255, "red"), ParseInt(parts[1], 0, 255, "green"),
            ParseInt(parts[2], 0, 255, "blue")};
}

} // namespace

TextureCommand ParseTextureCommand(Words words, const std::string& command, const std::set<std::string>& extraOptions)
{
    std::set<std::string> withValue = extraOptions;
    withValue.insert({"--colour", "--tolerance"});
    std::set<std::string> flags = kRewriteFlags;
    flags.insert("--all");
    TextureCommand parsed;
    parsed.options = ParseOptions(words, withValue, flags);
    parsed.all = parsed.options.Has("--all");
    std::vector<std::string> names;
    parsed.files = SplitFileWords(parsed.options, command, names);
    if (parsed.all == !names.empty()) {
        throw UsageError(command + " takes either --all or one or more texture names.");
    }
    for (const std::string& name : names) {
        parsed.names.push_back(DecodeName(name));
    }
    const auto colours = parsed.options.values.find("--colour");
    if (colours != parsed.options.values.end()) {
        parsed.colours.customSelect = true;
        for (const std::string& text : colours->second) {
            parsed.colours.picked.push_back(ParseColour(text));
        }
    }
    parsed.colours.tolerance = ParseInt(parsed.options.Value("--tolerance", "32"), 0, 255, "tolerance");
    return parsed;
}

std::vector<TextureName> SelectItems(const TextureCommand& command, const std::vector<TextureName>& list)
{
    if (command.all) {
        return list;
    }
    // Sets, not searches: a model's list and a command line can both hold tens of thousands of names.
    const std::unordered_set<TextureName> given(command.names.begin(), command.names.end());
    std::unordered_set<TextureName> added;
    std::vector<TextureName> items;
    auto add = [&](const TextureName& name) {
        if (added.insert(name).second) {
            items.push_back(name);
        }
    };
    for (const TextureName& item : list) {
        if (given.count(item) != 0) {
            add(item);
        }
    }
    for (const TextureName& name : command.names) {
        add(name);
    }
    return items;
}

void RejectNotFound(const RewriteReport& report)
{
    if (!report.notFound.empty()) {
        throw OptError("No texture named \"" + NameText(report.notFound.front()) + "\" in the file.");
    }
}

int RewriteEach(const FileList& files, const Options& options, Console& console,
                const std::function<RewriteReport(OptImage&)>& change)
{
    const bool dryRun = options.Has("--dry-run");
    const bool json = options.Has("--json");
    const platform::SaveOptions save{.breakLinks = options.Has("--break-links")};
    FileRun run(files, console, options.Has("--quiet"));
    std::vector<std::string> objects;
    auto object = [](const std::filesystem::path& file) {
        return JsonObject().Add("file", JsonString(platform::PathToUtf8(file)));
    };
    const int status = run.ForEach([&](const std::filesystem::path& file) {
        RewriteReport report;
        if (dryRun) {
            CheckReplaceable(file, save);
            OptImage image = OptImage::Load(file);
            CheckWholeModel(image, file);
            report = change(image);
        } else {
            const SaveReport saved = RewriteFile(file, [&](OptImage& image) { report = change(image); }, nullptr, save);
            for (const std::string& warning : saved.warnings) {
                run.Warn(warning);
            }
        }
        if (json) {
            JsonObject counts = object(file);
            CountsJson(report, !dryRun, counts);
            objects.push_back(counts.Text());
        } else if (dryRun || options.Has("--verbose")) {
            run.Print(CountsLine(file, report));
        }
    }, [&](const std::filesystem::path& file, const std::string& message) {
        objects.push_back(object(file).Add("error", JsonString(message)).Text());
    });
    if (json) {
        run.Print(JsonFilesDocument(objects));
    }
    return status;
}

void CountsJson(const RewriteReport& report, bool written, JsonObject& json)
{
    json.Add("written", JsonBool(written))
        .Add("texturesRewritten", JsonNumber(report.texturesRewritten))
        .Add("palettesCopied", JsonNumber(report.palettesCopied))
        .Add("alphaNodesAdded", JsonNumber(report.alphaNodesAdded))
        .Add("setsAnimated", JsonNumber(report.setsAnimated))
        .Add("distanceTablesWritten", JsonNumber(report.distanceTablesWritten))
        .Add("bytesAdded", JsonNumber(report.bytesAdded));
}

std::string CountsLine(const std::filesystem::path& file, const RewriteReport& report)
{
    return platform::ShownPath(file) + ": textures rewritten " + std::to_string(report.texturesRewritten) +
           ", palettes copied " + std::to_string(report.palettesCopied) + ", alpha nodes added " +
           std::to_string(report.alphaNodesAdded) + ", sets animated " + std::to_string(report.setsAnimated) +
           ", distance tables written " + std::to_string(report.distanceTablesWritten) + ", bytes added " +
           std::to_string(report.bytesAdded) + "\n";
}

} // namespace lathwork::cli
