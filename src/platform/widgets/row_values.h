#pragma once
// The cells of one grid row as the row-formatting handler sees them: read and write by column
// name. The grid fills the bound columns from the record set; the handler writes display texts
// of computed columns here, never into the record set.

#include <string_view>
#include <vector>

#include "records/value.h"

namespace platform {

class GridColumns;

class RowValues {
  public:
    RowValues(const GridColumns& columns, std::vector<records::Value> values)
        : columns_(&columns), values_(std::move(values)) {}

    // Error 3265 when the grid has no column of that name.
    records::Value Get(std::string_view columnName) const;
    void Set(std::string_view columnName, records::Value value);

    int Count() const { return static_cast<int>(values_.size()); }
    const records::Value& At(int column) const;  // Empty beyond the known columns
    void SetAt(int column, records::Value value);

  private:
    int indexOf(std::string_view columnName) const;

    const GridColumns* columns_;
    std::vector<records::Value> values_;
};

}  // namespace platform
