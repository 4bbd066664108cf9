#pragma once
// Entry points shared by the libFuzzer targets (fuzz/) and the corpus replay test: each feeds
// arbitrary bytes to one loader. A rejected input must end in records::Error; anything else
// (another exception, a crash, a broken invariant) escapes or aborts.

#include <cstddef>
#include <cstdint>

#include "records/recordset.h"

namespace records::fuzz {

// A record set's saved image, and a record set loaded from one; loading must read the image to
// its end (anything else aborts). The image tests save and load through these too.
Bytes SaveImage(const Recordset& rs);
RecordsetPtr LoadImage(const Bytes& image);

// PropertyBag::SetContents; an accepted image must encode back to the same bytes.
void FuzzPropertyBag(const std::uint8_t* data, std::size_t size);

// Recordset::Open(Stream&); an accepted image must save and load again to the same image, and
// the loaded record set must stand every cursor and batch operation.
void FuzzRecordsetImage(const std::uint8_t* data, std::size_t size);

// Filter, find and sort expressions against a record set of every field type. The first byte
// picks which; a rejected expression must leave the view as it was.
void FuzzFilter(const std::uint8_t* data, std::size_t size);

}  // namespace records::fuzz
