#include "modify/Transparency.hpp"

#include "modify/MatchTable.hpp"
#include "modify/Relocation.hpp"
#include "modify/Rewrites.hpp"
#include "modify/TextureLayout.hpp"
#include "modify/TextureSearch.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <array>

namespace lathwork {

using namespace layout;

std::vector<std::uint8_t> MakeAlphaNode(std::int32_t dataSize, std::int32_t alpha, std::int32_t globalOffset)
{
    OptImage node(std::vector<std::uint8_t>(static_cast<std::size_t>(CheckedAdd(kAlphaHeaderBytes, dataSize)), 255));
    node.WriteLong(kNodeHead, 0);
    node.WriteLong(kNodeType, kTypeAlpha);
    node.WriteLong(kNodeCount, 0);
    node.WriteLong(kChildTablePtr, 0);
    node.WriteLong(kAlphaDataSize, dataSize);
    node.WriteLong(kSlot20, CheckedAdd(CheckedAdd(alpha, kAlphaHeaderBytes), globalOffset)); // the opacity bytes
    const auto bytes = node.Bytes();
    return {bytes.begin(), bytes.end()};
}

bool MakeTextureTransparent(OptImage& image, std::int32_t t, const ColourChoice& colours, int opacity)
{
    const auto before = ReadTextureLayout(image, t);
    if (!before || before->childCount != 0) {
        return false;
    }
    const std::int32_t g = ReadPointerBase(image);
    const std::int32_t d = before->dataSize;
    const std::int32_t palette = FileOffsetOf(image.ReadLong(before->paletteSlot), g);
    const bool ownsPalette = palette == before->end;
    const std::vector<std::uint8_t> block = image.ReadBytes(palette, kPaletteBlockBytes);

    // Room for the child pointer at +33. Until the node is completed, the new slot keeps a copy
    // of the (relocated) palette pointer and ChildTablePtr holds the placeholder.
    const std::int32_t childSlot = CheckedAdd(t, kTextureChildren);
    RelocationWalk(image, g, {childSlot, 4});
    image.WriteLong(CheckedAdd(t, kNodeCount), 1);
    image.WriteLong(CheckedAdd(t, kChildTablePtr), kChildPlaceholder);
    InsertBytes(image, childSlot, image.ReadBytes(childSlot, 4));

    // The palette copy when needed, then the AlphaNode; the node now reads c = 1.
    const std::int32_t end = CheckedAdd(before->end, 4);
    const std::int32_t alpha = CheckedAdd(end, kPaletteBlockBytes);
    const std::int32_t alphaSize = CheckedAdd(kAlphaHeaderBytes, d);
    const std::int32_t insertSize = ownsPalette ? alphaSize : CheckedAdd(kPaletteBlockBytes, alphaSize);
    const std::int32_t insertAt = ownsPalette ? alpha : end;
    std::vector<std::uint8_t> inserted;
    if (!ownsPalette) {
        inserted = block;
    }
    const auto alphaNode = MakeAlphaNode(d, alpha, g);
    inserted.insert(inserted.end(), alphaNode.begin(), alphaNode.end());
    RelocationWalk(image, g, {insertAt, insertSize}, t);
    InsertBytes(image, insertAt, inserted);

    const std::int32_t paletteSlot = CheckedAdd(t, kPalettePtr + 4);
    image.WriteLong(CheckedAdd(t, kChildTablePtr), CheckedAdd(childSlot, g));
    image.WriteLong(paletteSlot, CheckedAdd(end, g));
    image.WriteLong(childSlot, CheckedAdd(alpha, g));

    // The opacity bytes, found again through the completed node.
    const std::int32_t g2 = ReadPointerBase(image);
    const std::int32_t b = FileOffsetOf(image.ReadLong(paletteSlot), g2);
    const std::int32_t opacities = CheckedAdd(FileOffsetOf(image.ReadLong(childSlot), g2), kAlphaHeaderBytes);
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
    const std::vector<std::uint8_t> pixels = image.ReadBytes(CheckedAdd(t, kPixels + 4), d);
    std::vector<std::uint8_t> alphaBytes = image.ReadBytes(opacities, d);
    for (std::size_t p = 0; p < pixels.size(); ++p) {
        if (matched[pixels[p]]) {
            alphaBytes[p] = v;
        }
    }
    image.WriteBytes(opacities, alphaBytes);
    return true;
}

RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request)
{
    CheckColourChoice(request.colours);
    if (request.opacity < 0 || request.opacity > 255) {
        throw OptError("The opacity must lie from 0 to 255.");
    }
    RewriteReport report;
    for (const TextureName& name : request.names) {
        const int found = ForEachTextureNamed(image, name, [&](std::int32_t node) {
            if (MakeTextureTransparent(image, node, request.colours, request.opacity)) {
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
