// libFuzzer target: arbitrary bytes as a filter, find or sort expression (first byte picks which).
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    records::fuzz::FuzzFilter(data, size);
    return 0;
}
