#pragma once
// The state of one record set over its row store: the visible rows in order, filter, sort, the
// cursor and the edit buffer. Internal to the engine.

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "records/filter.h"
#include "records/recordset.h"
#include "records/row_store.h"
#include "records/sort.h"

namespace records {

// Positions of the visible rows by the value of one field, for finds with "=". Built on the first
// such find and kept up to date while rows are appended or edited; dropped when rows move.
struct FindIndex {
    int field = -1;
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> numbers;
    std::unordered_map<std::string, std::vector<std::uint32_t>> texts;
    std::vector<std::uint32_t> positionOf;  // by row id; kNoRow when not visible

    std::vector<std::uint32_t>* ListFor(const RowStore& store, RowId row, bool create);
    void Add(const RowStore& store, RowId row, std::uint32_t pos);
    void Remove(const RowStore& store, RowId row);
};

struct Recordset::View final : RowListener {
    enum class FilterKind { None, Criteria, Bookmarks };

    explicit View(Recordset* rs) : owner(rs) {}
    ~View() override { Detach(); }
    void Attach(std::shared_ptr<RowStore> s);  // shows every visible row, cursor on the first
    void Detach();                             // closed: no store, no rows, no edit

    Recordset* owner;
    std::shared_ptr<RowStore> store;
    std::vector<RowId> rows;

    FilterKind filterKind = FilterKind::None;
    std::unique_ptr<Filter> filter;
    std::vector<Bookmark> filterBookmarks;  // sorted, unique
    std::vector<SortKey> sort;
    std::uint64_t sortedAt = ~std::uint64_t{0};  // the store's version when rows were sorted

    // Cursor: cur in [-1, size]: -1 BOF, size EOF, else on rows[cur]. With `gap` the row that
    // stood at cur has left the view: the cursor stands between rows[cur - 1] and rows[cur];
    // gapRow is that row while it still exists (a deleted row), else kNoRow.
    long cur = -1;
    bool gap = false;
    RowId gapRow = kNoRow;

    EditMode mode = EditMode::None;
    RowId editRow = kNoRow;
    std::vector<Value> buffer;
    std::vector<char> touched;
    std::vector<int> listFields;  // scratch of AddNew with field and value lists
    std::vector<Value> listValues;
    std::vector<const Value*> listCells;
    Bookmark addBookmark = 0;
    Bookmark beforeAdd = 0;  // row to return to when an add is cancelled (0: saved position)
    long beforeAddPos = -1;

    std::vector<std::weak_ptr<Observer>> observers;  // kept while closed
    std::unique_ptr<FindIndex> index;
    mutable std::vector<std::uint32_t> positions;  // by row id, when valid
    mutable bool positionsValid = false;

    long Size() const { return static_cast<long>(rows.size()); }
    bool OnRow() const { return !gap && cur >= 0 && cur < Size(); }
    RowId CurrentRow() const { return OnRow() ? rows[cur] : kNoRow; }

    bool Admits(RowId r) const;           // the filter lets the row in
    std::size_t PlaceFor(RowId r) const;  // sorted or load-order place
    void InsertAt(std::size_t p, RowId r);
    void SetRows(std::vector<RowId> candidates);  // ordered by the sort; cursor to the first
    void RowsMoved();                             // positions changed: drop what hangs on them
    // Takes the order of another unfiltered view of the store with the same sort when it is
    // still exactly what sorting would give (a clone sorted like its source); false otherwise.
    bool AdoptSortedOrderOfAnotherView();
    long PositionOf(RowId r) const;  // -1 when not visible
    void MoveTo(long pos);           // sets the cursor, no edit handling
    void Tell(const RowChange& change);

    // Checks shared by the operations (each throws the engine's error).
    void RequireOpen() const;
    void RequireClosed() const;
    void RequireWritable() const;
    int RequireField(std::string_view name) const;
    int RequireField(int ordinal) const;
    RowId RequireRow() const;  // the row under the cursor, 3021 when none
    bool Batch() const { return owner->IsBatchOptimistic(); }
    void Settle();  // a move to another row updates a pending edit first
    std::vector<RowId> BatchScope(Affect affect) const;  // staged rows a batch applies to
    std::vector<RowId> ImageRows() const;                // rows that Save writes, in order

    // RowListener
    void RowAdded(RowId row, const RowListener* origin) override;
    void RowChanging(RowId row, int field) override;
    void RowChanged(RowId row, int field) override;
    void RowsRemoved(const std::vector<RowId>& removed, bool gone) override;
    void RowsRestored(const std::vector<RowId>& restored) override;
    void RowsRenumbered(const std::vector<RowId>& map) override;
    void Notify(const RowChange& change) override { Tell(change); }
};

}  // namespace records
