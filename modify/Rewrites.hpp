#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The three rewrites, on an image in memory. Each works to the end or throws OptError; the
// caller saves the image only when it returns (see RewriteFile).

// Every node carrying each selected name, in list order, gets a private palette where needed
// and its chosen colours copied from row 7 into all 16 rows. BodyLength is set at the end.
RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request);

// Every node carrying each selected name (with no child) gets an AlphaNode of opacity bytes.
RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request);

// The qualifying texture sets at the selected rows (0-based, in set-scan numbering) become
// animated: 0 written at +16 and +20.
void AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows);

} // namespace lathwork
