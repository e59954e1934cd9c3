#include "opt/NodeWalk.hpp"

#include "opt/Layout.hpp"
#include "opt/OptError.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

#include <string>

namespace lathwork {

using namespace layout;

WalkBudget::WalkBudget(OptView bytes) : left_(2 * static_cast<std::int64_t>(bytes.Size()) + 65536) {}

void WalkBudget::Spend(std::int64_t n)
{
    left_ -= n;
    if (left_ < 0) {
        throw OptError("The file is damaged: its nodes refer to each other in a loop "
                       "(the walk visited far more nodes than the file can hold).");
    }
}

std::int32_t CheckedCount(OptView bytes, std::int64_t countOffset, std::int64_t tableOffset)
{
    const std::int32_t count = bytes.ReadLong(countOffset);
    if (count <= 0) {
        return count;
    }
    if (tableOffset < 0 || tableOffset + 4 * static_cast<std::int64_t>(count) > bytes.Size()) {
        throw OptError("The file is damaged: a table of " + std::to_string(count) +
                       " entries at offset " + std::to_string(tableOffset) +
                       " runs past the end of the file (" + std::to_string(bytes.Size()) + " bytes).");
    }
    return count;
}

std::int32_t GroupBranchSlot(std::int32_t selector)
{
    switch (selector) {
    case 1: return 24;
    case 3: return 32;
    case 4: return 36;
    default: return kGroupDefaultBranchSlot;
    }
}

namespace {

// The levels of the descent. Counts and the offsets of enclosing nodes are read once, when the
// walk enters a node; a count of 0 or less visits nothing.
class Descent {
public:
    Descent(OptView bytes, std::int32_t g, WalkVisitor& visitor)
        : bytes_(bytes), g_(g), v_(visitor), depth_(visitor.Depth()), budget_(bytes)
    {
    }

    void Header()
    {
        const std::int32_t tops = CheckedCount(bytes_, kTopNodeCount, kTopNodeTable);
        v_.Header(tops);
        for (std::int32_t i = 0; i < tops; ++i) {
            TopNode(Follow(kTopNodeTable + 4 * i)); // not tested for 0
        }
    }

private:
    std::int32_t Long(std::int32_t node, std::int32_t field) const { return bytes_.ReadLong(CheckedAdd(node, field)); }

    // Reports the slot and returns the offset of the node its value designates.
    std::int32_t Follow(std::int32_t slot)
    {
        budget_.Spend();
        v_.Following(slot);
        return FileOffsetOf(bytes_.ReadLong(slot), g_);
    }

    void TopNode(std::int32_t top)
    {
        const std::int32_t table = CheckedAdd(top, kInlineChildren);
        const std::int32_t n = CheckedCount(bytes_, CheckedAdd(top, kNodeCount), table);
        v_.TopNode(top, n);
        for (std::int32_t j = 0; j < n; ++j) {
            budget_.Spend();
            const std::int32_t slot = table + 4 * j;
            if (bytes_.ReadLong(slot) == 0) {
                continue; // an empty slot
            }
            const std::int32_t child = Follow(slot);
            if (Long(child, kNodeType) != kTypeGroup) {
                v_.OtherTopChild(child);
                continue;
            }
            const std::int32_t branchSlot = CheckedAdd(child, GroupBranchSlot(Long(child, kNodeCount)));
            v_.GroupSelector(child, branchSlot);
            Branch(Follow(branchSlot));
        }
    }

    void Branch(std::int32_t branch)
    {
        v_.Branch(branch);
        if (depth_ == WalkDepth::Branches) {
            return;
        }
        const std::int32_t n = Long(branch, kNodeCount);
        if (n <= 0) {
            return;
        }
        const std::int32_t table = Follow(CheckedAdd(branch, kChildTablePtr));
        CheckedCount(bytes_, CheckedAdd(branch, kNodeCount), table);
        v_.BranchParts(table, n);
        for (std::int32_t k = 0; k < n; ++k) {
            Part(Follow(table + 4 * k)); // not tested for 0
        }
    }

    void Part(std::int32_t part)
    {
        const std::int32_t table = CheckedAdd(part, kInlineChildren);
        const std::int32_t n = CheckedCount(bytes_, CheckedAdd(part, kNodeCount), table);
        v_.Part(part, n);
        for (std::int32_t m = 0; m < n; ++m) {
            budget_.Spend();
            const std::int32_t slot = table + 4 * m;
            if (bytes_.ReadLong(slot) == 0) {
                continue; // an empty slot
            }
            const std::int32_t leaf = Follow(slot);
            const std::int32_t type = Long(leaf, kNodeType);
            v_.Leaf(leaf, type);
            if (depth_ < WalkDepth::SetMembers) {
                continue;
            }
            if (type == kTypeTexture) {
                Texture(leaf, TextureRoute::Leaf);
            } else if (type == kTypeTextureSet) {
                Set(leaf);
            }
        }
    }

    void Set(std::int32_t set)
    {
        const std::int32_t table = CheckedAdd(set, kInlineChildren);
        if (Long(set, kNodeCount) == 1) {
            v_.TextureSet(set, 1);
            Texture(Follow(table), TextureRoute::OnlyMember);
            return;
        }
        const std::int32_t mode = Long(set, kSetMode);
        if (mode != kSetAnimated && mode != kSetAnimatable) {
            return;
        }
        const std::int32_t n = CheckedCount(bytes_, CheckedAdd(set, kNodeCount), table);
        v_.TextureSet(set, n);
        for (std::int32_t q = 0; q < n; ++q) {
            const std::int32_t member = Follow(table + 4 * q); // not tested for 0
            const std::int32_t type = Long(member, kNodeType);
            v_.SetMember(member, type);
            if (type == kTypeTexture) {
                Texture(member, TextureRoute::Member);
            }
        }
    }

    void Texture(std::int32_t texture, TextureRoute route)
    {
        v_.Texture(texture, route);
        if (depth_ < WalkDepth::TextureChildren) {
            return;
        }
        const TextureNode node = TextureNode::At(bytes_, texture);
        if (node.ChildCount() == 1 && v_.FollowsChildOf(texture)) {
            v_.TextureChild(Follow(node.ChildSlot()));
        }
    }

    OptView bytes_;
    std::int32_t g_;
    WalkVisitor& v_;
    WalkDepth depth_;
    WalkBudget budget_;
};

} // namespace

void NodeWalk(OptView bytes, std::int32_t globalOffset, WalkVisitor& visitor)
{
    Descent(bytes, globalOffset, visitor).Header();
}

} // namespace lathwork
