#pragma once

#include "modify/Requests.hpp"
#include "modify/TextureChanges.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The whole rewrite behind RunIllumination and RunTransparency in one pass, leaving BodyLength
// to its caller. Throws OptError (image untouched) for a file whose structures it cannot place.
RewriteReport RunOnePass(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change);

} // namespace lathwork
