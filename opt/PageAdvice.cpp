#include "opt/PageAdvice.hpp"

#include <cstdint>

#include <sys/mman.h>
#include <unistd.h>

namespace lathwork {

namespace {

// The whole pages of the given size inside [data, data + size), as [from, to).
struct Inner {
    std::uintptr_t from;
    std::uintptr_t to;
};

Inner InnerPages(void* data, std::size_t size, std::uintptr_t page)
{
    const auto base = reinterpret_cast<std::uintptr_t>(data);
    return {(base + page - 1) / page * page, (base + size) / page * page};
}

} // namespace

void AdviseLargePages([[maybe_unused]] void* data, [[maybe_unused]] std::size_t size)
{
#ifdef MADV_HUGEPAGE
    const Inner inner = InnerPages(data, size, std::uintptr_t{2} << 20);
    if (inner.to > inner.from) {
        ::madvise(reinterpret_cast<void*>(inner.from), inner.to - inner.from, MADV_HUGEPAGE);
    }
#endif
}

void ReleasePages(void* data, std::size_t size)
{
    const Inner inner = InnerPages(data, size, static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE)));
    if (inner.to > inner.from) {
        ::madvise(reinterpret_cast<void*>(inner.from), inner.to - inner.from, MADV_DONTNEED);
    }
}

} // namespace lathwork
