// The one-pass engine. One walk of the loaded file lists every pointer slot, every texture and
// the bytes of every structure. Each selected texture's change is recorded as blocks of new
// bytes, each in front of one byte of the loaded file, and as slots that will designate new
// bytes; the result is then written once, front to back, and every pointer is set once.
//
// This gives exactly the bytes of inserting the blocks one at a time, moving every pointer the
// walk knows at each insertion, when every structure the walk and the
// rewrites read lies inside the file and none overlaps another (a palette shared by several
// textures, or a node reached twice, counts once). Then a change touches only its own texture,
// palette and new bytes; every insertion lands between structures; and a pointer, moved at
// every insertion at or before its target, keeps designating the byte it designated in the
// loaded file. The result no longer depends on the order of the changes: lighting a palette
// twice lights it once (so a texture copying a palette that another lights in place gets the
// same bytes either way), and a texture with a child is not made transparent again, so each
// node is changed once however often its name is selected.
//
// A pointer past the end of the file stays as it is until the growing file reaches it, and from
// then on moves with whatever stands where it points: its result depends on the order of the
// changes, which is the order of the names. A file whose structures overlap or reach past its
// end is refused; so is one the walk refuses, with the walk's own message.

#include "modify/OnePassRewrite.hpp"

#include "modify/Relocation.hpp"
#include "opt/ByteCodec.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/PageAdvice.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

#include <algorithm>
#include <cstring>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace lathwork {

using namespace layout;

namespace {

// Every extent inside the file and none overlapping another; the same extent met twice is one.
bool DisjointInsideFile(std::vector<WalkSurvey::Extent> extents, std::int64_t length)
{
    auto key = [](const WalkSurvey::Extent& e) { return std::tuple(e.start, e.end, e.kind); };
    std::sort(extents.begin(), extents.end(), [&](const auto& a, const auto& b) { return key(a) < key(b); });
    extents.erase(std::unique(extents.begin(), extents.end(), [&](const auto& a, const auto& b) { return key(a) == key(b); }),
                  extents.end());
    std::int64_t reached = 0;
    for (const WalkSurvey::Extent& e : extents) {
        if (e.start < reached || e.end < e.start || e.end > length) {
            return false;
        }
        reached = e.end;
    }
    return true;
}

// The change of one texture, as found in the loaded file.
struct Edit {
    TextureNode texture;          // as loaded
    std::int32_t dataSize = 0;
    std::int32_t end = 0;         // end of the pixel data
    std::int32_t palette = 0;     // offset of the palette it uses
    bool ownsPalette = false;     // the palette stands at end
    // Final offsets, known once every block is placed.
    std::int64_t paletteAt = 0;   // its palette in the result
    std::int64_t alphaAt = 0;     // its AlphaNode (transparency)
    std::int64_t childSlotAt = 0; // its new child slot (transparency)
};

// New bytes in front of loaded byte anchor (the loaded length for the end of the file).
struct Block {
    enum class Content { ChildSlot, PaletteCopy, AlphaNode, PaletteCopyAndAlphaNode };
    std::int32_t anchor = 0;
    std::int32_t size = 0;
    std::size_t edit = 0;
    Content content = Content::ChildSlot;
    std::size_t step = 0; // the order the changes make the blocks in
};

class OnePass {
public:
    OnePass(const OptImage& image, const TextureChange& change)
        : loaded_(image), change_(change), illuminate_(change.kind == TextureChange::Kind::Illumination)
    {
    }

    // Throws OptError for a file it cannot rewrite safely.
    void Plan(const std::vector<TextureName>& names)
    {
        WalkSurvey survey;
        g_ = ReadPointerBase(loaded_);
        slots_ = CollectPointerSlots(loaded_, g_, {}, &survey);
        if (!DisjointInsideFile(std::move(survey.extents), loaded_.Size())) {
            throw OptError("This file cannot be rewritten safely: some of its structures overlap one another or "
                           "reach past its end, so the bytes to move cannot be told apart. Nothing was changed.");
        }
        Select(names, survey.textures);
        for (std::size_t i = 0; i < edits_.size(); ++i) {
            AddBlocks(i);
        }
        PlaceBlocks();
    }

    // Nothing to insert (no texture found, or each lit texture owns its palette): the palettes
    // are lit where they stand, without a copy of the file.
    bool InsertsNothing() const { return blocks_.empty(); }

    RewriteReport LightInPlace(OptImage& image)
    {
        for (const Edit& edit : edits_) {
            std::vector<std::uint8_t> palette = image.ReadBytes(edit.palette, kPaletteBlockBytes);
            LightPalette(palette, change_.colours);
            image.WriteBytes(edit.palette, palette);
        }
        report_.texturesRewritten = static_cast<int>(edits_.size());
        return report_;
    }

    // The result, written front to back.
    RewriteReport Produce(std::vector<std::uint8_t>& out)
    {
        out.reserve(static_cast<std::size_t>(length_));
        AdviseLargePages(out.data(), out.capacity()); // tens of megabytes written once
        const auto bytes = loaded_.Bytes();
        std::int32_t copied = 0;
        for (const Block& block : blocks_) {
            out.insert(out.end(), bytes.begin() + copied, bytes.begin() + block.anchor);
            copied = block.anchor;
            AppendBlock(out, block);
        }
        out.insert(out.end(), bytes.begin() + copied, bytes.end());
        SetPointers(out);
        for (const Edit& edit : edits_) {
            Complete(out, edit);
        }
        report_.texturesRewritten = static_cast<int>(edits_.size());
        report_.bytesAdded = length_ - loaded_.Size();
        return report_;
    }

private:
    // The nodes of each name in walk order, each changed once, in the order first named.
    void Select(const std::vector<TextureName>& names, const std::vector<std::int32_t>& textures)
    {
        std::unordered_map<TextureName, std::vector<std::int32_t>> byName;
        for (const std::int32_t node : textures) {
            byName[ReadTextureName(loaded_, node)].push_back(node);
        }
        std::unordered_set<std::int32_t> seen;
        for (const TextureName& name : names) {
            const auto found = byName.find(name);
            if (found == byName.end()) {
                report_.notFound.push_back(name);
                continue;
            }
            // A name named again adds nothing: its nodes are all considered already.
            for (const std::int32_t node : std::exchange(found->second, {})) {
                if (seen.insert(node).second) {
                    Consider(node);
                }
            }
        }
    }

    void Consider(std::int32_t node)
    {
        const TextureNode texture = TextureNode::At(loaded_, node);
        if (illuminate_ ? !texture.HasKnownLayout() : texture.ChildCount() != 0) {
            return;
        }
        Edit edit{texture};
        edit.dataSize = texture.DataSize(loaded_);
        edit.end = texture.DataEnd(loaded_);
        edit.palette = FileOffsetOf(loaded_.ReadLong(texture.PaletteSlot()), g_);
        edit.ownsPalette = edit.palette == edit.end;
        edits_.push_back(edit);
    }

    void AddBlocks(std::size_t i)
    {
        const Edit& edit = edits_[i];
        using Content = Block::Content;
        if (illuminate_) {
            if (!edit.ownsPalette) {
                blocks_.push_back({edit.end, kPaletteBlockBytes, i, Content::PaletteCopy});
                ++report_.palettesCopied;
            }
            return;
        }
        const std::int32_t alphaSize = CheckedAdd(kAlphaHeaderBytes, edit.dataSize);
        blocks_.push_back({edit.texture.ChildSlot(), 4, i, Content::ChildSlot});
        if (edit.ownsPalette) {
            blocks_.push_back({CheckedAdd(edit.end, kPaletteBlockBytes), alphaSize, i, Content::AlphaNode});
        } else {
            blocks_.push_back({edit.end, CheckedAdd(kPaletteBlockBytes, alphaSize), i, Content::PaletteCopyAndAlphaNode});
            ++report_.palettesCopied;
        }
        ++report_.alphaNodesAdded;
    }

    // Sorts the blocks into file order and works out where everything stands in the result.
    // Every change computes its insertion point from its own node, so a block lands in front of
    // any earlier block anchored at the same byte: among equal anchors, later changes come first.
    void PlaceBlocks()
    {
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            blocks_[i].step = i; // the order the changes make them
        }
        std::sort(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) {
            return a.anchor != b.anchor ? a.anchor < b.anchor : a.step > b.step;
        });
        std::int64_t total = 0;
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            anchors_.push_back(blocks_[i].anchor);
            before_.push_back(total);
            total += blocks_[i].size;
        }
        before_.push_back(total);
        length_ = CheckedAdd(loaded_.Size(), total);
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            Edit& edit = edits_[blocks_[i].edit];
            const std::int64_t start = blocks_[i].anchor + before_[i];
            switch (blocks_[i].content) {
            case Block::Content::ChildSlot: edit.childSlotAt = start; break;
            case Block::Content::PaletteCopy: edit.paletteAt = start; break;
            case Block::Content::AlphaNode: edit.alphaAt = start; break;
            case Block::Content::PaletteCopyAndAlphaNode:
                edit.paletteAt = start;
                edit.alphaAt = start + kPaletteBlockBytes;
                break;
            }
        }
        for (Edit& edit : edits_) {
            if (edit.ownsPalette) {
                edit.paletteAt = Moved(edit.palette);
            }
        }
        PlaceReachedPointers();
    }

    // A pointer past the end keeps its value until the growing file reaches its target (its end
    // counts); from then on it designates whatever stands there and moves with it. Slots are
    // taken in the order the file reaches them while the blocks made so far are counted in a
    // Fenwick tree over the file order.
    void PlaceReachedPointers()
    {
        std::vector<std::pair<std::int64_t, std::int32_t>> waiting; // target, slot
        for (const std::int32_t slot : slots_) {
            const std::int32_t value = loaded_.ReadLong(slot);
            if (PlaceOfTarget(value, g_, loaded_.Size()) == TargetPlace::PastEnd &&
                PlaceOfTarget(value, g_, length_) != TargetPlace::PastEnd) {
                waiting.emplace_back(static_cast<std::int64_t>(value) - g_, slot);
            }
        }
        if (waiting.empty()) {
            return;
        }
        std::sort(waiting.begin(), waiting.end());
        std::vector<std::size_t> placeOfStep(blocks_.size());
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            placeOfStep[blocks_[i].step] = i;
        }
        made_.assign(blocks_.size() + 1, 0);
        madeSize_.assign(blocks_.size(), 0);
        std::int64_t length = loaded_.Size();
        std::size_t step = 0;
        for (const auto& [target, slot] : waiting) {
            while (length < target) { // the next block reaches further
                const std::size_t i = placeOfStep[step++];
                Add(i, blocks_[i].size);
                length += blocks_[i].size;
            }
            reached_.emplace_back(slot, Reached(target));
        }
    }

    void Add(std::size_t i, std::int64_t size)
    {
        madeSize_[i] = size;
        for (std::size_t k = i + 1; k < made_.size(); k += k & (~k + 1)) {
            made_[k] += size;
        }
    }

    // Where position t of the file as grown so far stands in the result. Finds the last block
    // (made or not) starting at or before t, then t is inside it or on a loaded byte behind it.
    std::int64_t Reached(std::int64_t t) const
    {
        std::size_t count = 0;   // blocks in file order before the one found next
        std::int64_t sum = 0;    // bytes made of those
        std::size_t bit = 1;
        while (bit * 2 < made_.size()) {
            bit *= 2;
        }
        for (; bit > 0; bit /= 2) {
            const std::size_t next = count + bit;
            // Block next - 1 starts at its anchor plus everything made in front of it.
            if (next < made_.size() && anchors_[next - 1] + sum + made_[next] - MadeSize(next - 1) <= t) {
                count = next;
                sum += made_[next];
            }
        }
        if (count == 0) {
            return Moved(t); // before every block
        }
        const std::size_t i = count - 1;
        const std::int64_t start = anchors_[i] + sum - MadeSize(i);
        if (t < start + MadeSize(i)) {
            return anchors_[i] + before_[i] + (t - start);
        }
        return Moved(t - sum);
    }

    std::int64_t MadeSize(std::size_t i) const { return madeSize_[i]; }

    // Where loaded byte b stands in the result: behind every block in front of it or an
    // earlier byte.
    std::int64_t Moved(std::int64_t b) const
    {
        const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), b);
        return b + before_[static_cast<std::size_t>(after - anchors_.begin())];
    }

    std::int32_t Pointer(std::int64_t offset) const { return CheckedAdd(offset, g_); }

    void AppendBlock(std::vector<std::uint8_t>& out, const Block& block) const
    {
        const Edit& edit = edits_[block.edit];
        const std::size_t start = out.size();
        if (block.content == Block::Content::ChildSlot) {
            out.resize(start + 4);
            codec::StoreLong(out.data() + start, Pointer(edit.alphaAt));
            return;
        }
        if (block.content != Block::Content::AlphaNode) {
            const auto palette = loaded_.View(edit.palette, kPaletteBlockBytes);
            out.insert(out.end(), palette.begin(), palette.end());
            if (illuminate_) {
                LightPalette(std::span(out).subspan(start, kPaletteBlockBytes), change_.colours);
                return;
            }
        }
        const std::size_t alpha = out.size();
        out.resize(alpha + kAlphaHeaderBytes + static_cast<std::size_t>(edit.dataSize));
        const auto node = std::span(out).subspan(alpha);
        WriteAlphaHeader(node.first(kAlphaHeaderBytes), static_cast<std::int32_t>(edit.alphaAt), edit.dataSize, g_);
        const auto row7 = loaded_.View(edit.palette + kPaletteShownRow, kPaletteRowBytes);
        const auto pixels = loaded_.View(edit.texture.WithChildCount(0).Pixels(), edit.dataSize);
        WriteOpacities(node.subspan(kAlphaHeaderBytes), pixels, row7, change_.colours, change_.opacity);
    }

    // Every loaded slot designating a byte of the file moves with it.
    void SetPointers(std::vector<std::uint8_t>& out) const
    {
        const auto bytes = loaded_.Bytes();
        for (const std::int32_t slot : slots_) {
            const std::int32_t value = codec::LoadLong(bytes.data() + slot);
            if (PlaceOfTarget(value, g_, loaded_.Size()) == TargetPlace::InFile) {
                const std::int64_t moved = Moved(static_cast<std::int64_t>(value) - g_);
                codec::StoreLong(out.data() + Moved(slot), Pointer(moved));
            }
        }
        for (const auto& [slot, target] : reached_) {
            codec::StoreLong(out.data() + Moved(slot), Pointer(target));
        }
    }

    // The texture's own fields, and its palette where it is lit in place.
    void Complete(std::vector<std::uint8_t>& out, const Edit& edit) const
    {
        const std::int32_t node = edit.texture.Offset();
        codec::StoreLong(out.data() + Moved(edit.texture.PaletteSlot()), Pointer(edit.paletteAt));
        if (illuminate_) {
            if (edit.ownsPalette) {
                LightPalette(std::span(out).subspan(static_cast<std::size_t>(edit.paletteAt), kPaletteBlockBytes),
                             change_.colours);
            }
            return;
        }
        codec::StoreLong(out.data() + Moved(node + kNodeCount), 1);
        codec::StoreLong(out.data() + Moved(node + kChildTablePtr), Pointer(edit.childSlotAt));
    }

    const OptImage& loaded_;
    const TextureChange& change_;
    bool illuminate_;
    std::int32_t g_ = 0;
    std::vector<std::int32_t> slots_;
    std::vector<Edit> edits_;
    std::vector<Block> blocks_;            // in file order once placed
    std::vector<std::int32_t> anchors_;    // blocks_' anchors
    std::vector<std::int64_t> before_;     // bytes of the blocks in front of blocks_[i]; then all
    std::vector<std::int64_t> made_;       // Fenwick tree of the bytes of blocks made so far
    std::vector<std::int64_t> madeSize_;   // blocks_[i].size once made, else 0
    std::vector<std::pair<std::int32_t, std::int64_t>> reached_; // slot, its target in the result
    std::int32_t length_ = 0;
    RewriteReport report_;
};

} // namespace

RewriteReport RunOnePass(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change)
{
    if (names.empty()) {
        return {};
    }
    OnePass pass(image, change);
    pass.Plan(names);
    if (pass.InsertsNothing()) {
        return pass.LightInPlace(image);
    }
    std::vector<std::uint8_t> result;
    const RewriteReport report = pass.Produce(result);
    image = OptImage(std::move(result));
    return report;
}

} // namespace lathwork
