#include "platform/widgets/row_values.h"

#include "platform/widgets/grid_columns.h"
#include "records/errors.h"

namespace platform {

int RowValues::indexOf(std::string_view columnName) const {
    const int index = columns_->IndexOf(columnName);
    if (index < 0) {
        throw records::Error(records::err::ItemNotFound,
                             "Grid item not found: column \"" + std::string(columnName) + "\"");
    }
    return index;
}

records::Value RowValues::Get(std::string_view columnName) const {
    return At(indexOf(columnName));
}

void RowValues::Set(std::string_view columnName, records::Value value) {
    SetAt(indexOf(columnName), std::move(value));
}

const records::Value& RowValues::At(int column) const {
    static const records::Value kEmpty;
    if (column < 0 || column >= Count()) return kEmpty;
    return values_[static_cast<std::size_t>(column)];
}

void RowValues::SetAt(int column, records::Value value) {
    if (column < 0) return;
    if (column >= Count()) values_.resize(static_cast<std::size_t>(column) + 1);
    values_[static_cast<std::size_t>(column)] = std::move(value);
}

}  // namespace platform
