#pragma once
// Large buffers (images, bulk-loaded columns) ask the kernel for huge pages: the first touch of
// fresh memory costs a fault per page, and with 4 KiB pages those faults dominate copying tens
// of megabytes. Only advice: where it is not available nothing changes.

#include <cstddef>
#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace records {

inline constexpr std::size_t kHugePageAdviceMin = std::size_t{1} << 20;

inline void AdviseHugePages(void* p, std::size_t n) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    if (n < kHugePageAdviceMin) return;
    constexpr std::uintptr_t kPage = 4096;
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    const auto from = (at + kPage - 1) & ~(kPage - 1);
    const auto to = (at + n) & ~(kPage - 1);
    if (to > from) madvise(static_cast<char*>(p) + (from - at), to - from, MADV_HUGEPAGE);
#else
    (void)p;
    (void)n;
#endif
}

// A fresh block meant for huge pages is allocated with this much to spare, so that its use can
// start on a huge-page boundary (the spare part is never touched, so it costs no memory).
inline constexpr std::size_t kHugePage = std::size_t{2} << 20;
template <class T>
std::size_t HugePageSpare(std::size_t count) {
    return count * sizeof(T) < kHugePageAdviceMin ? 0 : kHugePage / sizeof(T);
}
// Where in a block allocated with HugePageSpare the count entries begin; advised.
template <class T>
T* HugePageStart(T* block, std::size_t count) {
    if (count * sizeof(T) < kHugePageAdviceMin) return block;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    T* start = block + ((kHugePage - at % kHugePage) % kHugePage) / sizeof(T);
    AdviseHugePages(start, count * sizeof(T));
    return start;
}

}  // namespace records
