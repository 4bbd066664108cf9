#pragma once
// The rows that a record set and its clones share: current values in typed columns, original
// values of staged rows only, a status byte per row and the bookmarks. Every view of the store
// registers as a listener and is told of rows added, changed, removed and brought back.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "records/column_store.h"
#include "records/equality_index.h"
#include "records/recordset.h"

namespace records {

using RowId = std::uint32_t;
inline constexpr RowId kNoRow = Column::kNoRow;

// What a view of the store hears about. Called after the store has changed.
class RowListener {
  public:
    virtual ~RowListener() = default;
    // A row joined the store (Update of an added row); `origin` is the view that added it.
    virtual void RowAdded(RowId row, const RowListener* origin) = 0;
    // Values of a row are about to change / have changed (find indexes follow them).
    virtual void RowChanging(RowId row, int field) = 0;
    virtual void RowChanged(RowId row, int field) = 0;
    // Rows left every view (deleted, or cancelled new rows); `gone`: they left the store too.
    // `removed` is in ascending order.
    virtual void RowsRemoved(const std::vector<RowId>& removed, bool gone) = 0;
    // Deleted rows came back (CancelBatch), in ascending order.
    virtual void RowsRestored(const std::vector<RowId>& restored) = 0;
    // Row ids were renumbered (map[old] = new, kNoRow for rows that are gone).
    virtual void RowsRenumbered(const std::vector<RowId>& map) = 0;
    // Tell the view's own observers.
    virtual void Notify(const RowChange& change) = 0;
};

namespace rowstatus {
inline constexpr std::uint8_t New = status::New, Modified = status::Modified,
                              Deleted = status::Deleted;
inline constexpr std::uint8_t Gone = 0x80;  // the slot no longer holds a row
}  // namespace rowstatus

class RowStore {
  public:
    explicit RowStore(std::vector<FieldDef> fields);

    const std::vector<FieldDef>& Fields() const { return fields_; }
    int FieldIndex(std::string_view name) const noexcept;
    const Column& Col(int field) const { return columns_[field]; }

    // Row slots, including slots of rows that are gone.
    RowId Slots() const { return static_cast<RowId>(status_.size()); }
    std::size_t LiveRows() const { return status_.size() - goneCount_; }
    bool IsLive(RowId r) const { return !(status_[r] & rowstatus::Gone); }
    bool IsDeleted(RowId r) const { return (status_[r] & rowstatus::Deleted) != 0; }
    // A row that views show: in the store and not deleted.
    bool IsVisible(RowId r) const { return !(status_[r] & (rowstatus::Gone | rowstatus::Deleted)); }
    std::uint8_t StatusBits(RowId r) const { return status_[r]; }
    bool IsStaged(RowId r) const { return (status_[r] & 7) != 0; }

    Bookmark BookmarkOf(RowId r) const {
        return bookmarks_.empty() ? static_cast<Bookmark>(r) + 1 : bookmarks_[r];
    }
    // Whether every row's bookmark is its row id + 1.
    bool PlainBookmarks() const { return bookmarks_.empty(); }
    // The row of a bookmark (deleted rows included), kNoRow when none.
    RowId RowOf(Bookmark b) const;
    Bookmark ReserveBookmark();
    Bookmark NextBookmark() const { return nextBookmark_; }

    Value Get(RowId r, int field) const { return columns_[field].Get(r); }
    Value Original(RowId r, int field) const;
    bool HasOriginals() const { return !originals_.empty(); }  // any row modified in the batch

    // Mutations. `staged`: batch mode keeps originals and statuses; otherwise changes are final.
    RowId AppendRow(const std::vector<Value>& values, Bookmark bookmark, bool staged,
                    const RowListener* origin);
    // The same with the row's cells given by address (nullptr: Null), so a caller's values go
    // into the columns without being copied first.
    RowId AppendRow(const std::vector<const Value*>& cells, Bookmark bookmark, bool staged,
                    const RowListener* origin);
    void WriteRow(RowId r, const std::vector<int>& fields, const std::vector<Value>& values,
                  bool staged);
    // Rows in any order; rows that are not live are passed over.
    void DeleteRows(std::vector<RowId> rows, bool staged);
    void AcceptRows(std::vector<RowId> rows);  // UpdateBatch
    void RejectRows(std::vector<RowId> rows);  // CancelBatch
    // Drops the slots of gone rows when they are many; views are renumbered.
    void CompactIfWorthIt();

    // Counts the changes to values and rows (appends, edits, restored originals, rows gone,
    // renumbering): an order sorted at the same count is still sorted.
    std::uint64_t Version() const { return version_; }

    // Broadcast to every view's observers.
    void NotifyAll(const RowChange& change);

    void Attach(RowListener* l);
    void Detach(RowListener* l);
    const std::vector<RowListener*>& Listeners() const { return listeners_; }

    std::size_t MemoryBytes() const;

    // The equality index of a field with Number, Real or Text storage over the rows so far,
    // built on first use and again when many rows were appended since; copies start without.
    const EqualityIndex& IndexOf(int field) const;
    bool HasIndex(int field) const {
        return static_cast<std::size_t>(field) < indexes_.size() && indexes_[field];
    }

    // A copy of the rows that shares their storage copy-on-write, with no views attached.
    // Snapshot marks this store's storage as shared too; ShareFrozen copies a store that
    // nobody changes any more (a snapshot).
    std::shared_ptr<RowStore> Snapshot();
    std::shared_ptr<RowStore> ShareFrozen() const;

    // --- image loading: rows are appended column by column, then checked
    friend class ImageReader;

  private:
    template <class F>
    void ForEachListener(F&& f);
    template <class ShareColumn>
    std::shared_ptr<RowStore> CopyWith(ShareColumn&& share) const;
    void SetGone(RowId r);
    void DropIndex(int field) {
        if (HasIndex(field)) indexes_[field].reset();
    }
    void TellRows(RowChange::Kind kind, const std::vector<RowId>& rows);
    template <class Cell>
    RowId Append(const std::vector<Cell>& cells, Bookmark bookmark, bool staged,
                 const RowListener* origin);

    std::vector<FieldDef> fields_;
    std::vector<Column> columns_;
    std::vector<std::uint8_t> status_;
    std::vector<std::uint32_t> bookmarks_;  // empty: row r has bookmark r + 1
    // When bookmarks_ is used: rows ordered by bookmark, or (byBookmarkDirect_) the row of each
    // bookmark by its value, kNoRow where none, when bookmarks are dense enough for that.
    mutable std::vector<RowId> byBookmark_;
    mutable bool byBookmarkValid_ = false;
    mutable bool byBookmarkDirect_ = false;
    Bookmark nextBookmark_ = 1;
    std::uint64_t version_ = 0;
    std::size_t goneCount_ = 0;
    std::unordered_map<RowId, std::vector<Value>> originals_;      // Modified rows only
    mutable std::vector<std::unique_ptr<EqualityIndex>> indexes_;  // by field, when built
    std::vector<RowListener*> listeners_;
};

}  // namespace records
