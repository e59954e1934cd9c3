#pragma once

#include <cstddef>

namespace lathwork {

// Hints to the system about large buffers (files of tens of megabytes). Both are only advice:
// where the system has no such call or refuses it, nothing changes.

// Back the whole 2 MiB pages inside [data, data + size) with large pages where the system
// offers them, so that filling the buffer faults a few hundred times instead of thousands.
// Call before the buffer is first written.
void AdviseLargePages(void* data, std::size_t size);

// Hand the whole pages inside [data, data + size) back to the system: they read as zero
// afterwards. For bytes that will never be read again.
void ReleasePages(void* data, std::size_t size);

} // namespace lathwork
