#include "imaging/TextureImage.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/TextureNode.hpp"

#include <string>

namespace lathwork {

using namespace layout;

void VisitTextures(OptView bytes, std::int32_t g, const std::function<void(std::int32_t texture)>& visit)
{
    ForEachTexture(bytes, g, [&](std::int32_t texture, TextureRoute) { visit(texture); });
}

namespace {

[[noreturn]] void Damaged(std::int32_t node, const std::string& problem)
{
    throw OptError("The texture at offset " + std::to_string(node) + " is damaged: " + problem + ".");
}

} // namespace

std::optional<TextureImage> ReadTextureImage(OptView bytes, std::int32_t g, std::int32_t offset)
{
    const TextureNode node = TextureNode::At(bytes, offset);
    if (!node.HasKnownLayout()) {
        return std::nullopt;
    }
    const std::int64_t size = bytes.Size();
    const std::int64_t pixels = node.Pixels();
    if (pixels > size) {
        Damaged(offset, "its fields run past the end of the file");
    }

    TextureImage texture;
    const std::int32_t palettePtr = bytes.ReadLong(node.PaletteSlot());
    const std::int32_t imageSize = bytes.ReadLong(node.ImageSizeField());
    texture.width = bytes.ReadLong(node.WidthField());
    texture.height = bytes.ReadLong(node.HeightField());

    // Every size is checked against the file before anything is copied.
    if (imageSize < 0) {
        Damaged(offset, "its image size is negative (" + std::to_string(imageSize) + ")");
    }
    if (imageSize > size - pixels) {
        Damaged(offset, "its " + std::to_string(imageSize) + " image bytes at offset " + std::to_string(pixels) +
                            " run past the end of the file (" + std::to_string(size) + " bytes)");
    }
    const std::int64_t row = static_cast<std::int64_t>(palettePtr) - g + kPaletteShownRow;
    if (row < 0 || row > size - kPaletteRowBytes) {
        Damaged(offset, "its palette pointer " + std::to_string(palettePtr) + " leads outside the file");
    }

    const auto imageBytes = bytes.View(pixels, imageSize);
    const auto paletteBytes = bytes.View(row, kPaletteRowBytes);
    texture.pixels.assign(imageBytes.begin(), imageBytes.end());
    texture.paletteRow.assign(paletteBytes.begin(), paletteBytes.end());
    return texture;
}

// Every texture of a model read a few times, palette rows included, stays far below this.
ImageBudget::ImageBudget(OptView bytes) : left_(64 * static_cast<std::int64_t>(bytes.Size()) + (1 << 20)) {}

void ImageBudget::Spend(const TextureImage& texture)
{
    left_ -= static_cast<std::int64_t>(texture.pixels.size() + texture.paletteRow.size());
    if (left_ < 0) {
        throw OptError("The file is damaged: its nodes lead to the same texture data over and over "
                       "(far more image bytes than the file holds).");
    }
}

} // namespace lathwork
