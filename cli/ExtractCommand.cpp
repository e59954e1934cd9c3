#include "cli/Commands.hpp"
#include "cli/Options.hpp"
#include "imaging/Extraction.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"

#include <ostream>

namespace lathwork::cli {

int ExtractCommand(Words words, std::ostream& out)
{
    const Options options = ParseOptions(words, {}, {});
    if (options.positional.size() != 1) {
        throw OptError("extract takes one FILE.");
    }
    // Each path is printed as soon as its bitmap is complete, so a failure part way still
    // shows which bitmaps were written.
    ExtractTextures(platform::PathFromUtf8(options.positional[0]), [&](const std::filesystem::path& written) {
        out << platform::PathToUtf8(written) << "\n";
    });
    return 0;
}

} // namespace lathwork::cli
