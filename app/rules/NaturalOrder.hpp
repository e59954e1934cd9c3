#pragma once

#include <string_view>

namespace lathwork::rules {

// File names in the order a person counts them: runs of digits compare by their value (M2
// before M10), the rest letter by letter ignoring case. Names equal that way fall back to
// their plain bytes, so the order is total and no two names tie.
bool NaturalLess(std::string_view a, std::string_view b);

} // namespace lathwork::rules
