#include "modify/Illumination.hpp"

#include "modify/MatchTable.hpp"
#include "modify/Rewrites.hpp"
#include "modify/TextureRewrite.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <array>
#include <vector>

namespace lathwork {

using namespace layout;

bool EnsureOwnPalette(OptImage& image, const TextureLayout& texture, PointerStore& store)
{
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t palette = FileOffsetOf(store.Read(texture.paletteSlot), g);
    const std::vector<std::uint8_t> block = image.ReadBytes(palette, kPaletteBlockBytes);
    if (palette == texture.end) {
        return false;
    }
    // The palette slot lies before the insertion point, so pointing it at the copy after the
    // insertion is the same as before it (and the new value is not relocated).
    store.Insert({texture.end, kPaletteBlockBytes}, block);
    store.Write(texture.paletteSlot, CheckedAdd(texture.end, g));
    return true;
}

bool EnsureOwnPalette(OptImage& image, const TextureLayout& texture)
{
    WalkingStore store(image);
    return EnsureOwnPalette(image, texture, store);
}

bool IlluminateTexture(OptImage& image, std::int32_t node, const ColourChoice& colours, PointerStore& store)
{
    const auto texture = ReadTextureLayout(image, node);
    if (!texture) {
        return false;
    }
    EnsureOwnPalette(image, *texture, store);
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t block = FileOffsetOf(store.Read(texture->paletteSlot), g);
    const std::vector<std::uint8_t> row7 = image.ReadBytes(CheckedAdd(block, kPaletteShownRow), kPaletteRowBytes);
    if (colours.customSelect) {
        // Every table entry carries its row-7 bytes, so an entry matched by several picked
        // colours writes the same bytes each time: once per entry gives the same rows, and keeps
        // a texture reached many times from costing 16 x (picked colours x 256) writes a visit.
        std::array<bool, kPaletteRowBytes / 2> matched{};
        for (const MatchEntry& entry : BuildMatchTable(row7, colours)) {
            matched[static_cast<std::size_t>(entry.index / 2)] = true;
        }
        for (std::int32_t r = 0; r < kPaletteRows; ++r) {
            const std::int32_t row = CheckedAdd(block, kPaletteRowBytes * r);
            std::vector<std::uint8_t> bytes = image.ReadBytes(row, kPaletteRowBytes);
            for (std::size_t i = 0; i < matched.size(); ++i) {
                if (matched[i]) {
                    bytes[2 * i] = row7[2 * i];
                    bytes[2 * i + 1] = row7[2 * i + 1];
                }
            }
            image.WriteBytes(row, bytes);
        }
    } else {
        for (std::int32_t r = 0; r < kPaletteRows; ++r) {
            image.WriteBytes(CheckedAdd(block, kPaletteRowBytes * r), row7);
        }
    }
    return true;
}

bool IlluminateTexture(OptImage& image, std::int32_t node, const ColourChoice& colours)
{
    WalkingStore store(image);
    return IlluminateTexture(image, node, colours, store);
}

RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request, RewriteEngine engine)
{
    CheckColourChoice(request.colours);
    const RewriteReport report = RunTextureRewrite(
        image, request.names, engine,
        [&](std::int32_t node, PointerStore& store) { return IlluminateTexture(image, node, request.colours, store); },
        [&](std::int32_t node) { return ReadTextureLayout(image, node) ? kPaletteBlockBytes : 0; });
    image.WriteLong(kBodyLength, CheckedAdd(image.Size(), -8));
    return report;
}

} // namespace lathwork
