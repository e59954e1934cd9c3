#include "opt/Scans.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"

namespace lathwork {

using namespace layout;

bool PassesNameFilter(const TextureName& name)
{
    const std::string_view head = std::string_view(name).substr(0, 3);
    return head == "Tex" || head == "TEX";
}

TextureName ReadTextureName(const OptImage& image, std::int32_t node)
{
    const auto bytes = image.View(CheckedAdd(node, kTextureName), kNameLength);
    return TextureName(bytes.begin(), bytes.end());
}

void ForEachSetMember(const OptImage& image, std::int32_t g, std::int32_t set,
                      const std::function<void(std::int32_t member)>& visit)
{
    const std::int32_t table = CheckedAdd(set, kInlineChildren);
    const std::int32_t n = CheckedCount(image, CheckedAdd(set, kNodeCount), table);
    for (std::int32_t i = 0; i < n; ++i) {
        visit(FileOffsetOf(image.ReadLong(table + 4LL * i), g));
    }
}

bool IsQualifyingSet(const OptImage& image, std::int32_t set)
{
    return image.ReadLong(CheckedAdd(set, kNodeCount)) != 1 &&
           image.ReadLong(CheckedAdd(set, kSetMode)) == kSetAnimatable;
}

namespace {

std::int32_t TypeOf(const OptImage& image, std::int32_t node)
{
    return image.ReadLong(CheckedAdd(node, kNodeType));
}

// Appends the node's name when it passes the filter. The filter looks at 3 bytes first; the
// whole name is read only when they pass.
void ListThroughFilter(const OptImage& image, std::int32_t node, std::vector<TextureName>& items)
{
    const auto head = image.View(CheckedAdd(node, kTextureName), 3);
    if (PassesNameFilter(TextureName(head.begin(), head.end()))) {
        items.push_back(ReadTextureName(image, node));
    }
}

// The leaf rule shared by the illumination and transparency scans. A texture met directly or as
// a member of a larger set must have no child when childless is set; the single member of a
// one-member set is listed without that test (and without looking at its type).
std::vector<TextureName> ScanTextures(const OptImage& image, bool childless)
{
    const std::int32_t g = ReadPointerBase(image);
    std::vector<TextureName> items;
    auto list = [&](std::int32_t texture) { ListThroughFilter(image, texture, items); };
    auto hasNoChild = [&](std::int32_t texture) {
        return !childless || image.ReadLong(CheckedAdd(texture, kNodeCount)) == 0;
    };
    NodeWalk(image, g, {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type == kTypeTexture) {
            if (hasNoChild(leaf)) {
                list(leaf);
            }
            return;
        }
        const std::int32_t s1 = image.ReadLong(CheckedAdd(leaf, kNodeCount));
        if (s1 == 1) {
            list(FileOffsetOf(image.ReadLong(CheckedAdd(leaf, kInlineChildren)), g));
            return;
        }
        const std::int32_t mode = image.ReadLong(CheckedAdd(leaf, kSetMode));
        if (mode != kSetAnimated && mode != kSetAnimatable) {
            return;
        }
        ForEachSetMember(image, g, leaf, [&](std::int32_t member) {
            if (TypeOf(image, member) == kTypeTexture && hasNoChild(member)) {
                list(member);
            }
        });
    }});
    return items;
}

} // namespace

std::vector<TextureName> ScanIlluminationTextures(const OptImage& image)
{
    return ScanTextures(image, false);
}

std::vector<TextureName> ScanTransparencyTextures(const OptImage& image)
{
    return ScanTextures(image, true);
}

std::vector<std::string> ScanTextureSets(const OptImage& image)
{
    const std::int32_t g = ReadPointerBase(image);
    std::vector<std::string> items;
    NodeWalk(image, g, {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type == kTypeTextureSet && IsQualifyingSet(image, leaf)) {
            items.push_back("Tex Set " + std::to_string(items.size() + 1));
        }
    }});
    return items;
}

std::vector<TextureName> ListSetTextures(const OptImage& image, int currentIndex)
{
    const std::int32_t g = ReadPointerBase(image);
    std::vector<TextureName> items;
    int k = 0;
    NodeWalk(image, g, {.onBranch = {}, .onLeaf = [&](std::int32_t leaf, std::int32_t type) {
        if (type != kTypeTextureSet || !IsQualifyingSet(image, leaf)) {
            return;
        }
        ++k;
        // Every qualifying set's members are looked at; only the current set's are listed.
        ForEachSetMember(image, g, leaf, [&](std::int32_t member) {
            const std::int32_t memberType = TypeOf(image, member);
            if ((memberType == kTypeTexture || memberType == kTypeTextureRef) && currentIndex == k - 1) {
                ListThroughFilter(image, member, items);
            }
        });
    }});
    return items;
}

} // namespace lathwork
