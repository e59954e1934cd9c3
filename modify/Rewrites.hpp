#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

#include <vector>

namespace lathwork {

// The three rewrites, on an image in memory. Each works to the end or throws OptError; the
// caller saves the image only when it returns (see RewriteFile).

// How the illumination and transparency rewrites find their textures and move the pointers.
// Walking searches the tree again for every name and walks it for every insertion: the plain
// algorithm, whose cost grows with names x nodes and insertions x pointers. Indexed walks once
// and keeps an index for the whole run whenever a check of the file shows that this gives the
// same bytes, and walks like Walking otherwise.
enum class RewriteEngine { Indexed, Walking };

// Every node carrying each selected name, in list order, gets a private palette where needed
// and its chosen colours copied from row 7 into all 16 rows. Nodes whose child count is neither
// 0 nor 1 are left unchanged. Names no node carries go into notFound. BodyLength is set at the
// end.
RewriteReport RunIllumination(OptImage& image, const IlluminationRequest& request,
                              RewriteEngine engine = RewriteEngine::Indexed);

// Every node carrying each selected name and no child gets an AlphaNode of opacity bytes (and a
// private palette copy in front of it where needed); nodes with a child are left unchanged.
// Names no node carries go into notFound. BodyLength is set at the end.
RewriteReport RunTransparency(OptImage& image, const TransparencyRequest& request,
                              RewriteEngine engine = RewriteEngine::Indexed);

// The qualifying texture sets at the selected rows (0-based, in set-scan numbering) become
// animated: 0 written at +16 and +20. The sets are numbered on the file as it stands before
// the first write; rows without a set are ignored.
void AnimateTextureSets(OptImage& image, const std::vector<int>& selectedRows);

} // namespace lathwork
