#pragma once

#include <filesystem>

namespace lathwork::bench {

// A generated model of textureCount textures (testkit::GenerateRepeatedNamesModel: random
// shapes, shared palettes, names repeated hundreds of times) written once per run to a
// temporary folder; later calls with the same count return the same file.
const std::filesystem::path& ModelFile(int textureCount);

// The same kind of model (another seed) with pointer slots the walk never follows holding
// values 1 to 64 bytes past the end of the file: the header's pointer and the head pointer of
// every eighth texture. Valid files of this kind occur in the wild; a rewrite that grows the
// file must leave those values alone although the grown file would now reach them.
const std::filesystem::path& UnfriendlyModelFile(int textureCount);

} // namespace lathwork::bench
