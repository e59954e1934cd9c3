// The one-pass engine. One walk of the loaded file lists every pointer slot, every texture and
// the bytes of every structure. Each selected texture's change is recorded as blocks of new
// bytes, each in front of one byte of the loaded file, and as slots that will designate new
// bytes; the result is then described once, front to back, as the loaded bytes with the blocks
// among them (ComposedBytes), and every pointer is set once. The blocks' bytes are made only
// when the result is written out, so the result never stands whole in memory.
//
// This gives exactly the bytes of inserting the blocks one at a time, moving every pointer at
// each insertion, when every structure the walk and the rewrites read lies inside the file and
// none overlaps another (a palette shared by several textures, or a node reached twice, counts
// once). Then a change touches only its own texture, palette and new bytes; every insertion
// lands between structures; and a pointer, moved at every insertion at or before its target,
// keeps designating the byte it designated in the loaded file. Lighting a palette twice lights
// it once, and a texture with a child is not made transparent again, so each node is changed
// once however often its name is selected.
//
// Insertion order still shows in two places. Each block is placed right behind the byte in
// front of it, so blocks in front of one loaded byte stand in reverse insertion order. And a
// pointer past the end of the file is left alone while the file is shorter than its target;
// from the first insertion after which the file reaches it, it designates whatever then stands
// there and moves with it. Both follow from the insertion order: edits in the order their
// names are first selected, each edit's blocks in the order it adds them.
//
// A file that fails the check, or that the walk refuses, is refused with an OptError.

#include "modify/RewriteEngines.hpp"

#include "modify/Relocation.hpp"
#include "opt/ByteCodec.hpp"
#include "opt/ComposedBytes.hpp"
#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
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
    std::size_t step = 0; // 1-based place in insertion order
};

// Prefix sums over blocks in file order, for the blocks inserted so far.
class Fenwick {
public:
    explicit Fenwick(std::size_t n) : tree_(n + 1, 0) {}
    void Add(std::size_t i, std::int64_t v)
    {
        for (++i; i < tree_.size(); i += i & (~i + 1)) {
            tree_[i] += v;
        }
    }
    // Sum of the first n entries.
    std::int64_t Prefix(std::size_t n) const
    {
        std::int64_t sum = 0;
        for (; n > 0; n -= n & (~n + 1)) {
            sum += tree_[n];
        }
        return sum;
    }

private:
    std::vector<std::int64_t> tree_;
};

class OnePass {
public:
    OnePass(const OptImage& image, const TextureChange& change)
        : loaded_(image), change_(change), illuminate_(change.kind == TextureChange::Kind::Illumination)
    {
    }

    // Throws OptError for a file whose structures this rewrite cannot place.
    void Plan(const std::vector<TextureName>& names)
    {
        WalkSurvey survey;
        g_ = ReadPointerBase(loaded_);
        slots_ = CollectPointerSlots(loaded_, g_, {}, &survey);
        if (!DisjointInsideFile(std::move(survey.extents), loaded_.Size())) {
            throw OptError("The file cannot be rewritten: some of its nodes, textures or palettes overlap one "
                           "another or reach past its end. Nothing was written.");
        }
        Select(names, survey.textures);
        for (std::size_t i = 0; i < edits_.size(); ++i) {
            AddBlocks(i);
        }
        PlaceBlocks();
    }

    // The result, as the loaded bytes with the new and changed bytes among them: written out
    // later straight from the loaded bytes, never copied whole.
    RewriteReport Produce(OptImage& image)
    {
        report_.texturesRewritten = static_cast<int>(edits_.size());
        report_.bytesAdded = length_ - loaded_.Size();
        if (edits_.empty()) {
            return report_;
        }
        ComposedBytes out = Pieces();
        if (!blocks_.empty()) { // without insertions no pointer moves
            SetPointers(out);
            for (const Edit& edit : edits_) {
                Complete(out, edit);
            }
        }
        image.Compose(std::move(out)); // the image is loaded_: nothing of it is read after this
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
                Add({edit.end, kPaletteBlockBytes, i, Content::PaletteCopy});
                ++report_.palettesCopied;
            }
            return;
        }
        const std::int32_t alphaSize = CheckedAdd(kAlphaHeaderBytes, edit.dataSize);
        Add({edit.texture.ChildSlot(), 4, i, Content::ChildSlot});
        if (edit.ownsPalette) {
            Add({CheckedAdd(edit.end, kPaletteBlockBytes), alphaSize, i, Content::AlphaNode});
        } else {
            Add({edit.end, CheckedAdd(kPaletteBlockBytes, alphaSize), i, Content::PaletteCopyAndAlphaNode});
            ++report_.palettesCopied;
        }
        ++report_.alphaNodesAdded;
    }

    void Add(Block block)
    {
        block.step = blocks_.size() + 1;
        blocks_.push_back(block);
    }

    // Sorts the blocks into file order and works out where everything stands in the result.
    void PlaceBlocks()
    {
        std::vector<std::int64_t> grown{loaded_.Size()}; // the length after each insertion
        for (const Block& block : blocks_) {
            grown.push_back(grown.back() + block.size);
        }
        // Later insertions in front of one byte stand in front of earlier ones.
        std::sort(blocks_.begin(), blocks_.end(), [](const Block& a, const Block& b) {
            return a.anchor != b.anchor ? a.anchor < b.anchor : a.step > b.step;
        });
        std::int64_t total = 0;
        for (const Block& block : blocks_) {
            anchors_.push_back(block.anchor);
            before_.push_back(total);
            total += block.size;
        }
        before_.push_back(total);
        length_ = CheckedAdd(loaded_.Size(), total);
        PlacePastEnd(grown);
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
    }

    // The final values of slots whose target lies past the loaded end but within the result.
    // Such a target t comes inside the file after insertion k, the first with grown[k] >= t;
    // from then on it is the byte at t of that file (or its end) and moves with that byte.
    // Slots are taken in order of k while the blocks' sizes enter a Fenwick tree in insertion
    // order, so each lookup sees exactly the blocks present after step k.
    void PlacePastEnd(const std::vector<std::int64_t>& grown)
    {
        struct Reached {
            std::size_t step;
            std::int64_t target;
            std::int32_t slot;
        };
        std::vector<Reached> reached;
        for (const std::int32_t slot : slots_) {
            const std::int64_t target = static_cast<std::int64_t>(loaded_.ReadLong(slot)) - g_;
            const auto k = static_cast<std::size_t>(std::lower_bound(grown.begin(), grown.end(), target) - grown.begin());
            if (target > loaded_.Size() && k + 1 < grown.size()) { // reached before the last insertion
                reached.push_back({k, target, slot});
            }
        }
        std::sort(reached.begin(), reached.end(), [](const Reached& a, const Reached& b) { return a.step < b.step; });
        std::vector<std::size_t> placeOfStep(blocks_.size() + 1);
        for (std::size_t i = 0; i < blocks_.size(); ++i) {
            placeOfStep[blocks_[i].step] = i;
        }
        Fenwick present(blocks_.size());
        std::size_t inserted = 0;
        for (const Reached& r : reached) {
            for (; inserted < r.step; ++inserted) {
                present.Add(placeOfStep[inserted + 1], blocks_[placeOfStep[inserted + 1]].size);
            }
            // Blocks in file order before the byte at target: the present ones that end at or
            // before it and the absent ones whose neighbours stand at or before it.
            std::size_t lo = 0;
            std::size_t hi = blocks_.size();
            while (lo < hi) {
                const std::size_t mid = (lo + hi) / 2;
                if (anchors_[mid] + present.Prefix(mid + 1) <= r.target) {
                    lo = mid + 1;
                } else {
                    hi = mid;
                }
            }
            const std::int64_t absent = before_[lo] - present.Prefix(lo);
            pastEnd_.emplace_back(r.slot, Pointer(r.target + absent));
        }
    }

    // Where loaded byte b stands in the result: behind every block in front of it or an
    // earlier byte.
    std::int64_t Moved(std::int64_t b) const
    {
        const auto after = std::upper_bound(anchors_.begin(), anchors_.end(), b);
        return b + before_[static_cast<std::size_t>(after - anchors_.begin())];
    }

    std::int32_t Pointer(std::int64_t offset) const { return CheckedAdd(offset, g_); }

    // The loaded bytes in front of each block, the block, and so on; a palette lit where it
    // stands replaces its loaded bytes.
    ComposedBytes Pieces() const
    {
        struct Lit {
            std::int32_t at;
            std::size_t edit;
        };
        std::vector<Lit> lit;
        for (std::size_t i = 0; illuminate_ && i < edits_.size(); ++i) {
            if (edits_[i].ownsPalette) {
                lit.push_back({edits_[i].palette, i});
            }
        }
        std::sort(lit.begin(), lit.end(), [](const Lit& a, const Lit& b) { return a.at < b.at; });
        const auto bytes = loaded_.Bytes();
        ComposedBytes out;
        std::int32_t copied = 0;
        auto copyTo = [&](std::int32_t to) {
            if (to < copied) {
                throw OptError("Internal error: new bytes placed inside a palette being lit.");
            }
            out.Append(bytes.subspan(static_cast<std::size_t>(copied), static_cast<std::size_t>(to - copied)));
            copied = to;
        };
        auto l = lit.begin();
        auto litBefore = [&](std::int32_t limit) {
            for (; l != lit.end() && l->at < limit; ++l) {
                copyTo(l->at);
                out.Append(kPaletteBlockBytes, LitPalette(edits_[l->edit]));
                copied += kPaletteBlockBytes;
            }
        };
        for (const Block& block : blocks_) {
            litBefore(block.anchor);
            copyTo(block.anchor);
            out.Append(block.size, Made(block));
        }
        litBefore(loaded_.Size());
        copyTo(loaded_.Size());
        return out;
    }

    // The edit's palette, lit, made from the loaded one.
    ComposedBytes::Maker LitPalette(const Edit& edit) const
    {
        return [palette = loaded_.View(edit.palette, kPaletteBlockBytes), colours = change_.colours](auto out) {
            std::copy(palette.begin(), palette.end(), out.begin());
            LightPalette(out, colours);
        };
    }

    // The bytes of a block, made when they are written.
    ComposedBytes::Maker Made(const Block& block) const
    {
        const Edit& edit = edits_[block.edit];
        if (block.content == Block::Content::ChildSlot) {
            return [alpha = Pointer(edit.alphaAt)](auto out) { codec::StoreLong(out.data(), alpha); };
        }
        if (block.content == Block::Content::PaletteCopy) {
            return LitPalette(edit);
        }
        const bool withPalette = block.content == Block::Content::PaletteCopyAndAlphaNode;
        return [withPalette, g = g_, alphaAt = static_cast<std::int32_t>(edit.alphaAt), dataSize = edit.dataSize,
                palette = loaded_.View(edit.palette, kPaletteBlockBytes),
                pixels = loaded_.View(edit.texture.WithChildCount(0).Pixels(), edit.dataSize),
                colours = change_.colours, opacity = change_.opacity](std::span<std::uint8_t> out) {
            if (withPalette) {
                std::copy(palette.begin(), palette.end(), out.begin());
                out = out.subspan(kPaletteBlockBytes);
            }
            WriteAlphaHeader(out.first(kAlphaHeaderBytes), alphaAt, dataSize, g);
            WriteOpacities(out.subspan(kAlphaHeaderBytes), pixels, palette.subspan(kPaletteShownRow, kPaletteRowBytes),
                           colours, opacity);
        };
    }

    // Every loaded slot designating a byte of the file moves with it.
    void SetPointers(ComposedBytes& out) const
    {
        const auto bytes = loaded_.Bytes();
        for (const std::int32_t slot : slots_) {
            const std::int32_t value = codec::LoadLong(bytes.data() + slot);
            if (PlaceOfTarget(value, g_, loaded_.Size()) == TargetPlace::InFile) {
                const std::int64_t moved = Moved(static_cast<std::int64_t>(value) - g_);
                Store(out, Moved(slot), Pointer(moved));
            }
        }
        for (const auto& [slot, value] : pastEnd_) {
            Store(out, Moved(slot), value);
        }
    }

    static void Store(ComposedBytes& out, std::int64_t offset, std::int32_t value)
    {
        std::uint8_t bytes[4];
        codec::StoreLong(bytes, value);
        out.Overwrite(offset, bytes);
    }

    // The texture's own fields.
    void Complete(ComposedBytes& out, const Edit& edit) const
    {
        const std::int32_t node = edit.texture.Offset();
        Store(out, Moved(edit.texture.PaletteSlot()), Pointer(edit.paletteAt));
        if (!illuminate_) {
            Store(out, Moved(node + kNodeCount), 1);
            Store(out, Moved(node + kChildTablePtr), Pointer(edit.childSlotAt));
        }
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
    std::vector<std::pair<std::int32_t, std::int32_t>> pastEnd_; // slot, final value
    std::int32_t length_ = 0;
    RewriteReport report_;
};

} // namespace

RewriteReport RunOnePass(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change)
{
    if (names.empty()) {
        RewriteReport report;
        return report;
    }
    OnePass pass(image, change);
    pass.Plan(names);
    return pass.Produce(image);
}

} // namespace lathwork
