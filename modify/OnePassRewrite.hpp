#pragma once

#include "modify/Requests.hpp"
#include "modify/TextureChanges.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The rewrite behind RunIllumination and RunTransparency, in one pass; BodyLength is left to
// the caller. Throws OptError, the image untouched, for a file it cannot rewrite safely.
RewriteReport RunOnePass(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change);

} // namespace lathwork
