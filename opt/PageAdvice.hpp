#pragma once

// The memory advice of the platform layer under the names the rest of the core uses.

#include "opt/Platform.hpp"

namespace lathwork {

using platform::AdviseLargePages;
using platform::ReleasePages;

} // namespace lathwork
