#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The three rewrites, on an image in memory. Each works to the end or throws OptError; the
// caller saves the image only when it returns (see RewriteFile).

// Both run in one pass: one walk of the tree records every insertion, and the result is
// written once in file order. A file whose structures overlap one another or reach past its
// end is refused with an OptError before anything changes.

// Every node carrying each selected name gets a private palette where needed and its chosen
// colours copied from row 7 into all 16 rows. Nodes whose child count is neither 0 nor 1 are
// left unchanged. Names no node carries go into notFound. BodyLength is set at the end.
RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request);

// Every node carrying each selected name and no child gets an AlphaNode of opacity bytes (and a
// private palette copy in front of it where needed); nodes with a child are left unchanged.
// Names no node carries go into notFound. BodyLength is set at the end.
RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request);

// The qualifying texture sets at the selected rows (0-based, in set-scan numbering) become
// animated: 0 written at +16 and +20. The sets are numbered on the file as it stands before
// the first write; rows without a set are ignored.
RewriteReport AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows);

} // namespace lathwork
