#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The three rewrites, on an image in memory. Each works to the end or throws OptError; the
// caller saves the image only when it returns (see RewriteFile).

// The illumination and transparency rewrites walk the tree once, record every insertion, and
// produce the result once, in file order. They give the bytes of inserting the blocks one at a
// time, name by name, moving every pointer each time. A file whose structures overlap or reach
// past its end is refused (OptError, the image untouched): moving its bytes safely would need
// knowing which of two overlapping structures each byte belongs to.

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
