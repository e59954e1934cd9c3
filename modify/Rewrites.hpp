#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The three rewrites, on an image in memory. Each works to the end or throws OptError; the
// caller saves the image only when it returns (see RewriteFile).

// How the illumination and transparency rewrites run.
// OnePass walks the tree once, records every insertion, and produces the result once, in file
// order, whatever the order of the names and however often they repeat. It runs when a check of
// the file shows that this gives exactly the bytes of Walking; otherwise (structures that
// overlap, pointers past the end that the grown file would reach, a tree the walk refuses)
// Walking runs instead, and the report says which ran.
// Walking is the plain algorithm, kept as the reference: it searches the tree again for every
// name and walks it again for every insertion, moving the file's tail each time.
enum class RewriteEngine { OnePass, Walking };

// Every node carrying each selected name gets a private palette where needed and its chosen
// colours copied from row 7 into all 16 rows. Nodes whose child count is neither 0 nor 1 are
// left unchanged. Names no node carries go into notFound. BodyLength is set at the end.
RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request,
                              RewriteEngine engine = RewriteEngine::OnePass);

// Every node carrying each selected name and no child gets an AlphaNode of opacity bytes (and a
// private palette copy in front of it where needed); nodes with a child are left unchanged.
// Names no node carries go into notFound. BodyLength is set at the end.
RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request,
                              RewriteEngine engine = RewriteEngine::OnePass);

// The qualifying texture sets at the selected rows (0-based, in set-scan numbering) become
// animated: 0 written at +16 and +20. The sets are numbered on the file as it stands before
// the first write; rows without a set are ignored.
RewriteReport AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows);

} // namespace lathwork
