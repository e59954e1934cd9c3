#pragma once

#include <filesystem>

namespace lathwork::bench {

// A generated model of textureCount textures (testkit::GenerateRepeatedNamesModel: random
// shapes, shared palettes, names repeated hundreds of times) written once per run to a
// temporary folder; later calls with the same count return the same file.
const std::filesystem::path& ModelFile(int textureCount);

} // namespace lathwork::bench
