#pragma once

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

namespace lathwork::testkit {

// The illumination and transparency rewrites done the slow, plain way: a search of the tree per
// name, and per insertion a walk moving every pointer and a move of the file's tail. The oracle
// the product's rewrites are compared with; BodyLength is set at the end.
RewriteReport WalkIllumination(OptImage& image, const IlluminationRequest& request);
RewriteReport WalkTransparency(OptImage& image, const TransparencyRequest& request);

} // namespace lathwork::testkit
