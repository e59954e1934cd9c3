#pragma once

#include "opt/OptView.hpp"

#include <cstdint>

namespace lathwork {

// PointerBase - 8: subtract it from a stored pointer to get a file offset.
std::int32_t ReadPointerBase(OptView bytes);

// The file offset a stored pointer designates; throws when the arithmetic leaves 32 bits.
std::int32_t FileOffsetOf(std::int32_t storedPointer, std::int32_t globalOffset);

} // namespace lathwork
