#include "modify/Illumination.hpp"

#include "modify/MatchTable.hpp"
#include "modify/Relocation.hpp"
#include "modify/Rewrites.hpp"
#include "modify/TextureSearch.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

namespace lathwork {

using namespace layout;

bool EnsureOwnPalette(OptImage& image, const TextureLayout& texture)
{
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t palette = FileOffsetOf(image.ReadLong(texture.paletteSlot), g);
    const std::vector<std::uint8_t> block = image.ReadBytes(palette, kPaletteBlockBytes);
    if (palette == texture.end) {
        return false;
    }
    RelocationWalk(image, g, {texture.end, kPaletteBlockBytes});
    image.WriteLong(texture.paletteSlot, CheckedAdd(texture.end, g));
    InsertBytes(image, texture.end, block);
    return true;
}

bool IlluminateTexture(OptImage& image, std::int32_t node, const ColourChoice& colours)
{
    const auto texture = ReadTextureLayout(image, node);
    if (!texture) {
        return false;
    }
    EnsureOwnPalette(image, *texture);
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t block = FileOffsetOf(image.ReadLong(texture->paletteSlot), g);
    const std::vector<std::uint8_t> row7 = image.ReadBytes(CheckedAdd(block, kPaletteShownRow), kPaletteRowBytes);
    if (colours.customSelect) {
        const auto table = BuildMatchTable(row7, colours);
        for (std::int32_t r = 0; r < kPaletteRows; ++r) {
            const std::int32_t row = CheckedAdd(block, kPaletteRowBytes * r);
            for (const MatchEntry& entry : table) {
                image.WriteByte(row + entry.index, entry.lo);
                image.WriteByte(row + entry.index + 1, entry.hi);
            }
        }
    } else {
        for (std::int32_t r = 0; r < kPaletteRows; ++r) {
            image.WriteBytes(CheckedAdd(block, kPaletteRowBytes * r), row7);
        }
    }
    return true;
}

RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request)
{
    CheckColourChoice(request.colours);
    RewriteReport report;
    for (const TextureName& name : request.names) {
        const int found = ForEachTextureNamed(image, name, [&](std::int32_t node) {
            if (IlluminateTexture(image, node, request.colours)) {
                ++report.texturesChanged;
            }
        });
        if (found == 0) {
            report.notFound.push_back(name);
        }
    }
    image.WriteLong(kBodyLength, CheckedAdd(image.Size(), -8));
    return report;
}

} // namespace lathwork
