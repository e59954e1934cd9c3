#pragma once

// The file operations of the platform layer under the names the rest of the core uses.

#include "opt/Platform.hpp"

namespace lathwork {

using platform::CheckReplaceable;
using platform::DisplayPath;
using platform::ReadWholeFile;
using platform::ReplaceFile;
using platform::WriteNewFile;

} // namespace lathwork
