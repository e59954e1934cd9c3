#include "modify/Rewrites.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"

#include <set>

namespace lathwork {

using namespace layout;

RewriteReport AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows)
{
    // The sets are numbered on the file as it stands and written afterwards: a set reached twice
    // keeps both numbers the set scan gave it, and the sets after it keep theirs.
    struct Sets : WalkVisitor {
        OptView bytes;
        std::set<int> selected;
        std::set<std::int32_t> chosen;
        int k = 0;
        Sets(OptView b, const std::vector<int>& rows)
            : WalkVisitor(WalkDepth::Leaves), bytes(b), selected(rows.begin(), rows.end())
        {
        }
        void Leaf(std::int32_t leaf, std::int32_t type) override
        {
            if (type == kTypeTextureSet && IsQualifyingSet(bytes, leaf) && selected.count(k++) != 0) {
                chosen.insert(leaf);
            }
        }
    } sets(image, selectedRows);
    NodeWalk(image, ReadPointerBase(image), sets);
    RewriteReport report;
    for (const std::int32_t set : sets.chosen) {
        image.WriteLong(CheckedAdd(set, kSetMode), kSetAnimated);
        image.WriteLong(CheckedAdd(set, kSetAnimationWord), 0);
        ++report.setsAnimated;
    }
    return report;
}

} // namespace lathwork
