#pragma once
// Sort expressions ("F1 ASC, F2 DESC", ascending by default, names bracketed or bare) and the
// ordering of rows by them: Null first in either direction, texts without regard to letter case,
// ties in load order (stable).

#include <string_view>
#include <vector>

#include "records/row_store.h"

namespace records {

struct SortKey {
    int field = -1;
    bool descending = false;
};

// Throws Error(err::BadFilter) for a malformed expression or an unknown field; "" gives no keys.
std::vector<SortKey> ParseSort(std::string_view text, const std::vector<FieldDef>& fields);

// <0, 0, >0 for two rows by the keys (load order not applied).
int CompareRows(const RowStore& store, const std::vector<SortKey>& keys, RowId a, RowId b);

// Orders rows by the keys, ties by row id (load order).
void SortRows(const RowStore& store, const std::vector<SortKey>& keys, std::vector<RowId>& rows);

}  // namespace records
