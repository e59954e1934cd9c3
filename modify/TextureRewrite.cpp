#include "modify/TextureRewrite.hpp"

#include "modify/IndexPlan.hpp"
#include "modify/IndexedStore.hpp"
#include "modify/TextureSearch.hpp"

#include <unordered_map>
#include <unordered_set>

namespace lathwork {

namespace {

RewriteReport RunWalking(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change)
{
    WalkingStore store(image);
    RewriteReport report;
    for (const TextureName& name : names) {
        const int found = ForEachTextureNamed(image, name, [&](std::int32_t node) {
            if (change(node, store)) {
                ++report.texturesChanged;
            }
        });
        if (found == 0) {
            report.notFound.push_back(name);
        }
    }
    return report;
}

RewriteReport RunIndexed(OptImage& image, const std::vector<TextureName>& names, const IndexPlan& plan,
                         const TextureChange& change, const TextureGrowth& growth)
{
    // Names never change during a rewrite, so the textures carrying each are known up front;
    // they are found again through the shift map, wherever earlier insertions moved them.
    std::unordered_map<TextureName, std::vector<std::int32_t>> byName;
    for (const std::int32_t node : plan.candidates) {
        byName[ReadTextureName(image, node)].push_back(node);
    }
    std::unordered_set<std::int32_t> selected;
    std::int64_t size = image.Size();
    for (const TextureName& name : names) {
        if (const auto found = byName.find(name); found != byName.end()) {
            for (const std::int32_t node : found->second) {
                size += selected.insert(node).second ? growth(node) : 0;
            }
        }
    }
    image.Reserve(size);
    IndexedStore store(image, plan.globalOffset, plan.slots);
    RewriteReport report;
    report.indexed = true;
    for (const TextureName& name : names) {
        const auto found = byName.find(name);
        if (found == byName.end()) {
            report.notFound.push_back(name);
            continue;
        }
        for (const std::int32_t loaded : found->second) {
            if (change(store.OffsetOf(loaded), store)) {
                ++report.texturesChanged;
            }
        }
    }
    store.Finish();
    return report;
}

} // namespace

RewriteReport RunTextureRewrite(OptImage& image, const std::vector<TextureName>& names, RewriteEngine engine,
                                const TextureChange& change, const TextureGrowth& growth)
{
    if (engine == RewriteEngine::Indexed && !names.empty()) {
        if (const auto plan = PlanIndexedRewrite(image)) {
            return RunIndexed(image, names, *plan, change, growth);
        }
    }
    return RunWalking(image, names, change);
}

} // namespace lathwork
