#pragma once

#include "modify/Requests.hpp"
#include "modify/TextureChanges.hpp"
#include "opt/OptImage.hpp"

#include <optional>
#include <vector>

namespace lathwork {

// The two engines behind RunIllumination and RunTransparency (see RewriteEngine). Both leave
// BodyLength to their caller.

// The plain algorithm, step by step on one contiguous buffer.
RewriteReport RunWalking(OptImage& image, const std::vector<TextureName>& names, const TextureChange& change);

// The whole rewrite in one pass, or nullopt (image untouched) when the file needs the walking
// engine to get the same bytes.
std::optional<RewriteReport> RunOnePass(OptImage& image, const std::vector<TextureName>& names,
                                        const TextureChange& change);

} // namespace lathwork
