#include "cli/Commands.hpp"
#include "cli/FileArguments.hpp"
#include "cli/FileReports.hpp"
#include "cli/FileRun.hpp"
#include "cli/Options.hpp"
#include "imaging/Extraction.hpp"
#include "opt/Platform.hpp"

#include <map>

namespace lathwork::cli {

namespace {

// What one OPT gave, for the JSON document printed at the end.
struct Extracted {
    std::string file;
    std::vector<std::string> bitmaps;
    std::vector<bool> overwritten; // a later texture of this run wrote the same bitmap
    std::string error;
};

std::string Json(const Extracted& e)
{
    std::vector<std::string> bitmaps;
    for (std::size_t i = 0; i < e.bitmaps.size(); ++i) {
        bitmaps.push_back(
            JsonObject().Add("path", JsonString(e.bitmaps[i])).Add("overwritten", JsonBool(e.overwritten[i])).Text());
    }
    JsonObject object;
    object.Add("file", JsonString(e.file)).Add("bitmaps", JsonArray(bitmaps));
    if (!e.error.empty()) {
        object.Add("error", JsonString(e.error));
    }
    return object.Text();
}

} // namespace

int ExtractCommand(Words words, Console& console)
{
    const Options options = ParseOptions(words, {}, {"--quiet", "--json"});
    const bool json = options.Has("--json");
    FileRun run(CommandFiles(options, "extract"), console, options.Has("--quiet"));
    std::vector<Extracted> done;
    std::map<std::string, std::pair<std::size_t, std::size_t>> lastWriter; // bitmap -> (file, bitmap) index
    const int status = run.ForEach(
        [&](const std::filesystem::path& file) {
            done.push_back({platform::PathToUtf8(file), {}, {}, {}});
            // Each path is printed as soon as its bitmap is complete, so a failure part way still
            // shows which bitmaps were written.
            ExtractTextures(file, [&](const std::filesystem::path& bitmap) {
                const std::string path = platform::PathToUtf8(bitmap);
                Extracted& current = done.back();
                const auto [earlier, first] = lastWriter.try_emplace(path, done.size() - 1, current.bitmaps.size());
                if (!first) {
                    done[earlier->second.first].overwritten[earlier->second.second] = true;
                    earlier->second = {done.size() - 1, current.bitmaps.size()};
                }
                current.bitmaps.push_back(path);
                current.overwritten.push_back(false);
                if (!json) {
                    run.Print(platform::ShownPath(bitmap) + "\n");
                }
                run.Step(std::to_string(current.bitmaps.size()) + " bitmaps");
            });
        },
        [&](const std::filesystem::path& file, const std::string& message) {
            const std::string name = platform::PathToUtf8(file);
            if (done.empty() || done.back().file != name) {
                done.push_back({name, {}, {}, {}});
            }
            done.back().error = message;
        });
    if (json) {
        std::vector<std::string> objects;
        for (const Extracted& e : done) {
            objects.push_back(Json(e));
        }
        run.Print(JsonFilesDocument(objects));
    }
    return status;
}

} // namespace lathwork::cli
