// Record set: editing, deleting and batches.
#include <algorithm>

#include "records/errors.h"
#include "records/recordset.h"
#include "records/recordset_view.h"
#include "records/text_util.h"

namespace records {

namespace {

// The field of each name, into `out` (kept between calls: no allocation per row).
void FieldIndexes(const RowStore& store, const std::vector<std::string>& fields,
                  std::size_t valueCount, std::vector<int>& out) {
    if (fields.size() != valueCount) {
        throw Error(err::InvalidArgument, "The lists of fields and values differ in length (" +
                                              std::to_string(fields.size()) + " fields, " +
                                              std::to_string(valueCount) + " values).");
    }
    const auto& defs = store.Fields();
    out.clear();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const std::string& name = fields[i];
        // callers mostly list the fields in their own order and spelling: try that first
        int f = i < defs.size() && defs[i].name == name ? static_cast<int>(i) : -1;
        if (f < 0) f = store.FieldIndex(name);
        if (f < 0) {
            throw Error(err::ItemNotFound,
                        "Item cannot be found in the collection corresponding "
                        "to the requested name or ordinal: '" +
                            name + "'.");
        }
        out.push_back(f);
    }
}

}  // namespace

void Recordset::AddNew() {
    View& v = *view_;
    v.RequireWritable();
    v.Settle();
    v.beforeAdd = v.OnRow() ? v.store->BookmarkOf(v.rows[v.cur]) : 0;
    v.beforeAddPos = v.cur;
    v.addBookmark = v.store->ReserveBookmark();
    v.buffer.assign(v.store->Fields().size(), Value::Null());
    v.touched.assign(v.store->Fields().size(), 0);
    v.editRow = kNoRow;
    v.mode = EditMode::Add;
}

void Recordset::AddNew(const std::vector<std::string>& fields, const std::vector<Value>& values) {
    View& v = *view_;
    v.RequireWritable();
    // every value is converted (and may fail) before anything changes; the scratch lists keep
    // their room from row to row, so loading many rows allocates nothing per row
    FieldIndexes(*v.store, fields, values.size(), v.listFields);
    const auto& defs = v.store->Fields();
    v.listValues.clear();
    v.listValues.reserve(values.size());  // the cells below point into it
    v.listCells.assign(defs.size(), nullptr);
    for (std::size_t i = 0; i < v.listFields.size(); ++i) {
        const int f = v.listFields[i];
        if (HasFieldType(values[i], defs[f].type)) {
            v.listCells[f] = &values[i];
        } else {
            v.listValues.push_back(ConvertForField(values[i], defs[f]));
            v.listCells[f] = &v.listValues.back();
        }
    }
    if (v.mode == EditMode::None) {
        // AddNew, the values, Update: the row goes straight from the caller's values into the
        // store
        v.beforeAdd = v.OnRow() ? v.store->BookmarkOf(v.rows[v.cur]) : 0;
        v.beforeAddPos = v.cur;
        const Bookmark mark = v.store->ReserveBookmark();
        v.addBookmark = mark;
        v.store->AppendRow(v.listCells, mark, v.Batch(), &v);
        v.MoveTo(v.Size() - 1);  // the new row stays current; it was appended last to this view
        v.listValues.clear();
        return;
    }
    std::vector<std::pair<std::size_t, Value>> cells;  // settling may reach observers: copy
    for (std::size_t f = 0; f < defs.size(); ++f) {
        if (v.listCells[f]) cells.emplace_back(f, *v.listCells[f]);
    }
    v.listValues.clear();
    AddNew();  // settles the pending edit first
    for (auto& [f, value] : cells) {
        v.buffer[f] = std::move(value);
        v.touched[f] = 1;
    }
    Update();
}

void Recordset::Update() {
    View& v = *view_;
    v.RequireOpen();
    switch (v.mode) {
        case EditMode::None:
            return;
        case EditMode::Add: {
            std::vector<Value> values;
            values.swap(v.buffer);
            v.mode = EditMode::None;
            v.touched.clear();
            v.store->AppendRow(values, v.addBookmark, v.Batch(), &v);
            // the new row stays current; it was appended last to this view
            v.MoveTo(v.Size() - 1);
            values.clear();
            if (v.buffer.empty()) v.buffer.swap(values);  // its room serves the next edit
            return;
        }
        case EditMode::InProgress: {
            const RowId r = v.editRow;
            std::vector<int> fields;
            std::vector<Value> values;
            for (std::size_t f = 0; f < v.touched.size(); ++f) {
                if (!v.touched[f]) continue;
                fields.push_back(static_cast<int>(f));
                values.push_back(std::move(v.buffer[f]));
            }
            v.mode = EditMode::None;
            v.buffer.clear();
            v.touched.clear();
            v.editRow = kNoRow;
            if (r == kNoRow || !v.store->IsVisible(r)) {
                throw Error(err::NoCurrentRecord,
                            "The row being edited has been deleted; the edit is discarded.");
            }
            v.store->WriteRow(r, fields, values, v.Batch());
            return;
        }
    }
}

void Recordset::Update(const std::vector<std::string>& fields, const std::vector<Value>& values) {
    view_->RequireWritable();
    std::vector<int> idx;
    FieldIndexes(*view_->store, fields, values.size(), idx);
    for (std::size_t i = 0; i < idx.size(); ++i) Set(idx[i], values[i]);
    Update();
}

void Recordset::CancelUpdate() {
    View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::None) {
        throw Error(err::IllegalOperation,
                    "Operation is not allowed in this context: no edit is pending.");
    }
    const bool wasAdd = v.mode == EditMode::Add;
    v.mode = EditMode::None;
    v.buffer.clear();
    v.touched.clear();
    v.editRow = kNoRow;
    if (wasAdd) {
        // back to the row that was current before AddNew
        const long p = v.beforeAdd ? v.PositionOf(v.store->RowOf(v.beforeAdd)) : -1;
        if (p >= 0) {
            v.MoveTo(p);
        } else if (!v.gap) {
            v.cur = std::clamp(v.beforeAddPos, -1L, v.Size());
        }
    }
}

void Recordset::Delete(Affect affect) {
    View& v = *view_;
    v.RequireWritable();
    std::vector<RowId> rows;
    switch (affect) {
        case Affect::Current:
            if (v.mode == EditMode::Add) {  // the new row never reached the store
                CancelUpdate();
                return;
            }
            if (v.mode == EditMode::InProgress) CancelUpdate();
            rows.push_back(v.RequireRow());
            break;
        case Affect::Group:
            if (v.filterKind != View::FilterKind::Bookmarks) {
                throw Error(err::InvalidArgument,
                            "Deleting a group of rows needs a filter by bookmarks.");
            }
            [[fallthrough]];
        case Affect::All:
        case Affect::AllChapters:
            if (v.mode != EditMode::None) CancelUpdate();
            if (affect == Affect::AllChapters || v.filterKind == View::FilterKind::Bookmarks) {
                if (affect == Affect::Group) {
                    rows = v.rows;
                } else {
                    for (RowId r = 0; r < v.store->Slots(); ++r) {
                        if (v.store->IsVisible(r)) rows.push_back(r);
                    }
                }
            } else {
                rows = v.rows;
            }
            break;
    }
    v.store->DeleteRows(std::move(rows), v.Batch());
    v.store->CompactIfWorthIt();
}

// The rows a batch operation applies to, deleted rows included.
std::vector<RowId> Recordset::View::BatchScope(Affect affect) const {
    const View& v = *this;
    std::vector<RowId> scope;
    const RowStore& s = *v.store;
    switch (affect) {
        case Affect::Current: {
            RowId r = v.CurrentRow();
            if (r == kNoRow && v.gap) r = v.gapRow;
            if (r == kNoRow) v.RequireRow();
            scope.push_back(r);
            break;
        }
        case Affect::Group:
            if (v.filterKind != FilterKind::Bookmarks) {
                throw Error(err::InvalidArgument,
                            "A batch of a group of rows needs a filter by bookmarks.");
            }
            for (Bookmark b : v.filterBookmarks) {
                const RowId r = s.RowOf(b);
                if (r != kNoRow) scope.push_back(r);
            }
            break;
        case Affect::All:
            if (v.filterKind == FilterKind::Criteria) {
                scope = v.rows;
                for (RowId r = 0; r < s.Slots(); ++r) {
                    if (s.IsLive(r) && s.IsDeleted(r) && v.filter->Matches(s, r))
                        scope.push_back(r);
                }
                break;
            }
            [[fallthrough]];
        case Affect::AllChapters:
            for (RowId r = 0; r < s.Slots(); ++r) {
                if (s.IsLive(r) && s.IsStaged(r)) scope.push_back(r);
            }
            break;
    }
    scope.erase(std::remove_if(scope.begin(), scope.end(), [&](RowId r) { return !s.IsStaged(r); }),
                scope.end());
    return scope;
}

void Recordset::UpdateBatch(Affect affect) {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    std::vector<RowId> rows = v.BatchScope(affect);
    if (rows.empty()) return;
    auto store = v.store;  // an observer may close this record set meanwhile
    store->AcceptRows(std::move(rows));
    store->CompactIfWorthIt();
}

void Recordset::CancelBatch(Affect affect) {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    std::vector<RowId> rows = v.BatchScope(affect);
    if (rows.empty()) return;
    auto store = v.store;
    store->RejectRows(std::move(rows));
    store->CompactIfWorthIt();
}

}  // namespace records
