// The reference rewrite: step by step, as plainly as it can be written. For every name the tree
// is searched again; for every insertion every pointer the relocation walk knows is moved and
// the file's tail is moved behind the new bytes. Tests and benchmarks hold the product's one
// pass against it.

#include "testkit/WalkingOracle.hpp"

#include "modify/Relocation.hpp"
#include "modify/TextureChanges.hpp"
#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

#include <algorithm>

namespace lathwork::testkit {

using namespace layout;

namespace {

class WalkingRewrite {
public:
    WalkingRewrite(OptImage& image, const TextureChange& change) : image_(image), change_(change) {}

    RewriteReport Run(const std::vector<TextureName>& names)
    {
        for (const TextureName& name : names) {
            // Every node of the name is found before any is changed, so the search reads the
            // tree as it stands; later nodes move with every insertion made in front of them.
            pending_ = Search(name);
            if (pending_.empty()) {
                report_.notFound.push_back(name);
            }
            for (std::size_t i = 0; i < pending_.size(); ++i) {
                const std::int32_t node = pending_[i];
                const bool changed = change_.kind == TextureChange::Kind::Illumination ? Illuminate(node)
                                                                                       : MakeTransparent(node);
                if (changed && std::find(changed_.begin(), changed_.end(), node) == changed_.end()) {
                    changed_.push_back(node);
                }
            }
        }
        report_.texturesRewritten = static_cast<int>(changed_.size());
        report_.bytesAdded = image_.Size() - static_cast<std::int64_t>(loadedSize_);
        return report_;
    }

private:
    // The texture nodes the rewrites consider whose 8 name bytes equal name, in walk order.
    std::vector<std::int32_t> Search(const TextureName& name) const
    {
        std::vector<std::int32_t> found;
        ForEachTexture(image_, ReadPointerBase(image_), [&](std::int32_t texture, TextureRoute) {
            if (ReadTextureName(image_, texture) == name) {
                found.push_back(texture);
            }
        });
        return found;
    }

    // Relocation walk, then the tail move; node offsets kept by the run move along.
    void Insert(const Insertion& insertion, std::span<const std::uint8_t> bytes,
                std::optional<std::int32_t> unfollowedChildOf = {})
    {
        RelocationWalk(image_, ReadPointerBase(image_), insertion, unfollowedChildOf);
        InsertBytes(image_, insertion.point, bytes);
        Moved(insertion);
    }

    void Moved(const Insertion& insertion)
    {
        for (auto* nodes : {&pending_, &changed_}) {
            for (std::int32_t& node : *nodes) {
                node += node >= insertion.point ? insertion.size : 0;
            }
        }
    }

    bool Illuminate(std::int32_t node)
    {
        const TextureNode texture = TextureNode::At(image_, node);
        if (!texture.HasKnownLayout()) {
            return false; // no palette slot the rewrite knows
        }
        const std::int32_t end = texture.DataEnd(image_);
        const std::int32_t g = ReadPointerBase(image_);
        const std::int32_t palette = FileOffsetOf(image_.ReadLong(texture.PaletteSlot()), g);
        const std::vector<std::uint8_t> block = image_.ReadBytes(palette, kPaletteBlockBytes);
        if (palette != end) {
            // A private copy behind the pixel data; the palette slot lies before it.
            Insert({end, kPaletteBlockBytes}, block);
            image_.WriteLong(texture.PaletteSlot(), CheckedAdd(end, g));
            ++report_.palettesCopied;
        }
        const std::int32_t own = FileOffsetOf(image_.ReadLong(texture.PaletteSlot()), ReadPointerBase(image_));
        std::vector<std::uint8_t> lit = image_.ReadBytes(own, kPaletteBlockBytes);
        LightPalette(lit, change_.colours);
        image_.WriteBytes(own, lit);
        return true;
    }

    bool MakeTransparent(std::int32_t node)
    {
        const TextureNode before = TextureNode::At(image_, node);
        if (before.ChildCount() != 0) {
            return false; // already has a child, or a layout the rewrite does not know
        }
        const std::int32_t g = ReadPointerBase(image_);
        const std::int32_t dataSize = before.DataSize(image_);
        const std::int32_t palette = FileOffsetOf(image_.ReadLong(before.PaletteSlot()), g);
        const bool ownsPalette = palette == before.DataEnd(image_);
        const std::vector<std::uint8_t> block = image_.ReadBytes(palette, kPaletteBlockBytes);

        // Room for the child pointer at +33; until the node is completed it holds a copy of the
        // palette pointer as relocated, and ChildTablePtr holds the placeholder.
        const std::int32_t childSlot = before.ChildSlot();
        RelocationWalk(image_, g, {childSlot, 4});
        image_.WriteLong(CheckedAdd(node, kNodeCount), 1);
        image_.WriteLong(CheckedAdd(node, kChildTablePtr), kChildPlaceholder);
        const std::vector<std::uint8_t> copy = image_.ReadBytes(childSlot, 4);
        InsertBytes(image_, childSlot, copy);
        Moved({childSlot, 4});

        // The palette copy when needed, then the AlphaNode; the node now reads c = 1, and its
        // child slot is left out of the relocation walk until it designates the AlphaNode.
        const TextureNode after = before.WithChildCount(1);
        const std::int32_t end = after.DataEnd(image_);
        const std::int32_t alpha = CheckedAdd(end, kPaletteBlockBytes);
        std::vector<std::uint8_t> inserted;
        if (!ownsPalette) {
            inserted = block;
            ++report_.palettesCopied;
        }
        const std::size_t header = inserted.size();
        inserted.resize(header + kAlphaHeaderBytes + static_cast<std::size_t>(dataSize), 255);
        WriteAlphaHeader(std::span(inserted).subspan(header, kAlphaHeaderBytes), alpha, dataSize, g);
        const std::int32_t at = ownsPalette ? alpha : end;
        Insert({at, static_cast<std::int32_t>(inserted.size())}, inserted, node);
        ++report_.alphaNodesAdded;

        image_.WriteLong(CheckedAdd(node, kChildTablePtr), CheckedAdd(childSlot, g));
        image_.WriteLong(after.PaletteSlot(), CheckedAdd(end, g));
        image_.WriteLong(childSlot, CheckedAdd(alpha, g));

        // The opacity bytes, found again through the completed node.
        const std::int32_t g2 = ReadPointerBase(image_);
        const std::int32_t own = FileOffsetOf(image_.ReadLong(after.PaletteSlot()), g2);
        const std::int32_t opacities = CheckedAdd(FileOffsetOf(image_.ReadLong(childSlot), g2), kAlphaHeaderBytes);
        const std::vector<std::uint8_t> row7 = image_.ReadBytes(CheckedAdd(own, kPaletteShownRow), kPaletteRowBytes);
        const std::vector<std::uint8_t> pixels = image_.ReadBytes(after.Pixels(), dataSize);
        std::vector<std::uint8_t> written = image_.ReadBytes(opacities, dataSize);
        WriteOpacities(written, pixels, row7, change_.colours, change_.opacity);
        image_.WriteBytes(opacities, written);
        return true;
    }

    OptImage& image_;
    const TextureChange& change_;
    std::int32_t loadedSize_ = image_.Size();
    RewriteReport report_;
    std::vector<std::int32_t> pending_; // the current name's nodes
    std::vector<std::int32_t> changed_; // nodes changed so far
};

RewriteReport Walk(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change)
{
    CheckTextureChange(change);
    const RewriteReport report = WalkingRewrite(image, change).Run(names);
    image.WriteLong(kBodyLength, CheckedAdd(image.Size(), -8));
    return report;
}

} // namespace

RewriteReport WalkIllumination(OptImage& image, const IlluminationRequest& request)
{
    return Walk(image, request.names, {TextureChange::Kind::Illumination, request.colours, 255});
}

RewriteReport WalkTransparency(OptImage& image, const TransparencyRequest& request)
{
    return Walk(image, request.names, {TextureChange::Kind::Transparency, request.colours, request.opacity});
}

} // namespace lathwork::testkit
