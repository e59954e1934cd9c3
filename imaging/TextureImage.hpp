#pragma once

#include "opt/OptView.hpp"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace lathwork {

// One texture as the preview and the extraction read it.
struct TextureImage {
    std::int32_t width = 0;            // ImageWidth (TexWidth)
    std::int32_t height = 0;           // ImageHeight (TexHeight)
    std::vector<std::uint8_t> paletteRow; // the 512 bytes of palette row 7
    std::vector<std::uint8_t> pixels;     // ImageSize bytes, as stored
};

// The texture nodes the preview and the extraction visit, in walk order: type-20 leaves; the
// single member of a one-member set whatever its type; type-20 members of larger sets whose
// SetMode is 0 or 1. No name filter.
void VisitTextures(OptView bytes, std::int32_t globalOffset,
                   const std::function<void(std::int32_t texture)>& visit);

// Reads the texture node at offset node; nullopt when its child count is neither 0 nor 1
// (the texture is skipped, nothing further read). Throws OptError for damaged data (a negative
// ImageSize, image bytes or palette row outside the file), checked before anything is copied.
std::optional<TextureImage> ReadTextureImage(OptView bytes, std::int32_t globalOffset,
                                             std::int32_t node);

// A limit on the image bytes one operation reads, proportional to the file's size. A model
// reads each texture a few times at most; a damaged one whose leaves all lead to one large
// texture would have it copied (and its bitmap written) over and over, far beyond what the
// walk's own bound allows for.
class ImageBudget {
public:
    explicit ImageBudget(OptView bytes);
    // Spends the pixel and palette bytes of one texture read; throws OptError when exhausted.
    void Spend(const TextureImage& texture);

private:
    std::int64_t left_;
};

} // namespace lathwork
