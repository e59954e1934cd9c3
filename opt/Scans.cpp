#include "opt/Scans.hpp"

#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

namespace lathwork {

using namespace layout;

bool PassesNameFilter(const TextureName& name)
{
    const std::string_view head = std::string_view(name).substr(0, 3);
    return head == "Tex" || head == "TEX";
}

TextureName ReadTextureName(OptView bytes, std::int32_t node)
{
    const auto name = bytes.View(CheckedAdd(node, kTextureName), kNameLength);
    return TextureName(name.begin(), name.end());
}

bool IsQualifyingSet(OptView bytes, std::int32_t set)
{
    return bytes.ReadLong(CheckedAdd(set, kNodeCount)) != 1 &&
           bytes.ReadLong(CheckedAdd(set, kSetMode)) == kSetAnimatable;
}

namespace {

// Appends the node's name when it passes the filter. The filter looks at 3 bytes first; the
// whole name is read only when they pass.
void ListThroughFilter(OptView bytes, std::int32_t node, std::vector<TextureName>& items)
{
    const auto head = bytes.View(CheckedAdd(node, kTextureName), 3);
    if (PassesNameFilter(TextureName(head.begin(), head.end()))) {
        items.push_back(ReadTextureName(bytes, node));
    }
}

// The leaf rule shared by the illumination and transparency scans: every node taken as a
// texture. With childless, a texture met directly or as a member of a larger set must have no
// child; the single member of a one-member set is listed without that test.
std::vector<TextureName> ScanTextures(OptView bytes, bool childless)
{
    std::vector<TextureName> items;
    ForEachTexture(bytes, ReadPointerBase(bytes), [&](std::int32_t texture, TextureRoute route) {
        if (!childless || route == TextureRoute::OnlyMember || TextureNode::At(bytes, texture).ChildCount() == 0) {
            ListThroughFilter(bytes, texture, items);
        }
    });
    return items;
}

} // namespace

std::vector<TextureName> ScanIlluminationTextures(OptView bytes)
{
    return ScanTextures(bytes, false);
}

std::vector<TextureName> ScanTransparencyTextures(OptView bytes)
{
    return ScanTextures(bytes, true);
}

std::vector<std::string> ScanTextureSets(OptView bytes)
{
    struct Sets : WalkVisitor {
        OptView bytes;
        std::vector<std::string> items;
        explicit Sets(OptView b) : WalkVisitor(WalkDepth::Leaves), bytes(b) {}
        void Leaf(std::int32_t leaf, std::int32_t type) override
        {
            if (type == kTypeTextureSet && IsQualifyingSet(bytes, leaf)) {
                items.push_back("Tex Set " + std::to_string(items.size() + 1));
            }
        }
    } sets(bytes);
    NodeWalk(bytes, ReadPointerBase(bytes), sets);
    return sets.items;
}

std::vector<TextureName> ListSetTextures(OptView bytes, int currentIndex)
{
    // Sets are counted as the set scan counts them; only the current set's members are listed.
    struct Members : WalkVisitor {
        OptView bytes;
        int currentIndex;
        int k = 0;
        bool inCurrent = false;
        std::vector<TextureName> items;
        Members(OptView b, int current) : WalkVisitor(WalkDepth::SetMembers), bytes(b), currentIndex(current) {}
        void Leaf(std::int32_t leaf, std::int32_t type) override
        {
            inCurrent = false;
            if (type == kTypeTextureSet && IsQualifyingSet(bytes, leaf)) {
                inCurrent = ++k - 1 == currentIndex;
            }
        }
        void SetMember(std::int32_t member, std::int32_t type) override
        {
            if (inCurrent && (type == kTypeTexture || type == kTypeTextureRef)) {
                ListThroughFilter(bytes, member, items);
            }
        }
    } members(bytes, currentIndex);
    NodeWalk(bytes, ReadPointerBase(bytes), members);
    return members.items;
}

} // namespace lathwork
