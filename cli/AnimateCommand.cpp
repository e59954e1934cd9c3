#include "cli/FileArguments.hpp"
#include "cli/RewriteCommandSupport.hpp"
#include "cli/UsageError.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Scans.hpp"

#include <limits>

namespace lathwork::cli {

int AnimateCommand(Words words, Console& console)
{
    std::set<std::string> flags = kRewriteFlags;
    flags.insert("--all");
    const Options options = ParseOptions(words, {}, flags);
    const bool all = options.Has("--all");
    std::vector<std::string> rest;
    FileList files = SplitFileWords(options, "animate", rest);
    if (all == !rest.empty()) {
        throw UsageError("animate takes either --all or one or more set numbers.");
    }
    std::vector<int> numbers;
    for (const std::string& word : rest) {
        numbers.push_back(ParseInt(word, 1, std::numeric_limits<int>::max(), "set number"));
    }
    return RewriteEach(std::move(files), options, console, [&](OptImage& image) {
        const auto sets = static_cast<int>(ScanTextureSets(image).size());
        std::vector<int> rows;
        for (int k = 1; all && k <= sets; ++k) {
            rows.push_back(k - 1);
        }
        for (const int k : numbers) {
            if (k > sets) {
                throw OptError("There is no texture set " + std::to_string(k) + " in the file.");
            }
            rows.push_back(k - 1);
        }
        return AnimateTextureSets(image, rows);
    });
}

} // namespace lathwork::cli
