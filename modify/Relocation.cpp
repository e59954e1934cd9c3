#include "modify/Relocation.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

using namespace layout;

std::optional<std::int32_t> RelocatedValue(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length,
                                           const Insertion& insertion)
{
    // 64-bit: a value whose target cannot even be computed designates no byte of the file.
    const std::int64_t target = static_cast<std::int64_t>(ptrValue) - globalOffset;
    if (target < 0 || target > length || target < insertion.point) {
        return std::nullopt;
    }
    return CheckedAdd(ptrValue, insertion.size);
}

void RelocatePointer(OptImage& image, std::int32_t globalOffset, std::int32_t slotOffset, std::int32_t ptrValue,
                     const Insertion& insertion)
{
    if (const auto moved = RelocatedValue(ptrValue, globalOffset, image.Size(), insertion)) {
        image.WriteLong(slotOffset, *moved);
    }
}

std::int32_t NodeAt(std::int32_t pointer, std::int32_t globalOffset, std::int32_t slotOffset)
{
    if (pointer == 0) {
        throw OptError("The file is damaged: the node pointer at offset " + std::to_string(slotOffset) +
                       " is empty where a node must stand.");
    }
    return FileOffsetOf(pointer, globalOffset);
}

namespace {

// The fixed descent of the relocation walk. R() lists a slot; the walk follows the values it
// reads before anything is relocated, so every node is found at its present offset. With a
// survey it also notes each structure's bytes and the search's textures with what encloses them.
class SlotCollector {
public:
    SlotCollector(const OptImage& image, std::int32_t g, std::optional<std::int32_t> unfollowedChildOf,
                  WalkSurvey* survey)
        : image_(image), g_(g), unfollowed_(unfollowedChildOf), survey_(survey), budget_(image)
    {
    }

    std::vector<std::int32_t> Run()
    {
        R(kHeaderPointer);
        const std::int32_t tops = CheckedCount(image_, kTopNodeCount, kTopNodeTable);
        Note(0, kTopNodeTable + 4LL * std::max(tops, 0), WalkSurvey::Kind::Header);
        for (std::int32_t i = 0; i < tops; ++i) {
            const std::int32_t slot = kTopNodeTable + 4 * i;
            Top(Follow(slot));
        }
        std::sort(slots_.begin(), slots_.end());
        slots_.erase(std::unique(slots_.begin(), slots_.end()), slots_.end());
        return std::move(slots_);
    }

private:
    // The furthest end of the nodes and tables enclosing the current one, restored on leaving.
    class Enclosing {
    public:
        Enclosing(SlotCollector& walk, std::int64_t end) : walk_(walk), saved_(walk.enclosingEnd_)
        {
            walk.enclosingEnd_ = std::max(saved_, end);
        }
        ~Enclosing() { walk_.enclosingEnd_ = saved_; }
        Enclosing(const Enclosing&) = delete;
        Enclosing& operator=(const Enclosing&) = delete;

    private:
        SlotCollector& walk_;
        std::int64_t saved_;
    };

    std::int32_t At(std::int32_t node, std::int32_t field) const { return CheckedAdd(node, field); }
    std::int32_t Long(std::int32_t offset) const { return image_.ReadLong(offset); }

    void R(std::int32_t slot)
    {
        budget_.Spend();
        image_.ReadLong(slot); // a slot outside the file is damage, not something to skip
        slots_.push_back(slot);
    }

    // Lists the slot and returns the node its present value designates.
    std::int32_t Follow(std::int32_t slot)
    {
        const std::int32_t value = Long(slot);
        R(slot);
        budget_.Spend();
        return NodeAt(value, g_, slot);
    }

    void Note(std::int64_t start, std::int64_t end, WalkSurvey::Kind kind)
    {
        if (survey_ != nullptr) {
            survey_->extents.push_back({start, end, kind});
        }
    }

    static std::int64_t TableEnd(std::int32_t node, std::int32_t count)
    {
        return static_cast<std::int64_t>(node) + kInlineChildren + 4LL * std::max(count, 0);
    }

    void Top(std::int32_t top)
    {
        const std::int32_t table = At(top, kInlineChildren);
        const std::int32_t n = CheckedCount(image_, At(top, kNodeCount), table);
        Note(top, TableEnd(top, n), WalkSurvey::Kind::Node);
        const Enclosing enclosing(*this, TableEnd(top, n));
        R(At(top, kChildTablePtr));
        for (std::int32_t j = 0; j < n; ++j) {
            const std::int32_t slot = table + 4 * j;
            if (Long(slot) == 0) {
                continue;
            }
            const std::int32_t child = Follow(slot);
            if (Long(At(child, kNodeType)) != kTypeGroup) {
                R(At(child, kSlot20));
                Note(child, child + 24LL, WalkSurvey::Kind::Node);
                continue;
            }
            const std::int32_t selector = Long(At(child, kNodeCount));
            const std::int32_t branchSlot = GroupBranchSlot(selector);
            Note(child, child + std::max<std::int64_t>(24, branchSlot + 4), WalkSurvey::Kind::Node);
            R(At(child, kChildTablePtr));
            Branch(Follow(At(child, branchSlot)));
        }
    }

    void Branch(std::int32_t branch)
    {
        const std::int32_t n = Long(At(branch, kNodeCount));
        Note(branch, branch + 24LL, WalkSurvey::Kind::Node);
        R(At(branch, kSlot20)); // the distance table
        if (n <= 0) {
            R(At(branch, kChildTablePtr));
            return;
        }
        const std::int32_t table = Follow(At(branch, kChildTablePtr));
        CheckedCount(image_, At(branch, kNodeCount), table);
        Note(table, table + 4LL * n, WalkSurvey::Kind::Table);
        const Enclosing enclosing(*this, table + 4LL * n);
        for (std::int32_t k = 0; k < n; ++k) {
            Part(Follow(table + 4 * k));
        }
    }

    void Part(std::int32_t part)
    {
        const std::int32_t table = At(part, kInlineChildren);
        const std::int32_t n = CheckedCount(image_, At(part, kNodeCount), table);
        Note(part, TableEnd(part, n), WalkSurvey::Kind::Node);
        const Enclosing enclosing(*this, TableEnd(part, n));
        R(At(part, kChildTablePtr));
        for (std::int32_t m = 0; m < n; ++m) {
            const std::int32_t slot = table + 4 * m;
            if (Long(slot) == 0) {
                continue;
            }
            const std::int32_t leaf = Follow(slot);
            switch (Long(At(leaf, kNodeType))) {
            case kTypeTexture: Texture(leaf); break;
            case kTypeTextureRef:
            case kTypeLeaf1:
                R(At(leaf, kSlot20));
                Note(leaf, leaf + 24LL, WalkSurvey::Kind::Node);
                break;
            case kTypeTextureSet: Set(leaf); break;
            default: Note(leaf, leaf + 8LL, WalkSurvey::Kind::Node); break;
            }
        }
    }

    void Set(std::int32_t set)
    {
        const std::int32_t table = At(set, kInlineChildren);
        const std::int32_t count = Long(At(set, kNodeCount));
        if (count == 1) {
            Note(set, TableEnd(set, 1), WalkSurvey::Kind::Node);
            const Enclosing enclosing(*this, TableEnd(set, 1));
            R(At(set, kChildTablePtr));
            SingleMember(Follow(table));
            return;
        }
        const std::int32_t mode = Long(At(set, kSetMode));
        if (mode != kSetAnimated && mode != kSetAnimatable) {
            Note(set, set + 20LL, WalkSurvey::Kind::Node);
            return;
        }
        R(At(set, kChildTablePtr));
        const std::int32_t n = CheckedCount(image_, At(set, kNodeCount), table);
        Note(set, TableEnd(set, n), WalkSurvey::Kind::Node);
        const Enclosing enclosing(*this, TableEnd(set, n));
        for (std::int32_t q = 0; q < n; ++q) {
            const std::int32_t member = Follow(table + 4 * q);
            const std::int32_t type = Long(At(member, kNodeType));
            if (type == kTypeTexture) {
                Texture(member);
            } else if (type == kTypeTextureRef) {
                R(At(member, kSlot20));
                Note(member, member + 24LL, WalkSurvey::Kind::Node);
            } else {
                Note(member, member + 8LL, WalkSurvey::Kind::Node);
            }
        }
    }

    // The one member of a one-member set is taken as a texture without a type test. Its c is
    // read so that a member given a child by the transparency rewrite keeps all its pointers;
    // +0, +20 and +33 are listed whatever c holds.
    void SingleMember(std::int32_t member)
    {
        const std::int32_t c = Long(At(member, kNodeCount));
        if (c == 1) {
            Texture(member);
            return;
        }
        Candidate(member, c);
        R(member);
        R(At(member, kSlot20));
        R(At(member, kTextureChildren));
    }

    void Texture(std::int32_t texture)
    {
        R(texture); // node+0 is a stored pointer
        const std::int32_t c = Long(At(texture, kNodeCount));
        Candidate(texture, c);
        if (c == 0) {
            R(At(texture, kSlot20));
            R(At(texture, kPalettePtr));
        } else if (c == 1) {
            R(At(texture, kChildTablePtr));
            R(At(texture, kSlot20));
            R(At(texture, kPalettePtr + 4));
            if (unfollowed_ == texture) {
                R(At(texture, kTextureChildren));
            } else {
                const std::int32_t child = Follow(At(texture, kTextureChildren));
                Note(child, child + 24LL, WalkSurvey::Kind::Alpha);
                R(At(child, kSlot20));
            }
        }
    }

    // A texture the search considers: its header and pixel data, and its palette when the
    // rewrites read one (c = 0 or 1); only the header fields the walk reads otherwise.
    void Candidate(std::int32_t texture, std::int32_t c)
    {
        if (survey_ == nullptr) {
            return;
        }
        survey_->candidates.push_back({texture, enclosingEnd_});
        if (c != 0 && c != 1) {
            Note(texture, texture + static_cast<std::int64_t>(kTextureChildren) + 4, WalkSurvey::Kind::Node);
            return;
        }
        const std::int64_t dataSize = Long(At(texture, kDataSize + 4 * c));
        Note(texture, texture + static_cast<std::int64_t>(kPixels) + 4 * c + dataSize, WalkSurvey::Kind::Texture);
        const std::int64_t palette = static_cast<std::int64_t>(Long(At(texture, kPalettePtr + 4 * c))) - g_;
        Note(palette, palette + kPaletteBlockBytes, WalkSurvey::Kind::Palette);
    }

    const OptImage& image_;
    std::int32_t g_;
    std::optional<std::int32_t> unfollowed_;
    WalkSurvey* survey_;
    WalkBudget budget_;
    std::vector<std::int32_t> slots_;
    std::int64_t enclosingEnd_ = 0;
};

} // namespace

std::vector<std::int32_t> CollectPointerSlots(const OptImage& image, std::int32_t globalOffset,
                                              std::optional<std::int32_t> unfollowedChildOf, WalkSurvey* survey)
{
    return SlotCollector(image, globalOffset, unfollowedChildOf, survey).Run();
}

void RelocateSlots(OptImage& image, std::span<const std::int32_t> slots, std::int32_t globalOffset,
                   const Insertion& insertion)
{
    std::vector<std::int32_t> values;
    values.reserve(slots.size());
    for (const std::int32_t slot : slots) {
        values.push_back(image.ReadLong(slot));
    }
    for (std::size_t i = 0; i < slots.size(); ++i) {
        RelocatePointer(image, globalOffset, slots[i], values[i], insertion);
    }
}

void RelocationWalk(OptImage& image, std::int32_t globalOffset, const Insertion& insertion,
                    std::optional<std::int32_t> unfollowedChildOf)
{
    if (insertion.size <= 0 || insertion.point < 0 || insertion.point > image.Size()) {
        throw OptError("Cannot insert " + std::to_string(insertion.size) + " byte(s) at offset " +
                       std::to_string(insertion.point) + " of a file of " + std::to_string(image.Size()) +
                       " bytes.");
    }
    const auto slots = CollectPointerSlots(image, globalOffset, unfollowedChildOf);
    RelocateSlots(image, slots, globalOffset, insertion);
}

void InsertBytes(OptImage& image, std::int32_t insertionPoint, std::span<const std::uint8_t> bytes)
{
    image.Insert(insertionPoint, bytes);
}

} // namespace lathwork
