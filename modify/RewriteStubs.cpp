// Placeholders until the rewrites land; removed then.
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

RewriteReport RunIllumination(OptImage&, const IlluminationRequest&) { throw OptError("not built yet"); }
RewriteReport RunTransparency(OptImage&, const TransparencyRequest&) { throw OptError("not built yet"); }
void AnimateTextureSets(OptImage&, const std::vector<int>&) { throw OptError("not built yet"); }

} // namespace lathwork
