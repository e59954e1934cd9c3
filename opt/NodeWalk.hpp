#pragma once

#include "opt/OptImage.hpp"

#include <cstdint>
#include <functional>

namespace lathwork {

// Where the user of a walk acts. Offsets are file offsets of the node's first byte.
struct WalkHandlers {
    // Every BranchNode, before its parts are descended.
    std::function<void(std::int32_t branch)> onBranch;
    // Every leaf whose NodeType is 20 (texture) or 24 (texture set). When empty, the walk
    // stops at the branch level and reads no part node.
    std::function<void(std::int32_t leaf, std::int32_t nodeType)> onLeaf;
};

// The fixed descent from the header through top, group, branch and part nodes to the leaves,
// in file-table order, depth first. Child pointers are read at the moment the walk reaches
// them, so a handler that changes the image is seen by the rest of the walk; the offsets of
// enclosing nodes and the loop counts are taken when the walk enters a node.
//
// A damaged file gives OptError: a pointer or table outside the file, offset arithmetic past
// 32 bits, or more work than a model of this size can need (nodes pointing at each other).
void NodeWalk(const OptImage& image, std::int32_t globalOffset, const WalkHandlers& handlers);

// The group-node slot that holds the branch pointer for a selector: +24, +32, +36 for 1, 3, 4,
// and +20 for every other value (2 included).
std::int32_t GroupBranchSlot(std::int32_t selector);

// Reads the count of a table of 4-byte entries starting at tableOffset, and throws when a
// positive count would run past the end of the image. Counts of 0 or less mean "no entries".
std::int32_t CheckedCount(const OptImage& image, std::int64_t countOffset, std::int64_t tableOffset);

// A limit on the work of one walk, proportional to the file's size. A legal model visits each
// of its slots a few times at most; a damaged one whose nodes point at each other is stopped.
class WalkBudget {
public:
    explicit WalkBudget(const OptImage& image);
    // Spends n steps; throws OptError when the budget is exhausted.
    void Spend(std::int64_t n = 1);

private:
    std::int64_t left_;
};

} // namespace lathwork
