#pragma once

#include "cli/CloakingBoxes.hpp"
#include "modify/ModelFacts.hpp"

namespace lathwork::cli {

using lathwork::SetFacts;
using lathwork::TextureFacts;

// What info tells about a model (read in the core, see lathwork::ReadWholeModel), the cloaking
// distances as the window's boxes show them.
struct ModelFacts {
    std::int64_t size = 0;
    std::int32_t globalOffset = 0;
    std::vector<TextureFacts> textures;
    std::vector<SetFacts> sets;
    ShownDistances cloaking;
};

ModelFacts ReadModelFacts(const OptImage& image);

} // namespace lathwork::cli
