#include "imaging/Preview.hpp"

#include "imaging/TextureBitmap.hpp"
#include "opt/Pointer.hpp"

namespace lathwork {

std::optional<PreviewPicture> PreviewTexture(OptView image, const TextureName& name)
{
    const std::int32_t g = ReadPointerBase(image);
    // Every node of the name is read in turn; the last readable one is the one that stays.
    std::optional<TextureImage> shown;
    ImageBudget budget(image);
    VisitTextures(image, g, [&](std::int32_t node) {
        if (ReadTextureName(image, node) != name) {
            return;
        }
        if (auto texture = ReadTextureImage(image, g, node)) {
            budget.Spend(*texture);
            shown = std::move(texture);
        }
    });
    if (!shown) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> bitmap = WriteTextureBitmap(*shown);
    return PreviewPicture{std::move(*shown), std::move(bitmap)};
}

} // namespace lathwork
