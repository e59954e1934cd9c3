#pragma once

#include "modify/Cloaking.hpp"

#include <optional>
#include <string>

namespace lathwork::cli {

// The text a distance box holds after a scan: what the scan set (or "never", the text of a box
// no scan has set), once its change rule ran.
std::string BoxText(const std::optional<std::string>& scanned);

// The two boxes as the window shows them after a scan; the low box only when the scan read a
// second distance (otherwise it stays disabled).
struct ShownDistances {
    std::string high;
    std::optional<std::string> low;
};
ShownDistances ShowDistances(const CloakingScan& scan);

} // namespace lathwork::cli
