#include "imaging/Preview.hpp"

#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureSummary.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

namespace lathwork {

std::optional<PreviewPicture> PreviewTexture(OptView image, const TextureName& name)
{
    const std::int32_t g = ReadPointerBase(image);
    // Every node of the name is read in turn; the last readable one is the one that stays.
    std::optional<TextureImage> shown;
    std::int32_t shownNode = 0;
    ImageBudget budget(image);
    VisitTextures(image, g, [&](std::int32_t node) {
        if (ReadTextureName(image, node) != name) {
            return;
        }
        if (auto texture = ReadTextureImage(image, g, node)) {
            budget.Spend(*texture);
            shown = std::move(texture);
            shownNode = node;
        }
    });
    if (!shown) {
        return std::nullopt;
    }
    PreviewPicture picture{std::move(*shown), {}, {}, {}};
    picture.bitmap = WriteTextureBitmap(picture.texture);
    try {
        picture.palette = ReadPaletteBlock(image, g, shownNode);
    } catch (const OptError&) {
        // Row 7 was read: the picture is shown, only at its own light level.
    }
    try {
        picture.storedOpacity = ReadStoredOpacity(image, g, shownNode);
    } catch (const OptError&) {
        // A damaged opacity node: the texture is shown without it.
    }
    return picture;
}

} // namespace lathwork
