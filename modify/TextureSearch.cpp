#include "modify/TextureSearch.hpp"

#include "modify/Relocation.hpp"
#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"

#include <string_view>

namespace lathwork {

using namespace layout;

void ForEachCandidate(const OptImage& image, const std::function<void(std::int32_t)>& visit)
{
    const std::int32_t g = ReadPointerBase(image);
    auto member = [&](std::int32_t slot) { return NodeAt(image.ReadLong(slot), g, slot); };

    NodeWalk(image, g, {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type == kTypeTexture) {
            visit(leaf);
            return;
        }
        const std::int32_t table = CheckedAdd(leaf, kInlineChildren);
        if (image.ReadLong(CheckedAdd(leaf, kNodeCount)) == 1) {
            visit(member(table));
            return;
        }
        const std::int32_t mode = image.ReadLong(CheckedAdd(leaf, kSetMode));
        if (mode != kSetAnimated && mode != kSetAnimatable) {
            return;
        }
        const std::int32_t n = CheckedCount(image, CheckedAdd(leaf, kNodeCount), table);
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t x = member(table + 4 * i);
            if (image.ReadLong(CheckedAdd(x, kNodeType)) == kTypeTexture) {
                visit(x);
            }
        }
    }});
}

int ForEachTextureNamed(OptImage& image, const TextureName& name, const std::function<void(std::int32_t)>& change)
{
    int found = 0;
    ForEachCandidate(image, [&](std::int32_t texture) {
        const auto stored = image.View(CheckedAdd(texture, kTextureName), kNameLength);
        if (std::string_view(reinterpret_cast<const char*>(stored.data()), stored.size()) == name) {
            ++found;
            change(texture);
        }
    });
    return found;
}

} // namespace lathwork
