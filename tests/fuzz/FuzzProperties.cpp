#include "FuzzProperties.hpp"

#include "imaging/Extraction.hpp"
#include "imaging/Preview.hpp"
#include "imaging/TextureBitmap.hpp"
#include "imaging/TextureImage.hpp"
#include "modify/Cloaking.hpp"
#include "modify/Relocation.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/Scans.hpp"

#include <cstdio>
#include <cstdlib>
#include <functional>

namespace lathwork::fuzz {

namespace {

void Try(const std::function<void()>& call)
{
    try {
        call();
    } catch (const OptError&) {
    }
}

} // namespace

void Fail(const std::string& what)
{
    std::fprintf(stderr, "property broken: %s\n", what.c_str());
    std::abort();
}

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
        Fail(std::string("the rewritten model cannot be walked: ") + error.what());
    }
    if (now.size() != before.size()) {
        Fail("the rewritten model holds " + std::to_string(now.size()) + " textures instead of " +
             std::to_string(before.size()));
    }
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] != before[i]) {
            Fail("texture " + std::to_string(i) + " reads back differently after the rewrite");
        }
    }
}

void ReadEverything(const OptImage& image)
{
    std::vector<TextureName> names;
    Try([&] { names = ScanIlluminationTextures(image); });
    Try([&] { ScanTransparencyTextures(image); });
    Try([&] {
        const auto sets = ScanTextureSets(image);
        ListSetTextures(image, -1);
        ListSetTextures(image, 0);
        ListSetTextures(image, static_cast<int>(sets.size()));
    });
    Try([&] { ScanCloakingDistances(image); });
    Try([&] { CollectPointerSlots(image, ReadPointerBase(image)); });
    Try([&] {
        const std::int32_t g = ReadPointerBase(image);
        VisitTextures(image, g, [&](std::int32_t node) {
            const TextureName name = ReadTextureName(image, node);
            const std::string file = ExtractedBitmapName("SHIP.OPT", name);
            if (file.find('/') != std::string::npos || file.find('\0') != std::string::npos) {
                Fail("a texture name gives the bitmap name \"" + file + "\"");
            }
            if (const auto texture = ReadTextureImage(image, g, node)) {
                const auto bitmap = WriteTextureBitmap(*texture);
                if (bitmap.size() < 1078 + texture->pixels.size()) {
                    Fail("a bitmap is shorter than its header, colour table and pixels");
                }
            }
        });
    });
    if (!names.empty()) {
        Try([&] { PreviewTexture(image, names.front()); });
        Try([&] { PreviewTexture(image, names.back()); });
    }
}

} // namespace lathwork::fuzz
