#include "cli/RewriteCommandSupport.hpp"
#include "modify/RewriteFile.hpp"
#include "modify/Rewrites.hpp"

namespace lathwork::cli {

int TransparencyCommand(Words words, std::ostream&)
{
    const TextureCommand command = ParseTextureCommand(words, "transparency", {"--opacity"});
    const int opacity = ParseInt(command.options.Value("--opacity", "111"), 0, 255, "opacity");
    RewriteFile(command.file, [&](OptImage& image) {
        const TransparencyRequest request{SelectItems(command, ScanTransparencyTextures(image)), command.colours,
                                          opacity};
        RejectNotFound(RunTransparency(image, request));
    });
    return 0;
}

} // namespace lathwork::cli
