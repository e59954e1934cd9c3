#include "cli/Commands.hpp"
#include "cli/Options.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"
#include "opt/Scans.hpp"

#include <limits>

namespace lathwork::cli {

int AnimateCommand(Words words, std::ostream&)
{
    const Options options = ParseOptions(words, {}, {"--all"});
    const auto& p = options.positional;
    const bool all = options.Has("--all");
    if (p.empty()) {
        throw OptError("animate needs a FILE.");
    }
    if (all == (p.size() > 1)) {
        throw OptError("animate takes either --all or one or more set numbers.");
    }
    std::vector<int> numbers;
    for (std::size_t i = 1; i < p.size(); ++i) {
        numbers.push_back(ParseInt(p[i], 1, std::numeric_limits<int>::max(), "set number"));
    }
    RewriteFile(platform::PathFromUtf8(p[0]), [&](OptImage& image) {
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
        AnimateTextureSets(image, rows);
    });
    return 0;
}

} // namespace lathwork::cli
