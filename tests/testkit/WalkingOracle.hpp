#pragma once

// The illumination and transparency rewrites done the plain way, one insertion at a time: the
// reference the product's one-pass rewrites must match byte for byte.

#include "modify/Requests.hpp"
#include "opt/OptImage.hpp"

namespace lathwork::testkit {

// Same contract as RunIllumination and RunTransparency, BodyLength included.
RewriteReport WalkIllumination(OptImage& image, const IlluminationRequest& request);
RewriteReport WalkTransparency(OptImage& image, const TransparencyRequest& request);

} // namespace lathwork::testkit
