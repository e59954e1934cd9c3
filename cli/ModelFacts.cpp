#include "cli/ModelFacts.hpp"

namespace lathwork::cli {

ModelFacts ReadModelFacts(const OptImage& image)
{
    lathwork::ModelFacts facts = lathwork::ReadWholeModel(image);
    return {facts.size, facts.globalOffset, std::move(facts.textures), std::move(facts.sets),
            ShowDistances(facts.cloaking)};
}

} // namespace lathwork::cli
