#include "cli/CloakingBoxes.hpp"

namespace lathwork::cli {

namespace {

// Before any scan both boxes read "never"; a value the scan cannot show leaves that text.
constexpr const char* kUnsetBox = "never";

} // namespace

std::string BoxText(const std::optional<std::string>& scanned)
{
    return SettledText(scanned.value_or(kUnsetBox));
}

ShownDistances ShowDistances(const CloakingScan& scan)
{
    ShownDistances shown{BoxText(scan.high), std::nullopt};
    if (scan.cloakFound) {
        shown.low = BoxText(scan.low);
    }
    return shown;
}

} // namespace lathwork::cli
