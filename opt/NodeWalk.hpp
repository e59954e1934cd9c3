#pragma once

#include "opt/OptView.hpp"

#include <cstdint>

namespace lathwork {

// How far down a walk goes; each depth includes the ones before it.
enum class WalkDepth {
    Branches,        // header, top nodes, group nodes, branch nodes
    Leaves,          // their part nodes and every leaf of those
    SetMembers,      // the members of texture sets, and every node taken as a texture
    TextureChildren, // the child of every texture with c = 1
};

// How a texture was reached.
enum class TextureRoute {
    Leaf,       // a part node's leaf of NodeType 20
    OnlyMember, // the single member of a one-member set, its NodeType not looked at
    Member,     // a member of NodeType 20 of a larger set whose SetMode is 0 or 1
};

// The places where the user of a walk acts. Offsets are file offsets of the node's first byte;
// every place does nothing unless overridden.
class WalkVisitor {
public:
    explicit WalkVisitor(WalkDepth depth) : depth_(depth) {}
    virtual ~WalkVisitor() = default;
    WalkDepth Depth() const { return depth_; }

    // The header, with the number of top nodes it lists.
    virtual void Header(std::int32_t /*topCount*/) {}
    // A pointer slot the walk is about to follow (read just before the node it designates).
    virtual void Following(std::int32_t /*slot*/) {}
    virtual void TopNode(std::int32_t /*top*/, std::int32_t /*childCount*/) {}
    // A non-null child of a top node whose NodeType is not 0: the walk goes no further there.
    virtual void OtherTopChild(std::int32_t /*child*/) {}
    // A group node (a top node's child of NodeType 0) and the slot its selector picks.
    virtual void GroupSelector(std::int32_t /*group*/, std::int32_t /*branchSlot*/) {}
    virtual void Branch(std::int32_t /*branch*/) {}
    // The table of a branch's part nodes (read only when count > 0).
    virtual void BranchParts(std::int32_t /*table*/, std::int32_t /*count*/) {}
    virtual void Part(std::int32_t /*part*/, std::int32_t /*childCount*/) {}
    // A non-null child of a part node, whatever its NodeType.
    virtual void Leaf(std::int32_t /*leaf*/, std::int32_t /*type*/) {}
    // A texture set whose members the walk visits: count 1, or SetMode 0 or 1.
    virtual void TextureSet(std::int32_t /*set*/, std::int32_t /*count*/) {}
    // A member of a set of count other than 1 and SetMode 0 or 1, whatever its NodeType.
    virtual void SetMember(std::int32_t /*member*/, std::int32_t /*type*/) {}
    // Every node the format takes as a texture.
    virtual void Texture(std::int32_t /*texture*/, TextureRoute /*route*/) {}
    // Whether the walk goes on to this texture's child when it has one (TextureChildren only).
    virtual bool FollowsChildOf(std::int32_t /*texture*/) { return true; }
    // The child of a texture with c = 1.
    virtual void TextureChild(std::int32_t /*child*/) {}

private:
    WalkDepth depth_;
};

// The one descent of the node tree, from the header through top, group, branch and part nodes
// to the leaves, set members and texture children, in file-table order, depth first. The
// bytes must not change while it runs.
//
// A damaged file gives OptError: a pointer or table outside the file, offset arithmetic past
// 32 bits, or more work than a model of this size can need (nodes pointing at each other).
void NodeWalk(OptView bytes, std::int32_t globalOffset, WalkVisitor& visitor);

// Walks to the leaves and calls visit(texture, route) for every node taken as a texture.
template <typename Visit>
void ForEachTexture(OptView bytes, std::int32_t globalOffset, Visit visit)
{
    struct Textures : WalkVisitor {
        Visit& visit;
        explicit Textures(Visit& v) : WalkVisitor(WalkDepth::SetMembers), visit(v) {}
        void Texture(std::int32_t texture, TextureRoute route) override { visit(texture, route); }
    } textures(visit);
    NodeWalk(bytes, globalOffset, textures);
}

// The group-node slot that holds the branch pointer for a selector: +24, +32, +36 for 1, 3, 4,
// and +20 for every other value (2 included).
std::int32_t GroupBranchSlot(std::int32_t selector);

// Reads the count of a table of 4-byte entries starting at tableOffset, and throws when a
// positive count would run past the end of the file. Counts of 0 or less mean "no entries".
std::int32_t CheckedCount(OptView bytes, std::int64_t countOffset, std::int64_t tableOffset);

// A limit on the work of one walk, proportional to the file's size. A legal model visits each
// of its slots a few times at most; a damaged one whose nodes point at each other is stopped.
class WalkBudget {
public:
    explicit WalkBudget(OptView bytes);
    // Spends n steps; throws OptError when the budget is exhausted.
    void Spend(std::int64_t n = 1);

private:
    std::int64_t left_;
};

} // namespace lathwork
