#include "imaging/TextureImage.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <string>

namespace lathwork {

using namespace layout;

void VisitTextures(const OptImage& image, std::int32_t g, const std::function<void(std::int32_t texture)>& visit)
{
    NodeWalk(image, g, {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type == kTypeTexture) {
            visit(leaf);
            return;
        }
        // A one-member set's member is taken as a texture whatever its type or the set's mode.
        if (image.ReadLong(CheckedAdd(leaf, kNodeCount)) == 1) {
            visit(FileOffsetOf(image.ReadLong(CheckedAdd(leaf, kInlineChildren)), g));
            return;
        }
        const std::int32_t mode = image.ReadLong(CheckedAdd(leaf, kSetMode));
        if (mode != kSetAnimated && mode != kSetAnimatable) {
            return;
        }
        ForEachSetMember(image, g, leaf, [&](std::int32_t member) {
            if (image.ReadLong(CheckedAdd(member, kNodeType)) == kTypeTexture) {
                visit(member);
            }
        });
    }});
}

namespace {

[[noreturn]] void Damaged(std::int32_t node, const std::string& problem)
{
    throw OptError("The texture at offset " + std::to_string(node) + " is damaged: " + problem + ".");
}

} // namespace

std::optional<TextureImage> ReadTextureImage(const OptImage& image, std::int32_t g, std::int32_t node)
{
    const std::int32_t c = image.ReadLong(CheckedAdd(node, kNodeCount)); // +8
    if (c != 0 && c != 1) {
        return std::nullopt;
    }
    const std::int64_t shift = 4 * c;
    const std::int64_t size = image.Size();
    const std::int64_t pixels = node + kPixels + shift; // +57+4c
    if (pixels > size) {
        Damaged(node, "its fields run past the end of the file");
    }

    TextureImage texture;
    const std::int32_t palettePtr = image.ReadLong(node + kPalettePtr + shift);   // +33+4c
    const std::int32_t imageSize = image.ReadLong(node + kImageSize + shift);     // +41+4c
    texture.width = image.ReadLong(node + kImageWidth + shift);                   // +49+4c
    texture.height = image.ReadLong(node + kImageHeight + shift);                 // +53+4c

    // Every size is checked against the file before anything is copied.
    if (imageSize < 0) {
        Damaged(node, "its image size is negative (" + std::to_string(imageSize) + ")");
    }
    if (imageSize > size - pixels) {
        Damaged(node, "its " + std::to_string(imageSize) + " image bytes at offset " + std::to_string(pixels) +
                          " run past the end of the file (" + std::to_string(size) + " bytes)");
    }
    // Row 7 of the palette block: 3584 bytes in, 512 bytes long.
    const std::int64_t row = static_cast<std::int64_t>(palettePtr) - g + kPaletteShownRow;
    if (row < 0 || row > size - kPaletteRowBytes) {
        Damaged(node, "its palette pointer " + std::to_string(palettePtr) + " leads outside the file");
    }

    const auto imageBytes = image.View(pixels, imageSize);
    const auto paletteBytes = image.View(row, kPaletteRowBytes);
    texture.pixels.assign(imageBytes.begin(), imageBytes.end());
    texture.paletteRow.assign(paletteBytes.begin(), paletteBytes.end());
    return texture;
}

// Every texture of a model read a few times, palette rows included, stays far below this.
ImageBudget::ImageBudget(const OptImage& image) : left_(64 * static_cast<std::int64_t>(image.Size()) + (1 << 20)) {}

void ImageBudget::Spend(const TextureImage& texture)
{
    left_ -= static_cast<std::int64_t>(texture.pixels.size() + texture.paletteRow.size());
    if (left_ < 0) {
        throw OptError("The file is damaged: its nodes lead to the same texture data over and over "
                       "(far more image bytes than the file holds).");
    }
}

} // namespace lathwork
