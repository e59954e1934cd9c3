#include "cli/RewriteCommandSupport.hpp"
#include "modify/Rewrites.hpp"

namespace lathwork::cli {

int TransparencyCommand(Words words, Console& console)
{
    const TextureCommand command = ParseTextureCommand(words, "transparency", {"--opacity"});
    const int opacity = ParseInt(command.options.Value("--opacity", "111"), 0, 255, "opacity");
    return RewriteEach(command.files, command.options, console, [&](OptImage& image) {
        const TransparencyRequest request{SelectItems(command, ScanTransparencyTextures(image)), command.colours,
                                          opacity};
        const RewriteReport report = RunTransparency(image, request);
        RejectNotFound(report);
        return report;
    });
}

} // namespace lathwork::cli
