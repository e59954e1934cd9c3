#include "modify/ModelFacts.hpp"

#include "imaging/TextureImage.hpp"
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"
#include "opt/Platform.hpp"
#include "opt/Layout.hpp"
#include "opt/NodeWalk.hpp"
#include "opt/Pointer.hpp"
#include "opt/TextureNode.hpp"

namespace lathwork {

using namespace layout;

namespace {

// Every texture set leaf, numbered as the set scan numbers the ones it lists.
std::vector<SetFacts> ReadSets(OptView bytes, std::int32_t g)
{
    struct Sets : WalkVisitor {
        OptView bytes;
        std::vector<SetFacts> sets;
        int k = 0;
        explicit Sets(OptView b) : WalkVisitor(WalkDepth::Leaves), bytes(b) {}
        void Leaf(std::int32_t leaf, std::int32_t type) override
        {
            if (type != kTypeTextureSet) {
                return;
            }
            SetFacts set;
            set.node = leaf;
            set.members = bytes.ReadLong(CheckedAdd(leaf, kNodeCount));
            set.mode = bytes.ReadLong(CheckedAdd(leaf, kSetMode));
            if (IsQualifyingSet(bytes, leaf)) {
                set.state = SetFacts::State::Animatable;
                set.number = ++k;
            } else if (set.members != 1 && set.mode == kSetAnimated) {
                set.state = SetFacts::State::Animated;
            }
            sets.push_back(set);
        }
    } sets(bytes);
    NodeWalk(bytes, g, sets);
    return sets.sets;
}

} // namespace

ModelFacts ReadWholeModel(const OptImage& image, SummaryDetail detail)
{
    ModelFacts facts;
    facts.size = image.Size();
    facts.globalOffset = ReadPointerBase(image);
    VisitTextures(image, facts.globalOffset, [&](std::int32_t node) {
        facts.textures.push_back({ReadTextureName(image, node), node, TextureNode::At(image, node).ChildCount(),
                                  ReadTextureSummary(image, facts.globalOffset, node, detail)});
    });
    facts.sets = ReadSets(image, facts.globalOffset);
    facts.cloaking = ScanCloakingDistances(image);
    return facts;
}

void CheckWholeModel(const OptImage& image, const std::filesystem::path& path)
{
    try {
        ReadWholeModel(image, SummaryDetail::Layout); // the colours of every palette are not needed
    } catch (const OptError& error) {
        throw OptError("Cannot modify " + platform::DisplayPath(path) + ": the model is damaged (" + error.what() +
                       "); nothing written.");
    }
}

} // namespace lathwork
