#include "opt/Pointer.hpp"

#include "opt/Layout.hpp"

namespace lathwork {

std::int32_t ReadPointerBase(OptView bytes)
{
    return CheckedAdd(bytes.ReadLong(layout::kPointerBase), -8);
}

std::int32_t FileOffsetOf(std::int32_t storedPointer, std::int32_t globalOffset)
{
    return CheckedAdd(storedPointer, -static_cast<std::int64_t>(globalOffset));
}

} // namespace lathwork
