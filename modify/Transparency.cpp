#include "modify/Transparency.hpp"

#include "modify/MatchTable.hpp"
#include "modify/Relocation.hpp"
#include "modify/Rewrites.hpp"
#include "modify/TextureLayout.hpp"
#include "modify/TextureRewrite.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <array>

namespace lathwork {

using namespace layout;

namespace {

std::array<std::uint8_t, 4> LongBytes(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

} // namespace

void AppendAlphaNode(std::vector<std::uint8_t>& out, std::int32_t dataSize, std::int32_t alpha, std::int32_t globalOffset)
{
    const std::int32_t opacities = CheckedAdd(CheckedAdd(alpha, kAlphaHeaderBytes), globalOffset);
    const std::array<std::int32_t, 6> header = {0, kTypeAlpha, 0, 0, dataSize, opacities}; // +0 .. +20
    for (const std::int32_t field : header) {
        const auto bytes = LongBytes(field);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    out.resize(out.size() + static_cast<std::size_t>(dataSize), 255);
}

bool MakeTextureTransparent(OptImage& image, std::int32_t t, const ColourChoice& colours, int opacity,
                            PointerStore& store)
{
    const auto before = ReadTextureLayout(image, t);
    if (!before || before->childCount != 0) {
        return false;
    }
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t d = before->dataSize;
    const std::int32_t storedPalette = store.Read(before->paletteSlot);
    const std::int32_t palette = FileOffsetOf(storedPalette, g);
    const bool ownsPalette = palette == before->end;
    const std::vector<std::uint8_t> block = image.ReadBytes(palette, kPaletteBlockBytes);

    // Room for the child pointer at +33. Until the node is completed, the new slot keeps a copy
    // of the palette pointer as this insertion relocates it, and ChildTablePtr holds the
    // placeholder. Both fields lie before the insertion point, so they are written after it.
    const std::int32_t childSlot = CheckedAdd(t, kTextureChildren);
    const Insertion room{childSlot, 4};
    const std::int32_t copy = RelocatedValue(storedPalette, g, image.Size(), room).value_or(storedPalette);
    store.Insert(room, LongBytes(copy));
    image.WriteLong(CheckedAdd(t, kNodeCount), 1);
    store.Write(CheckedAdd(t, kChildTablePtr), kChildPlaceholder);

    // The palette copy when needed, then the AlphaNode; the node now reads c = 1.
    const std::int32_t end = CheckedAdd(before->end, 4);
    const std::int32_t alpha = CheckedAdd(end, kPaletteBlockBytes);
    const std::int32_t alphaSize = CheckedAdd(kAlphaHeaderBytes, d);
    const std::int32_t insertSize = ownsPalette ? alphaSize : CheckedAdd(kPaletteBlockBytes, alphaSize);
    const std::int32_t insertAt = ownsPalette ? alpha : end;
    std::vector<std::uint8_t> inserted;
    inserted.reserve(static_cast<std::size_t>(insertSize));
    if (!ownsPalette) {
        inserted.assign(block.begin(), block.end());
    }
    AppendAlphaNode(inserted, d, alpha, g);
    store.Insert({insertAt, insertSize}, inserted, t);

    const std::int32_t paletteSlot = CheckedAdd(t, kPalettePtr + 4);
    store.Write(CheckedAdd(t, kChildTablePtr), CheckedAdd(childSlot, g));
    store.Write(paletteSlot, CheckedAdd(end, g));
    store.Write(childSlot, CheckedAdd(alpha, g));
    // The AlphaNode's +20 (already in its bytes) is a pointer the walk reaches from now on.
    store.Write(CheckedAdd(alpha, kSlot20), CheckedAdd(CheckedAdd(alpha, kAlphaHeaderBytes), g));

    // The opacity bytes, found again through the completed node.
    const std::int32_t g2 = ReadPointerBase(image);
    const std::int32_t b = FileOffsetOf(store.Read(paletteSlot), g2);
    const std::int32_t opacities = CheckedAdd(FileOffsetOf(store.Read(childSlot), g2), kAlphaHeaderBytes);
    const auto v = static_cast<std::uint8_t>(opacity);
    if (!colours.customSelect) {
        image.Fill(opacities, d, v);
        return true;
    }
    const std::vector<std::uint8_t> row7 = image.ReadBytes(CheckedAdd(b, kPaletteShownRow), kPaletteRowBytes);
    std::array<bool, 256> matched{};
    for (const MatchEntry& entry : BuildMatchTable(row7, colours)) {
        matched[static_cast<std::size_t>(entry.index / 2)] = true;
    }
    const auto pixels = image.View(CheckedAdd(t, kPixels + 4), d);
    const auto alphaBytes = image.View(opacities, d);
    std::vector<std::uint8_t> written(alphaBytes.begin(), alphaBytes.end());
    for (std::size_t p = 0; p < pixels.size(); ++p) {
        if (matched[pixels[p]]) {
            written[p] = v;
        }
    }
    image.WriteBytes(opacities, written);
    return true;
}

bool MakeTextureTransparent(OptImage& image, std::int32_t node, const ColourChoice& colours, int opacity)
{
    WalkingStore store(image);
    return MakeTextureTransparent(image, node, colours, opacity, store);
}

RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request, RewriteEngine engine)
{
    CheckColourChoice(request.colours);
    if (request.opacity < 0 || request.opacity > 255) {
        throw OptError("The opacity must lie from 0 to 255.");
    }
    auto growth = [&](std::int32_t node) -> std::int64_t {
        const auto texture = ReadTextureLayout(image, node);
        return texture && texture->childCount == 0 ? 4 + kPaletteBlockBytes + kAlphaHeaderBytes + texture->dataSize : 0;
    };
    const RewriteReport report = RunTextureRewrite(
        image, request.names, engine,
        [&](std::int32_t node, PointerStore& store) {
            return MakeTextureTransparent(image, node, request.colours, request.opacity, store);
        },
        growth);
    image.WriteLong(kBodyLength, CheckedAdd(image.Size(), -8));
    return report;
}

} // namespace lathwork
