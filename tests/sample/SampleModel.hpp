#pragma once

#include "testkit/OptBuilder.hpp"

// The sample model shipped with the program: a small ship with plated hull, cockpit glass,
// engine glow, lit windows and stripes, two animatable beacon sets, a one-member set, two
// textures sharing a palette, and two detail levels with their distances (2 km and 1 km).
namespace lathwork::sample {

testkit::BuiltModel BuildSampleModel();

} // namespace lathwork::sample
