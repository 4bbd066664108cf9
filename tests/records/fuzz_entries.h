#pragma once
// Entry points shared by the libFuzzer targets (fuzz/) and the corpus replay test: each feeds
// arbitrary bytes to one loader. A rejected input must end in records::Error; anything else
// (another exception, a crash, a broken invariant) escapes or aborts.

#include <cstddef>
#include <cstdint>

namespace records::fuzz {

// PropertyBag::SetContents; an accepted image must encode back to the same bytes.
void FuzzPropertyBag(const std::uint8_t* data, std::size_t size);

}  // namespace records::fuzz
