#include "cli/Commands.hpp"
#include "cli/FileRun.hpp"
#include "cli/Options.hpp"
#include "cli/UsageError.hpp"
#include "imaging/Extraction.hpp"
#include "opt/Platform.hpp"

namespace lathwork::cli {

int ExtractCommand(Words words, Console& console)
{
    const Options options = ParseOptions(words, {}, {"--quiet"});
    if (options.positional.empty()) {
        throw UsageError("extract needs a FILE.");
    }
    FileRun run(ExpandFileWords(options.positional), console, options.Has("--quiet"));
    return run.ForEach([&](const std::filesystem::path& file) {
        // Each path is printed as soon as its bitmap is complete, so a failure part way still
        // shows which bitmaps were written.
        int written = 0;
        ExtractTextures(file, [&](const std::filesystem::path& bitmap) {
            run.Print(platform::PathToUtf8(bitmap) + "\n");
            run.Step(std::to_string(++written) + " bitmaps");
        });
    });
}

} // namespace lathwork::cli
