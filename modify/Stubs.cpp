// Placeholders until the rewrites and the cloaking code land; each helper deletes its part.
#include "modify/Cloaking.hpp"
#include "modify/Rewrites.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

// -- rewrites (removed when modify/ rewrites land)
RewriteReport RunIllumination(OptImage&, const IlluminationRequest&) { throw OptError("not built yet"); }
RewriteReport RunTransparency(OptImage&, const TransparencyRequest&) { throw OptError("not built yet"); }
void AnimateTextureSets(OptImage&, const std::vector<int>&) { throw OptError("not built yet"); }

// -- cloaking (removed when modify/Cloaking.cpp lands)
std::optional<std::string> DistanceText(float) { return std::nullopt; }
std::optional<float> DistanceValue(const std::string&) { return std::nullopt; }
CloakingScan ScanCloakingDistances(const OptImage&) { throw OptError("not built yet"); }
void WriteCloakingDistances(OptImage&, float, float) { throw OptError("not built yet"); }

} // namespace lathwork
