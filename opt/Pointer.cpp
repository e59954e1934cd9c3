#include "opt/Pointer.hpp"

#include "opt/Layout.hpp"

namespace lathwork {

std::int32_t ReadPointerBase(const OptImage& image)
{
    return CheckedAdd(image.ReadLong(layout::kPointerBase), -8);
}

std::int32_t FileOffsetOf(std::int32_t storedPointer, std::int32_t globalOffset)
{
    return CheckedAdd(storedPointer, -static_cast<std::int64_t>(globalOffset));
}

} // namespace lathwork
