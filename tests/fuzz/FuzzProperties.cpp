#include "FuzzProperties.hpp"

#include "imaging/TextureImage.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <cstdio>
#include <cstdlib>

namespace lathwork::fuzz {

std::vector<TextureRecord> ReadAllTextures(const OptImage& image)
{
    std::vector<TextureRecord> records;
    const std::int32_t g = ReadPointerBase(image);
    VisitTextures(image, g, [&](std::int32_t node) {
        if (const auto texture = ReadTextureImage(image, g, node)) {
            records.push_back({ReadTextureName(image, node), texture->width, texture->height, texture->pixels});
        }
    });
    return records;
}

void RequireSameTextures(const std::vector<TextureRecord>& before, const OptImage& after)
{
    std::vector<TextureRecord> now;
    try {
        now = ReadAllTextures(after);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "the rewritten model cannot be walked: %s\n", error.what());
        std::abort();
    }
    if (now != before) {
        std::fprintf(stderr, "the rewritten model's textures differ (%zu before, %zu after)\n", before.size(), now.size());
        std::abort();
    }
}

} // namespace lathwork::fuzz
