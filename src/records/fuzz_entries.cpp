// Fuzz entry points, kept in the engine library so the fuzz targets and the corpus replay test
// run exactly the same code.
#include "../../tests/records/fuzz_entries.h"

#include <cstdlib>

#include "records/errors.h"
#include "records/property_bag.h"

namespace records::fuzz {

namespace {
// A broken invariant must stop the run where a fuzzer or a test sees it.
void Require(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

void FuzzPropertyBag(const std::uint8_t* data, std::size_t size) {
    const Bytes image(data, data + size);
    PropertyBag bag;
    bag.WriteProperty("Before", Value("kept on failure"));
    const Bytes before = bag.Contents();
    try {
        bag.SetContents(image);
    } catch (const Error& e) {
        Require(e.Number() == err::BadImage && !e.Description().empty());
        Require(bag.Contents() == before);
        return;
    }
    Require(bag.Contents() == image);
    Bytes again = bag.Contents();
    PropertyBag copy;
    copy.SetContents(again);
    Require(copy.Count() == bag.Count());
}

}  // namespace records::fuzz
