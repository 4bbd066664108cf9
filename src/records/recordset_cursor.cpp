// Record set: cursor, find, filter, sort, clones and what grids read.
#include <algorithm>
#include <bit>
#include <span>

#include "records/errors.h"
#include "records/recordset.h"
#include "records/recordset_view.h"
#include "records/value_rules.h"

namespace records {

namespace {

[[noreturn]] void NoCurrentRecord() {
    throw Error(err::NoCurrentRecord,
                "Either BOF or EOF is True, or the current record has been deleted. "
                "Requested operation requires a current record.");
}

[[noreturn]] void BookmarkNotVisible(Bookmark b) {
    throw Error(err::InvalidArgument,
                "The bookmark " + std::to_string(b) + " is not a row of this record set.");
}

// Below this many rows a filter checks every row rather than build an index.
constexpr RowId kIndexedFilterRows = 4096;

// The rows of the index of a clause's field that hold the clause's value.
std::span<const std::uint32_t> IndexedRows(const RowStore& store, const Clause& c) {
    const EqualityIndex& index = store.IndexOf(c.field);
    if (c.mode == Clause::Mode::Text) return index.Rows(c.text);
    if (c.mode == Clause::Mode::Whole) return index.Rows(static_cast<std::uint64_t>(c.whole));
    auto d = static_cast<double>(c.real);
    if (d == 0) d = 0;  // no negative zero, as the column keeps it
    return index.Rows(std::bit_cast<std::uint64_t>(d));
}

// The visible rows that a filter lets in, in load order. On a large store the equalities that
// every match satisfies are looked up in the indexes of their fields, and only the rows of the
// narrowest are checked.
std::vector<RowId> MatchingRows(const RowStore& store, const Filter& filter) {
    std::vector<RowId> out;
    RowId from = 0;
    if (store.Slots() >= kIndexedFilterRows) {
        bool first = true;
        std::span<const std::uint32_t> narrowest;
        for (const Clause* c : filter.RequiredEqualities(store)) {
            const std::span<const std::uint32_t> rows = IndexedRows(store, *c);
            if (first || rows.size() < narrowest.size()) {
                narrowest = rows;
                from = store.IndexOf(c->field).Covered();  // rows after it are checked all
            }
            first = false;
        }
        for (RowId r : narrowest) {
            if (store.IsVisible(r) && filter.Matches(store, r)) out.push_back(r);
        }
    }
    for (RowId r = from; r < store.Slots(); ++r) {
        if (store.IsVisible(r) && filter.Matches(store, r)) out.push_back(r);
    }
    return out;
}

}  // namespace

void Recordset::View::Settle() {
    if (mode != EditMode::None) owner->Update();
}

// --- cursor

bool Recordset::IsEOF() const {
    const View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::Add) return false;
    return v.rows.empty() || (!v.gap && v.cur == v.Size());
}

bool Recordset::IsBOF() const {
    const View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::Add) return false;
    return v.rows.empty() || (!v.gap && v.cur == -1);
}

bool Recordset::HasCurrentRow() const {
    const View& v = *view_;
    return v.store && (v.mode == EditMode::Add || v.OnRow());
}

long Recordset::RecordCount() const {
    view_->RequireOpen();
    return view_->Size();
}

long Recordset::AbsolutePosition() const {
    const View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::Add || v.rows.empty() || v.gap) return position::Unknown;
    if (v.cur < 0) return position::BOF;
    if (v.cur >= v.Size()) return position::EOF_;
    return v.cur + 1;
}

void Recordset::SetAbsolutePosition(long pos) {
    View& v = *view_;
    v.RequireOpen();
    if (pos < 1 || pos > v.Size()) {
        throw Error(err::InvalidArgument, "The position " + std::to_string(pos) +
                                              " is outside the record set's " +
                                              std::to_string(v.Size()) + " rows.");
    }
    if (v.mode == EditMode::Add || v.CurrentRow() != v.rows[pos - 1]) v.Settle();
    v.MoveTo(pos - 1);
}

Bookmark Recordset::GetBookmark() const {
    const View& v = *view_;
    v.RequireOpen();
    if (v.mode == EditMode::Add) return v.addBookmark;
    return v.store->BookmarkOf(v.RequireRow());
}

void Recordset::SetBookmark(Bookmark b) {
    View& v = *view_;
    v.RequireOpen();
    const long p = v.PositionOf(v.store->RowOf(b));
    if (p < 0) BookmarkNotVisible(b);
    if (v.mode == EditMode::Add || v.CurrentRow() != v.rows[p]) v.Settle();
    v.MoveTo(p);
}

void Recordset::MoveFirst() {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    if (v.rows.empty()) NoCurrentRecord();
    v.MoveTo(0);
}

void Recordset::MoveLast() {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    if (v.rows.empty()) NoCurrentRecord();
    v.MoveTo(v.Size() - 1);
}

void Recordset::MoveNext() {
    Move(1);
}

void Recordset::MovePrevious() {
    Move(-1);
}

void Recordset::Move(long n) {
    View& v = *view_;
    v.RequireOpen();
    if (n == 0) {
        // a move by zero rows stays on the row and leaves a pending edit pending
        if (v.mode == EditMode::Add) return;
        v.RequireRow();
        return;
    }
    v.Settle();
    // from a deleted row the move goes on from where it stood, even when no row is left
    if (v.rows.empty() && !v.gap) NoCurrentRecord();
    long target;
    if (v.gap) {
        target = n > 0 ? v.cur + n - 1 : v.cur + n;
    } else {
        if ((v.cur < 0 && n < 0) || (v.cur >= v.Size() && n > 0)) NoCurrentRecord();
        target = v.cur + n;
    }
    v.MoveTo(std::clamp(target, -1L, v.Size()));
}

void Recordset::Move(long n, Bookmark start) {
    View& v = *view_;
    v.RequireOpen();
    const long p = v.PositionOf(v.store->RowOf(start));
    if (p < 0) BookmarkNotVisible(start);
    const long target = std::clamp(p + n, -1L, v.Size());
    if (v.mode == EditMode::Add || target < 0 || target >= v.Size() ||
        v.CurrentRow() != v.rows[target]) {
        v.Settle();
    }
    // settling an added row may have appended it; positions before it are unchanged
    v.MoveTo(std::clamp(target, -1L, v.Size()));
}

bool Recordset::Find(std::string_view criteria, long skipRows, SearchDirection dir,
                     std::optional<Bookmark> start) {
    View& v = *view_;
    v.RequireOpen();
    auto filter = Filter::Parse(criteria, v.store->Fields(), true);
    v.Settle();
    const bool forward = dir != SearchDirection::Backward;
    long from;
    if (start) {
        from = v.PositionOf(v.store->RowOf(*start));
        if (from < 0) BookmarkNotVisible(*start);
    } else if (v.gap) {
        from = forward ? v.cur : v.cur - 1;
    } else {
        from = v.cur;
    }
    from += forward ? skipRows : -skipRows;
    if (forward && from < 0) from = 0;
    if (!forward && from >= v.Size()) from = v.Size() - 1;

    long found = -1;
    const Clause& clause = *filter->Single();
    const Column& col = v.store->Col(clause.field);
    const bool indexable = clause.Indexable() && col.Kind() != Storage::Any &&
                           (clause.mode != Clause::Mode::Real || col.Kind() == Storage::Real) &&
                           v.Size() > 64;
    if (from >= 0 && from < v.Size() && indexable) {
        if (!v.index || v.index->field != clause.field) {
            v.index = std::make_unique<FindIndex>();
            v.index->field = clause.field;
            v.index->positionOf.assign(v.store->Slots(), kNoRow);
            for (std::size_t i = 0; i < v.rows.size(); ++i) {
                v.index->Add(*v.store, v.rows[i], static_cast<std::uint32_t>(i));
            }
        }
        const std::vector<std::uint32_t>* list = nullptr;
        if (clause.mode == Clause::Mode::Text) {
            auto it = v.index->texts.find(IndexKeyText(clause.text));
            if (it != v.index->texts.end()) list = &it->second;
        } else {
            std::uint64_t key;
            if (clause.mode == Clause::Mode::Whole) {
                key = static_cast<std::uint64_t>(clause.whole);
            } else {
                auto d = static_cast<double>(clause.real);
                if (d == 0) d = 0;
                key = std::bit_cast<std::uint64_t>(d);
            }
            auto it = v.index->numbers.find(key);
            if (it != v.index->numbers.end()) list = &it->second;
        }
        if (list) {
            const auto f = static_cast<std::uint32_t>(from);
            if (forward) {
                auto it = std::lower_bound(list->begin(), list->end(), f);
                if (it != list->end()) found = *it;
            } else {
                auto it = std::upper_bound(list->begin(), list->end(), f);
                if (it != list->begin()) found = *(it - 1);
            }
        }
    } else if (forward) {
        for (long p = std::max(from, 0L); p < v.Size(); ++p) {
            if (clause.Matches(*v.store, v.rows[p])) {
                found = p;
                break;
            }
        }
    } else {
        for (long p = std::min(from, v.Size() - 1); p >= 0; --p) {
            if (clause.Matches(*v.store, v.rows[p])) {
                found = p;
                break;
            }
        }
    }
    if (found >= 0) {
        v.MoveTo(found);
        return true;
    }
    v.MoveTo(forward ? v.Size() : -1);
    return false;
}

// --- filter and sort

void Recordset::SetFilter(std::string_view expression) {
    View& v = *view_;
    v.RequireOpen();
    if (expression.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        ClearFilter();
        return;
    }
    auto filter = Filter::Parse(expression, v.store->Fields());
    v.Settle();
    std::vector<RowId> matching = MatchingRows(*v.store, *filter);
    v.filterKind = View::FilterKind::Criteria;
    v.filter = std::move(filter);
    v.filterBookmarks.clear();
    v.SetRows(std::move(matching));
    v.Tell({RowChange::Kind::Reset, 0});
}

void Recordset::SetFilter(const std::vector<Bookmark>& bookmarks) {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    std::vector<Bookmark> marks(bookmarks);
    std::sort(marks.begin(), marks.end());
    marks.erase(std::unique(marks.begin(), marks.end()), marks.end());
    std::vector<RowId> matching;
    matching.reserve(marks.size());
    for (Bookmark b : marks) {
        const RowId r = v.store->RowOf(b);
        if (r != kNoRow && v.store->IsVisible(r)) matching.push_back(r);
    }
    std::sort(matching.begin(), matching.end());
    v.filterKind = View::FilterKind::Bookmarks;
    v.filter.reset();
    v.filterBookmarks = std::move(marks);
    v.SetRows(std::move(matching));
    v.Tell({RowChange::Kind::Reset, 0});
}

void Recordset::SetFilter(const Value& value) {
    switch (value.type()) {
        case Value::Type::Text:
            SetFilter(std::string_view(value.text()));
            return;
        case Value::Type::Empty:
            ClearFilter();
            return;
        case Value::Type::Long:
        case Value::Type::Double:
        case Value::Type::Currency:
            if (CompareForSort(value, Value(0)) == 0) {
                ClearFilter();
                return;
            }
            throw Error(err::FeatureNotAvailable,
                        "Filtering by a group of rows (pending, affected, fetched or conflicting) "
                        "is not supported.");
        default:
            throw Error(err::InvalidArgument,
                        "A filter is an expression text, a list of bookmarks or 0.");
    }
}

void Recordset::ClearFilter() {
    View& v = *view_;
    v.RequireOpen();
    v.Settle();
    v.filterKind = View::FilterKind::None;
    v.filter.reset();
    v.filterBookmarks.clear();
    std::vector<RowId> all;
    all.reserve(v.store->LiveRows());
    for (RowId r = 0; r < v.store->Slots(); ++r) {
        if (v.store->IsVisible(r)) all.push_back(r);
    }
    v.SetRows(std::move(all));
    v.Tell({RowChange::Kind::Reset, 0});
}

bool Recordset::HasFilter() const noexcept {
    return view_->filterKind != View::FilterKind::None;
}

bool Recordset::HasCriteriaFilter() const noexcept {
    return view_->filterKind == View::FilterKind::Criteria;
}

Value Recordset::FilterValue() const {
    if (view_->filterKind == View::FilterKind::Criteria) return Value(view_->filter->Text());
    return Value(0);
}

void Recordset::SetSort(std::string_view expression) {
    View& v = *view_;
    if (!v.store) {
        sortText_ = std::string(expression);  // applied when the record set opens
        return;
    }
    auto keys = ParseSort(expression, v.store->Fields());
    sortText_ = std::string(expression);
    v.sort = std::move(keys);
    const RowId current = v.CurrentRow();
    const bool eof = !v.gap && v.cur >= v.Size() && !v.rows.empty();
    if (!v.AdoptSortedOrderOfAnotherView()) {
        SortRows(*v.store, v.sort, v.rows);
        v.sortedAt = v.store->Version();
    }
    v.RowsMoved();
    if (current != kNoRow) {
        v.cur = v.PositionOf(current);  // the row stays current
    } else if (v.gap) {
        v.cur = std::min(v.cur, v.Size());
    } else if (eof) {
        v.cur = v.Size();
    }
    v.Tell({RowChange::Kind::Reset, 0});
}

RecordsetPtr Recordset::Clone(LockType lockType) const {
    view_->RequireOpen();
    RecordsetPtr c(new Recordset());
    c->lockType_ = lockType == LockType::Unspecified ? lockType_ : lockType;
    c->cacheSize_ = cacheSize_;
    c->store_ = store_;
    c->view_->Attach(store_);
    return c;
}

// --- grids

std::vector<Bookmark> Recordset::VisibleBookmarks() const {
    view_->RequireOpen();
    std::vector<Bookmark> out;
    out.reserve(view_->rows.size());
    for (RowId r : view_->rows) out.push_back(view_->store->BookmarkOf(r));
    return out;
}

long Recordset::VisibleIndexOf(Bookmark b) const {
    if (!view_->store) return -1;
    return view_->PositionOf(view_->store->RowOf(b));
}

Value Recordset::ValueAt(Bookmark b, int field) const {
    const View& v = *view_;
    v.RequireField(field);
    const RowId r = v.store->RowOf(b);
    if (r == kNoRow) BookmarkNotVisible(b);
    if (!v.store->IsVisible(r)) NoCurrentRecord();
    if (v.mode == EditMode::InProgress && v.editRow == r && v.touched[field]) {
        return v.buffer[field];
    }
    return v.store->Get(r, field);
}

Value Recordset::Sum(std::string_view field) const {
    const View& v = *view_;
    const int f = v.RequireField(field);
    const FieldDef& def = v.store->Fields()[f];
    if (def.type != FieldType::Long && def.type != FieldType::Currency) {
        throw Error(err::TypeMismatch,
                    "Type mismatch: the field '" + def.name + "' holds no amounts to add up.");
    }
    // the column's slots, read in place; a pending edit of a row in view counts as it reads
    std::int64_t total = 0;
    bool fits = v.store->Col(f).SumWhole(v.rows, total);
    if (v.mode == EditMode::InProgress && v.touched[f] && v.PositionOf(v.editRow) >= 0) {
        auto units = [](const Value& x) -> std::int64_t {
            if (x.isNothing()) return 0;
            return x.type() == Value::Type::Currency ? x.currency().units : x.whole();
        };
        const std::int64_t stored = units(v.store->Get(v.editRow, f));
        fits = fits && !__builtin_sub_overflow(total, stored, &total) &&
               !__builtin_add_overflow(total, units(v.buffer[f]), &total);
    }
    if (!fits) throw Error(err::Overflow, "Overflow");
    if (def.type == FieldType::Currency) return Value(Currency{total});
    return Value(static_cast<long long>(total));
}

}  // namespace records
