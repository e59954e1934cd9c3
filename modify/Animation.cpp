#include "modify/Rewrites.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"

#include <set>

namespace lathwork {

using namespace layout;

void AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows)
{
    const std::set<int> selected(selectedRows.begin(), selectedRows.end());
    // The sets are numbered on the file as it stands and written afterwards: a set reached twice
    // keeps both numbers the set scan gave it, and the sets after it keep theirs.
    std::vector<std::int32_t> chosen;
    int k = 0;
    NodeWalk(image, ReadPointerBase(image), {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type == kTypeTextureSet && IsQualifyingSet(image, leaf)) {
            ++k;
            if (selected.count(k - 1) != 0) {
                chosen.push_back(leaf);
            }
        }
    }});
    for (const std::int32_t set : chosen) {
        image.WriteLong(CheckedAdd(set, kSetMode), kSetAnimated);
        image.WriteLong(CheckedAdd(set, kSlot20), 0);
    }
}

} // namespace lathwork
