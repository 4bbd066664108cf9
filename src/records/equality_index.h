#pragma once
// The rows of a store by the value of one field, for criteria filters with "=" on large stores:
// a filter then checks the rows of one value instead of every row. Built over the rows there are
// when first asked for; rows appended later form a tail that the filter checks one by one (the
// index is built again once the tail is long). Entries may be stale (rows since deleted or gone):
// whoever uses the index checks each row it names, so an index must only never miss a row.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "records/column_store.h"

namespace records {

class EqualityIndex {
  public:
    // Indexes rows [0, rows) of the column (Number, Real or Text storage).
    EqualityIndex(const Column& c, std::uint32_t rows);

    // The rows (ascending, below Covered()) whose cell has the image `bits` (Number and Real
    // columns: Column::Bits), or equals `text` ignoring letter case (Text columns).
    std::span<const std::uint32_t> Rows(std::uint64_t bits) const;
    std::span<const std::uint32_t> Rows(std::string_view text) const;
    std::uint32_t Covered() const { return covered_; }

  private:
    std::span<const std::uint32_t> Group(std::uint32_t id) const;
    std::unordered_map<std::uint64_t, std::uint32_t> numbers_;  // value -> group
    std::unordered_map<std::string, std::uint32_t> texts_;      // upper-cased text -> group
    std::vector<std::uint32_t> start_;                          // group -> first in rows_
    std::vector<std::uint32_t> rows_;                           // grouped, ascending within
    std::uint32_t covered_ = 0;
};

}  // namespace records
