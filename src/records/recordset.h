#pragma once
// The record-set engine: a disconnected, client-side table of named fields holding variant
// values, viewed through a cursor with filter and sort. Clones are further views of the same
// rows. Changes are staged per row (original values kept) and made final or rolled back in a
// batch. Every operation the screen relies on is here under the name its procedures use, so each
// procedure of the screen reads step by step.
//
// Decisions on details (tested in tests/records):
//  - Bookmarks are whole numbers from 1 in load order, shared by clones and kept by images.
//  - Setting or clearing a filter moves to the first visible row; setting a sort keeps the row.
//  - A view's rows are fixed when its filter or sort is set: editing a row does not drop it from a
//    filtered view. Rows added through any view join the other views whose filter they match
//    (at their sorted place); deleted rows leave every view.
//  - A clone starts on its first row with no filter and no sort.
//  - Moving to another row while an edit is pending updates it first; Move(0) does not.
//  - A row deleted in batch mode stays current until the next move; reading it is error 3021.
//  - AND binds tighter than OR; parentheses group freely. A Null field matches no comparison.
//  - Affect::All means the rows visible under a criteria filter, or every row when there is no
//    filter or a bookmark filter; Affect::AllChapters means every row of the store.
//  - UpdateBatch and CancelBatch settle a pending edit first. When the current row disappears (a
//    cancelled new row) the cursor stands on no row (position unknown) until the next move.
//  - Closing discards a pending edit and never invalidates clones. Fields appended while closed
//    are the definition that Open uses; closing an open set releases its rows and its fields, so
//    fields appended after Close start a new definition (FieldCount is 0 after Close).
//  - Null sorts first in either direction; ties keep load order.
//  - "= Null" and "<> Null" in a filter test for Null; Null against any other operator is an error.
//  - A field name may not hold ']' (no filter or sort could name it).
//  - Set converts the value to the field's type (error 3421 when it cannot); Empty is stored as
//    Null. Text sizes describe the layout and are not enforced.
//  - Save writes, besides the visible rows, the rows deleted in the batch (they come back on
//    CancelBatch after a reload). Open(Stream&) keeps the lock type set before it.
//  - Many rows changed at once (a batch of more than 16) reach observers as one Reset.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "records/value.h"

namespace records {

class Stream;
class RowStore;

using Bookmark = std::int64_t;

// GCC's -Wshadow reports scoped enumerators that share a name with a namespace-level type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
enum class FieldType : std::uint8_t { Text, Long, Double, Currency, Date, Boolean, Bytes, Variant };
#pragma GCC diagnostic pop

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Variant;
    int size = 0;  // texts: the longest text in characters; 0 = no limit
};

enum class LockType : int {
    Unspecified = -1,
    ReadOnly = 1,
    Pessimistic = 2,
    Optimistic = 3,
    BatchOptimistic = 4
};
enum class EditMode : int { None = 0, InProgress = 1, Add = 2 };
enum class Affect : int { Current = 1, Group = 2, All = 3, AllChapters = 4 };
enum class SearchDirection : int { Forward = 1, Backward = -1 };

// Row status bits.
namespace status {
inline constexpr int Ok = 0, New = 1, Modified = 2, Deleted = 4, Unmodified = 8;
}
// AbsolutePosition codes.
namespace position {
inline constexpr long Unknown = -1, BOF = -2, EOF_ = -3;
}
inline constexpr int kStateClosed = 0, kStateOpen = 1;

// A change in the rows of a store, told to every view (grids redraw on it).
struct RowChange {
    enum class Kind { Added, Changed, Removed, Reset } kind = Kind::Reset;
    Bookmark bookmark = 0;
};

class Recordset;
using RecordsetPtr = std::shared_ptr<Recordset>;

class Recordset {
  public:
    static RecordsetPtr Create();
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    // --- structure and state
    void AppendField(std::string name, FieldType type, int size = 0);  // while closed
    void Open();                         // with the appended fields and no rows
    void Open(const Recordset& source);  // a copy of the source's fields and visible rows
    void Open(Stream& stream);           // reads exactly one image; bookmarks and staging kept
    void Close();
    int State() const noexcept;
    bool IsOpen() const noexcept { return State() == kStateOpen; }

    LockType GetLockType() const noexcept { return lockType_; }
    void SetLockType(LockType t);
    bool IsBatchOptimistic() const noexcept { return lockType_ == LockType::BatchOptimistic; }
    int CacheSize() const noexcept { return cacheSize_; }
    void SetCacheSize(int n);

    // --- fields
    int FieldCount() const;
    const FieldDef& Field(int index) const;
    int FieldIndex(std::string_view name) const noexcept;  // -1 when none; ignores letter case
    bool HasField(std::string_view name) const noexcept { return FieldIndex(name) >= 0; }

    Value Get(std::string_view field) const;
    Value Get(int field) const;
    void Set(std::string_view field, const Value& v);  // starts an edit when none is pending
    void Set(int field, const Value& v);
    Value OriginalValue(std::string_view field) const;    // as of the last UpdateBatch
    Value UnderlyingValue(std::string_view field) const;  // the same: the value before staging
    int Status() const;                                   // status bits of the current row

    // --- cursor
    bool IsEOF() const;
    bool IsBOF() const;
    bool HasCurrentRow() const;  // not BOF/EOF, not unknown, not a deleted row
    long RecordCount() const;
    long AbsolutePosition() const;  // 1-based, or position::Unknown/BOF/EOF_
    void SetAbsolutePosition(long pos);
    Bookmark GetBookmark() const;  // error 3021 without a current row
    void SetBookmark(Bookmark b);  // error 3001 when the row is not in this view
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(long n);
    void Move(long n, Bookmark start);
    // One clause ("[F] = 'x'", "F >= 5", ...). Starts at the current row (or start), skips
    // skipRows; true when found, else the cursor is at EOF (BOF backward).
    bool Find(std::string_view criteria, long skipRows = 0,
              SearchDirection dir = SearchDirection::Forward,
              std::optional<Bookmark> start = std::nullopt);

    // --- filter and sort
    void SetFilter(std::string_view expression);  // "" = none
    void SetFilter(const std::vector<Bookmark>& bookmarks);
    void SetFilter(const Value& v);  // Long 0 = none, Text = expression
    void SetFilter(const char* expression) { SetFilter(std::string_view(expression)); }
    void SetFilter(const std::string& expression) { SetFilter(std::string_view(expression)); }
    void ClearFilter();
    bool HasFilter() const noexcept;
    bool HasCriteriaFilter() const noexcept;
    // Text of a criteria filter, Long 0 when none; a bookmark filter reads as Long 0 as well
    // (it cannot be stored).
    Value FilterValue() const;
    void SetSort(std::string_view expression);  // "" = load order
    const std::string& Sort() const noexcept { return sortText_; }

    RecordsetPtr Clone(LockType lockType = LockType::Unspecified) const;

    // --- editing
    void AddNew();
    void AddNew(const std::vector<std::string>& fields, const std::vector<Value>& values);
    void Update();
    void Update(const std::vector<std::string>& fields, const std::vector<Value>& values);
    void CancelUpdate();  // error 3219 when nothing is pending
    EditMode GetEditMode() const;
    void Delete(Affect affect = Affect::Current);
    void UpdateBatch(Affect affect = Affect::All);
    void CancelBatch(Affect affect = Affect::All);

    // --- streams
    void Save(Stream& stream) const;  // rows visible under a criteria filter; cursor unchanged

    // --- for grids: read the view without moving the cursor
    std::vector<Bookmark> VisibleBookmarks() const;
    long VisibleIndexOf(Bookmark b) const;  // 0-based, -1 when not visible
    Value ValueAt(Bookmark b, int field) const;
    // The total of a whole-number or currency field over the rows that RecordCount counts, each
    // value as ValueAt reads it, Null cells adding nothing (0 when there are none), without
    // moving the cursor. A Long for a whole-number field, a Currency for a currency field; any
    // other field is error 13, a total beyond 64 bits error 6.
    Value Sum(std::string_view field) const;
    bool IsVisible(Bookmark b) const { return VisibleIndexOf(b) >= 0; }

    // Called after any change to the rows through any view of the store (and after Reset of this
    // view: filter, sort, open, close). The subscription ends when the returned handle dies.
    using Observer = std::function<void(const RowChange&)>;
    [[nodiscard]] std::shared_ptr<void> Subscribe(Observer observer);

  private:
    Recordset();
    struct View;
    std::shared_ptr<RowStore> store_;
    std::unique_ptr<View> view_;
    LockType lockType_ = LockType::BatchOptimistic;
    int cacheSize_ = 1;
    std::string sortText_;
    std::vector<FieldDef> pendingFields_;
    friend class RowStore;
};

}  // namespace records
