#include "modify/Relocation.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

#include <algorithm>
#include <string>

namespace lathwork {

using namespace layout;

void CheckInsertion(const Insertion& insertion, std::int32_t length)
{
    if (insertion.size <= 0 || insertion.point < 0 || insertion.point > length) {
        throw OptError("Cannot insert " + std::to_string(insertion.size) + " byte(s) at offset " +
                       std::to_string(insertion.point) + " of a file of " + std::to_string(length) + " bytes.");
    }
}

TargetPlace PlaceOfTarget(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length)
{
    // 64-bit: a value whose target cannot even be computed designates no byte of the file.
    const std::int64_t target = static_cast<std::int64_t>(ptrValue) - globalOffset;
    return target < 0 ? TargetPlace::BeforeFile : target > length ? TargetPlace::PastEnd : TargetPlace::InFile;
}

std::optional<std::int32_t> RelocatedValue(std::int32_t ptrValue, std::int32_t globalOffset, std::int32_t length,
                                           const Insertion& insertion)
{
    if (PlaceOfTarget(ptrValue, globalOffset, length) != TargetPlace::InFile ||
        static_cast<std::int64_t>(ptrValue) - globalOffset < insertion.point) {
        return std::nullopt;
    }
    return CheckedAdd(ptrValue, insertion.size);
}

namespace {

// Runs kRelocatedSlots on the one descent: at every node it lists the node's fixed slots of
// the table, and every slot the walk follows. With a survey it also notes each structure's
// bytes and the textures in walk order.
class SlotCollector final : public WalkVisitor {
public:
    SlotCollector(OptView bytes, std::int32_t g, std::optional<std::int32_t> unfollowedChildOf, WalkSurvey* survey)
        : WalkVisitor(WalkDepth::TextureChildren), bytes_(bytes), g_(g), unfollowed_(unfollowedChildOf),
          survey_(survey)
    {
    }

    std::vector<std::int32_t> Run()
    {
        NodeWalk(bytes_, g_, *this);
        std::sort(slots_.begin(), slots_.end());
        slots_.erase(std::unique(slots_.begin(), slots_.end()), slots_.end());
        return std::move(slots_);
    }

    void Header(std::int32_t topCount) override
    {
        Owner(SlotOwner::Header, 0);
        Note(0, kTopNodeTable + 4LL * std::max(topCount, 0), WalkSurvey::Kind::Header);
    }

    void Following(std::int32_t slot) override
    {
        // Where the format allows an empty slot the walk skips it; everywhere else a null
        // pointer designates no node here.
        if (bytes_.ReadLong(slot) == 0) {
            throw OptError("The file is damaged: the node pointer at offset " + std::to_string(slot) +
                           " is empty where a node must stand.");
        }
        List(slot);
    }

    void TopNode(std::int32_t top, std::int32_t count) override
    {
        Owner(SlotOwner::TopNode, top);
        Note(top, TableEnd(top, count), WalkSurvey::Kind::Node);
    }

    void OtherTopChild(std::int32_t child) override
    {
        Owner(SlotOwner::OtherTopChild, child);
        Note(child, child + kHeader, WalkSurvey::Kind::Node);
    }

    void GroupSelector(std::int32_t group, std::int32_t branchSlot) override
    {
        Owner(SlotOwner::Group, group);
        Note(group, std::max<std::int64_t>(group + kHeader, branchSlot + 4LL), WalkSurvey::Kind::Node);
    }

    void Branch(std::int32_t branch) override
    {
        Owner(SlotOwner::Branch, branch);
        Note(branch, branch + kHeader, WalkSurvey::Kind::Node);
    }

    void BranchParts(std::int32_t table, std::int32_t count) override
    {
        Note(table, table + 4LL * count, WalkSurvey::Kind::Table);
    }

    void Part(std::int32_t part, std::int32_t count) override
    {
        Owner(SlotOwner::Part, part);
        Note(part, TableEnd(part, count), WalkSurvey::Kind::Node);
    }

    void Leaf(std::int32_t leaf, std::int32_t type) override
    {
        switch (type) {
        case kTypeTexture: break; // at Texture
        case kTypeTextureSet: Note(leaf, leaf + kHeader, WalkSurvey::Kind::Node); break;
        case kTypeTextureRef: Referring(SlotOwner::TextureRef, leaf); break;
        case kTypeLeaf1: Referring(SlotOwner::Leaf1, leaf); break;
        default: Note(leaf, leaf + 8LL, WalkSurvey::Kind::Node); break;
        }
    }

    void TextureSet(std::int32_t set, std::int32_t count) override
    {
        Owner(SlotOwner::TextureSet, set);
        Note(set + std::int64_t{kInlineChildren}, TableEnd(set, count), WalkSurvey::Kind::Table);
    }

    void SetMember(std::int32_t member, std::int32_t type) override
    {
        if (type == kTypeTextureRef) {
            Referring(SlotOwner::TextureRef, member);
        } else if (type != kTypeTexture) {
            Note(member, member + 8LL, WalkSurvey::Kind::Node); // only its type is read
        }
    }

    void Texture(std::int32_t texture, TextureRoute route) override
    {
        const std::int32_t c = bytes_.ReadLong(CheckedAdd(texture, kNodeCount));
        const SlotOwner owner = c == 1                                   ? SlotOwner::TextureWithChild
                                : c == 0 || route == TextureRoute::OnlyMember ? SlotOwner::Texture
                                                                         : SlotOwner::OtherTexture;
        Owner(owner, texture);
        if (survey_ != nullptr) {
            survey_->textures.push_back(texture);
            SurveyTexture(texture);
        }
    }

    bool FollowsChildOf(std::int32_t texture) override { return unfollowed_ != texture; }

    void TextureChild(std::int32_t child) override
    {
        Owner(SlotOwner::Alpha, child);
        Note(child, child + kHeader, WalkSurvey::Kind::Alpha);
    }

private:
    static constexpr std::int64_t kHeader = kNodeHeaderBytes;

    static std::int64_t TableEnd(std::int32_t node, std::int32_t count)
    {
        return static_cast<std::int64_t>(node) + kInlineChildren + 4LL * std::max(count, 0);
    }

    // A slot outside the file is damage, not something to skip.
    void List(std::int32_t slot)
    {
        bytes_.ReadLong(slot);
        slots_.push_back(slot);
    }

    // Lists the fixed slots kRelocatedSlots gives the owner; the followed ones come through
    // Following.
    void Owner(SlotOwner owner, std::int32_t node)
    {
        for (const RelocatedSlot& row : kRelocatedSlots) {
            if (row.owner == owner && row.field != SlotField::Followed) {
                List(FieldOffset(owner, node, row.field));
            }
        }
    }

    std::int32_t FieldOffset(SlotOwner owner, std::int32_t node, SlotField field) const
    {
        // Texture fields as laid out for the owner: the single member of a one-member set is
        // taken as c = 0 whatever its c (unless it is 1).
        auto texture = [&] {
            return TextureNode::At(bytes_, node).WithChildCount(owner == SlotOwner::TextureWithChild ? 1 : 0);
        };
        switch (field) {
        case SlotField::HeaderPointer: return kHeaderPointer;
        case SlotField::Head: return CheckedAdd(node, kHeadPointer);
        case SlotField::ChildTable: return CheckedAdd(node, kChildTablePtr);
        case SlotField::Data: return CheckedAdd(node, kDataPtr);
        case SlotField::Palette: return texture().PaletteSlot();
        case SlotField::Child: return texture().ChildSlot();
        case SlotField::Followed: break;
        }
        throw OptError("A followed slot has no fixed place.");
    }

    // A reference or type-1 leaf: a 24-byte node whose +20 is a pointer.
    void Referring(SlotOwner owner, std::int32_t node)
    {
        Owner(owner, node);
        Note(node, node + kHeader, WalkSurvey::Kind::Node);
    }

    void Note(std::int64_t start, std::int64_t end, WalkSurvey::Kind kind)
    {
        if (survey_ != nullptr && end > start) {
            survey_->extents.push_back({start, end, kind});
        }
    }

    // The texture's header and pixel data, and its palette when the rewrites read one (c = 0 or
    // 1); only the header fields the walk reads otherwise.
    void SurveyTexture(std::int32_t offset)
    {
        const TextureNode texture = TextureNode::At(bytes_, offset);
        if (!texture.HasKnownLayout()) {
            // Its header up to the palette slot it would have with no child.
            Note(offset, texture.WithChildCount(0).PaletteSlot() + 4LL, WalkSurvey::Kind::Node);
            return;
        }
        const std::int64_t dataSize = bytes_.ReadLong(texture.DataSizeField());
        survey_->extents.push_back({offset, texture.Pixels() + dataSize, WalkSurvey::Kind::Texture});
        const std::int64_t palette = static_cast<std::int64_t>(bytes_.ReadLong(texture.PaletteSlot())) - g_;
        survey_->extents.push_back({palette, palette + kPaletteBlockBytes, WalkSurvey::Kind::Palette});
    }

    OptView bytes_;
    std::int32_t g_;
    std::optional<std::int32_t> unfollowed_;
    WalkSurvey* survey_;
    std::vector<std::int32_t> slots_;
};

} // namespace

std::vector<std::int32_t> CollectPointerSlots(OptView bytes, std::int32_t globalOffset,
                                              std::optional<std::int32_t> unfollowedChildOf, WalkSurvey* survey)
{
    return SlotCollector(bytes, globalOffset, unfollowedChildOf, survey).Run();
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
        if (const auto moved = RelocatedValue(values[i], globalOffset, image.Size(), insertion)) {
            image.WriteLong(slots[i], *moved);
        }
    }
}

void RelocationWalk(OptImage& image, std::int32_t globalOffset, const Insertion& insertion,
                    std::optional<std::int32_t> unfollowedChildOf)
{
    CheckInsertion(insertion, image.Size());
    const auto slots = CollectPointerSlots(image, globalOffset, unfollowedChildOf);
    RelocateSlots(image, slots, globalOffset, insertion);
}

void InsertBytes(OptImage& image, std::int32_t insertionPoint, std::span<const std::uint8_t> bytes)
{
    image.Insert(insertionPoint, bytes);
}

} // namespace lathwork
