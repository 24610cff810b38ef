#include "LargePages.h"

#include <sys/mman.h>

#include <cstdint>

void AskForLargePages(const void* data, std::size_t bytes)
{
    constexpr std::uintptr_t kLargePage = std::uintptr_t(2) << 20;
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t from = (start + kLargePage - 1) & ~(kLargePage - 1);
    const std::uintptr_t to = (start + bytes) & ~(kLargePage - 1);
    if (data && to > from) {
        // madvise takes a writable address; the pages are the caller's own.
        char* first = const_cast<char*>(static_cast<const char*>(data)) + (from - start);
        ::madvise(first, to - from, MADV_HUGEPAGE);
    }
}
