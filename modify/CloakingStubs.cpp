// Placeholders until the cloaking code lands; removed then.
#include "modify/Cloaking.hpp"
#include "opt/OptError.hpp"

namespace lathwork {

std::optional<std::string> DistanceText(float) { return std::nullopt; }
std::optional<float> DistanceValue(const std::string&) { return std::nullopt; }
CloakingScan ScanCloakingDistances(const OptImage&) { throw OptError("not built yet"); }
void WriteCloakingDistances(OptImage&, float, float) { throw OptError("not built yet"); }

} // namespace lathwork
