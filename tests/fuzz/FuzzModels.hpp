#pragma once

// Well-formed models whose shape the fuzz input decides: tree shape, sizes, shared palettes,
// textures with a child, texture sets and references, global offset and group selectors.

#include "FuzzProperties.hpp"
#include "testkit/OptBuilder.hpp"

#include <string>
#include <vector>

namespace lathwork::fuzz {

// The names the generated textures take, so that duplicates and near misses occur.
const std::vector<std::string>& NamePool();

testkit::ModelShape GenerateModel(InputReader& in);

} // namespace lathwork::fuzz
