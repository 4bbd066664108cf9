// libFuzzer target: arbitrary bytes as a record-set image.
#include <cstddef>
#include <cstdint>

#include "entry_points.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    records::fuzz::FuzzRecordsetImage(data, size);
    return 0;
}
