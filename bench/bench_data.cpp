#include "bench_data.h"

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>

namespace {
std::atomic<std::size_t> gLive{0};

void* Allocate(std::size_t n) {
    void* p = std::malloc(n ? n : 1);
    if (!p) throw std::bad_alloc();
    gLive.fetch_add(malloc_usable_size(p), std::memory_order_relaxed);
    return p;
}

void Release(void* p) noexcept {
    if (!p) return;
    gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t n) {
    return Allocate(n);
}
void* operator new[](std::size_t n) {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    Release(p);
}
void operator delete[](void* p) noexcept {
    Release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Release(p);
}

namespace bench {

std::size_t LiveHeapBytes() {
    return gLive.load();
}

std::vector<ArRow> MakeRows(std::size_t n, std::uint32_t seed) {
    std::mt19937_64 rng(seed);
    const char* types[] = {"INV", "PEN", "INT", "FEE", "ADJUST", "RFND"};
    const char* states[] = {"OP", "OP", "OP", "CL", "WO"};
    const std::size_t customers = n / 50 + 1;
    std::vector<ArRow> rows(n);
    for (std::size_t i = 0; i < n; ++i) {
        ArRow& r = rows[i];
        const std::uint64_t cust = rng() % customers;
        r.custId = std::to_string(100000000 + cust * 37 % 900000000);
        if (rng() % 100 == 0) r.action = "UPD";
        if (rng() % 10 < 3)
            r.caseId = std::to_string(10 + cust % 15) + "-" + std::to_string(10000 + rng() % 90000);
        r.trnsctnDt = 42005 + static_cast<double>(rng() % 3650);  // 2015 .. 2024
        r.trnsctnNbr = "T" + std::to_string(1000000000 + rng() % 9000000000ULL);
        // numbers unique per row, in an order unrelated to the load order
        r.nbr = static_cast<std::int64_t>((i * 7919 + 13) % (n * 2 + 1)) + 1000000;
        r.ck = static_cast<std::int64_t>(rng() % 10);
        r.typ = types[rng() % 6];
        r.stts = states[rng() % 5];
        r.dueUnits = static_cast<std::int64_t>(rng() % 50000000);
        r.balUnits = r.dueUnits - static_cast<std::int64_t>(rng() % (r.dueUnits / 2 + 1));
    }
    return rows;
}

std::size_t RawBytes(const ArRow& r) {
    return r.action.size() + r.custId.size() + r.caseId.size() + 8 + r.trnsctnNbr.size() + 8 + 8 +
           r.typ.size() + r.stts.size() + 8 + 8;
}

}  // namespace bench
