#include "cli/RewriteCommandSupport.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"

namespace lathwork::cli {

int IlluminateCommand(Words words, std::ostream&)
{
    const TextureCommand command = ParseTextureCommand(words, "illuminate", {});
    RewriteFile(command.file, [&](OptImage& image) {
        const IlluminationRequest request{SelectItems(command, ScanIlluminationTextures(image)), command.colours};
        RejectNotFound(RunIllumination(image, request));
    });
    return 0;
}

} // namespace lathwork::cli
