#include "cli/RewriteCommandSupport.hpp"
#include "modify/Rewrites.hpp"

namespace lathwork::cli {

int IlluminateCommand(Words words, Console& console)
{
    const TextureCommand command = ParseTextureCommand(words, "illuminate", {});
    return RewriteEach(command.files, command.options, console, [&](OptImage& image) {
        const IlluminationRequest request{SelectItems(command, ScanIlluminationTextures(image)), command.colours};
        const RewriteReport report = RunIllumination(image, request);
        RejectNotFound(report);
        return report;
    });
}

} // namespace lathwork::cli
