#include "records/row_store.h"

#include <algorithm>
#include <limits>

#include "records/errors.h"
#include "records/text_util.h"

namespace records {

template <class F>
void RowStore::ForEachListener(F&& f) {
    // a listener may detach others (an observer closing a record set): skip those
    if (listeners_.size() == 1) {
        f(listeners_.front());
        return;
    }
    const std::vector<RowListener*> snapshot = listeners_;
    for (RowListener* l : snapshot) {
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) f(l);
    }
}

RowStore::RowStore(std::vector<FieldDef> fields) : fields_(std::move(fields)) {
    columns_.reserve(fields_.size());
    for (const auto& f : fields_) columns_.emplace_back(f.type);
}

template <class ShareColumn>
std::shared_ptr<RowStore> RowStore::CopyWith(ShareColumn&& share) const {
    auto copy = std::make_shared<RowStore>(std::vector<FieldDef>{});
    copy->fields_ = fields_;
    copy->columns_.reserve(columns_.size());
    for (std::size_t f = 0; f < columns_.size(); ++f) copy->columns_.push_back(share(f));
    copy->status_ = status_;
    copy->bookmarks_ = bookmarks_;
    copy->nextBookmark_ = nextBookmark_;
    copy->goneCount_ = goneCount_;
    copy->originals_ = originals_;
    return copy;
}

std::shared_ptr<RowStore> RowStore::Snapshot() {
    return CopyWith([this](std::size_t f) { return columns_[f].ShareWith(); });
}

std::shared_ptr<RowStore> RowStore::ShareFrozen() const {
    return CopyWith([this](std::size_t f) { return columns_[f].ShareFrozen(); });
}

int RowStore::FieldIndex(std::string_view name) const noexcept {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (EqualsIgnoreCase(fields_[i].name, name)) return static_cast<int>(i);
    }
    return -1;
}

RowId RowStore::RowOf(Bookmark b) const {
    if (b < 1) return kNoRow;
    if (bookmarks_.empty()) {
        if (b > static_cast<Bookmark>(status_.size())) return kNoRow;
        const auto r = static_cast<RowId>(b - 1);
        return IsLive(r) ? r : kNoRow;
    }
    if (!byBookmarkValid_) {
        byBookmarkDirect_ = static_cast<std::size_t>(nextBookmark_) <= 2 * status_.size() + 1024;
        if (byBookmarkDirect_) {
            byBookmark_.assign(static_cast<std::size_t>(nextBookmark_), kNoRow);
            for (RowId r = 0; r < status_.size(); ++r) byBookmark_[bookmarks_[r]] = r;
        } else {
            byBookmark_.resize(status_.size());
            for (RowId r = 0; r < byBookmark_.size(); ++r) byBookmark_[r] = r;
            std::sort(byBookmark_.begin(), byBookmark_.end(),
                      [this](RowId x, RowId y) { return bookmarks_[x] < bookmarks_[y]; });
        }
        byBookmarkValid_ = true;
    }
    if (byBookmarkDirect_) {
        if (b >= static_cast<Bookmark>(byBookmark_.size())) return kNoRow;
        const RowId r = byBookmark_[static_cast<std::size_t>(b)];
        return r != kNoRow && IsLive(r) ? r : kNoRow;
    }
    auto it = std::lower_bound(byBookmark_.begin(), byBookmark_.end(), b,
                               [this](RowId r, Bookmark v) { return bookmarks_[r] < v; });
    if (it == byBookmark_.end() || bookmarks_[*it] != b || !IsLive(*it)) return kNoRow;
    return *it;
}

Bookmark RowStore::ReserveBookmark() {
    if (nextBookmark_ >= std::numeric_limits<std::uint32_t>::max()) {
        throw Error(err::Overflow, "No bookmarks are left for new rows");
    }
    return nextBookmark_++;
}

Value RowStore::Original(RowId r, int field) const {
    if (status_[r] & rowstatus::New) return Value::Null();
    auto it = originals_.find(r);
    if (it != originals_.end()) return it->second[field];
    return columns_[field].Get(r);
}

namespace {
const Value& CellValue(const Value& v) {
    return v;
}
const Value& CellValue(const Value* v) {
    static const Value null = Value::Null();
    return v ? *v : null;
}
}  // namespace

RowId RowStore::AppendRow(const std::vector<Value>& values, Bookmark bookmark, bool staged,
                          const RowListener* origin) {
    return Append(values, bookmark, staged, origin);
}

RowId RowStore::AppendRow(const std::vector<const Value*>& cells, Bookmark bookmark, bool staged,
                          const RowListener* origin) {
    return Append(cells, bookmark, staged, origin);
}

template <class Cell>
RowId RowStore::Append(const std::vector<Cell>& values, Bookmark bookmark, bool staged,
                       const RowListener* origin) {
    if (status_.size() >= kNoRow - 1) throw Error(err::Overflow, "Too many rows");
    const auto r = static_cast<RowId>(status_.size());
    if (bookmark < 1 || bookmark >= std::numeric_limits<std::uint32_t>::max()) {
        throw Error(err::InvalidArgument, "Invalid bookmark for a new row");
    }
    if (bookmarks_.empty() && bookmark != static_cast<Bookmark>(r) + 1) {
        bookmarks_.resize(r);
        for (RowId i = 0; i < r; ++i) bookmarks_[i] = i + 1;
        byBookmarkValid_ = false;
    }
    ++version_;
    for (std::size_t f = 0; f < columns_.size(); ++f) columns_[f].Append(CellValue(values[f]));
    status_.push_back(staged ? rowstatus::New : 0);
    if (!bookmarks_.empty()) {
        bookmarks_.push_back(static_cast<std::uint32_t>(bookmark));
        // new bookmarks are above every other, so the order by bookmark stays sorted
        if (byBookmarkValid_) {
            if (byBookmarkDirect_) {
                byBookmark_.resize(static_cast<std::size_t>(bookmark) + 1, kNoRow);
                byBookmark_[static_cast<std::size_t>(bookmark)] = r;
            } else {
                byBookmark_.push_back(r);
            }
        }
    }
    if (bookmark >= nextBookmark_) nextBookmark_ = bookmark + 1;
    ForEachListener([&](RowListener* l) { l->RowAdded(r, origin); });
    NotifyAll({RowChange::Kind::Added, bookmark});
    return r;
}

void RowStore::WriteRow(RowId r, const std::vector<int>& fields, const std::vector<Value>& values,
                        bool staged) {
    if (staged && !(status_[r] & (rowstatus::New | rowstatus::Modified))) {
        std::vector<Value> before;
        before.reserve(columns_.size());
        for (const auto& c : columns_) before.push_back(c.Get(r));
        originals_[r] = std::move(before);
        status_[r] |= rowstatus::Modified;
    }
    ++version_;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int f = fields[i];
        ForEachListener([&](RowListener* l) { l->RowChanging(r, f); });
        DropIndex(f);
        columns_[f].Set(r, values[i]);
        ForEachListener([&](RowListener* l) { l->RowChanged(r, f); });
    }
    NotifyAll({RowChange::Kind::Changed, BookmarkOf(r)});
}

void RowStore::TellRows(RowChange::Kind kind, const std::vector<RowId>& rows) {
    // many rows at once reach observers as one reset
    if (rows.size() > 16) {
        NotifyAll({RowChange::Kind::Reset, 0});
        return;
    }
    for (RowId r : rows) NotifyAll({kind, BookmarkOf(r)});
}

void RowStore::DeleteRows(std::vector<RowId> rows, bool staged) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    rows.erase(std::remove_if(rows.begin(), rows.end(), [this](RowId r) { return !IsVisible(r); }),
               rows.end());
    if (rows.empty()) return;
    std::vector<Bookmark> marks;
    marks.reserve(rows.size());
    for (RowId r : rows) marks.push_back(BookmarkOf(r));
    for (RowId r : rows) {
        if (staged) {
            status_[r] |= rowstatus::Deleted;
        } else {
            SetGone(r);
        }
    }
    ForEachListener([&](RowListener* l) { l->RowsRemoved(rows, !staged); });
    if (rows.size() > 16) {
        NotifyAll({RowChange::Kind::Reset, 0});
    } else {
        for (Bookmark b : marks) NotifyAll({RowChange::Kind::Removed, b});
    }
}

void RowStore::AcceptRows(std::vector<RowId> rows) {
    if (!std::is_sorted(rows.begin(), rows.end())) std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<RowId> gone, kept;
    for (RowId r : rows) {
        const std::uint8_t s = status_[r];
        if (!(s & 7) || (s & rowstatus::Gone)) continue;
        if (s & rowstatus::Deleted) {
            SetGone(r);
            gone.push_back(r);
        } else {
            if (s & rowstatus::Modified) originals_.erase(r);
            status_[r] = 0;
            kept.push_back(r);
        }
    }
    // deleted rows have left the views already; a view still standing on one lets go of it
    if (!gone.empty()) ForEachListener([&](RowListener* l) { l->RowsRemoved(gone, true); });
    TellRows(RowChange::Kind::Changed, kept);
}

void RowStore::RejectRows(std::vector<RowId> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<RowId> removed, restored, changed;
    std::vector<Bookmark> removedMarks;
    for (RowId r : rows) {
        const std::uint8_t s = status_[r];
        if (!(s & 7) || (s & rowstatus::Gone)) continue;
        if (s & rowstatus::New) {
            if (!(s & rowstatus::Deleted)) removedMarks.push_back(BookmarkOf(r));
            SetGone(r);
            removed.push_back(r);
            continue;
        }
        if (s & rowstatus::Modified) {
            ++version_;
            auto it = originals_.find(r);
            for (std::size_t f = 0; f < columns_.size(); ++f) {
                const int field = static_cast<int>(f);
                ForEachListener([&](RowListener* l) { l->RowChanging(r, field); });
                DropIndex(field);
                columns_[f].Set(r, it->second[f]);
                ForEachListener([&](RowListener* l) { l->RowChanged(r, field); });
            }
            originals_.erase(it);
        }
        status_[r] = 0;
        (s & rowstatus::Deleted ? restored : changed).push_back(r);
    }
    if (!removed.empty()) ForEachListener([&](RowListener* l) { l->RowsRemoved(removed, true); });
    if (!restored.empty()) ForEachListener([&](RowListener* l) { l->RowsRestored(restored); });
    if (removed.size() + restored.size() + changed.size() > 16) {
        NotifyAll({RowChange::Kind::Reset, 0});
        return;
    }
    for (Bookmark b : removedMarks) NotifyAll({RowChange::Kind::Removed, b});
    TellRows(RowChange::Kind::Added, restored);
    TellRows(RowChange::Kind::Changed, changed);
}

void RowStore::SetGone(RowId r) {
    ++version_;
    originals_.erase(r);
    // free what the row held in the columns
    for (auto& c : columns_) {
        if (!c.IsNull(r)) c.Set(r, Value::Null());
    }
    status_[r] = rowstatus::Gone;
    ++goneCount_;
}

void RowStore::CompactIfWorthIt() {
    if (goneCount_ < 1024 || goneCount_ * 2 < status_.size()) return;
    std::vector<RowId> map(status_.size(), kNoRow);
    RowId next = 0;
    for (RowId r = 0; r < status_.size(); ++r) {
        if (IsLive(r)) map[r] = next++;
    }
    for (auto& c : columns_) c.Compact(map, next);
    indexes_.clear();
    ++version_;
    if (bookmarks_.empty()) {
        bookmarks_.resize(status_.size());
        for (RowId i = 0; i < bookmarks_.size(); ++i) bookmarks_[i] = i + 1;
    }
    std::vector<std::uint8_t> status(next);
    std::vector<std::uint32_t> bookmarks(next);
    for (RowId r = 0; r < map.size(); ++r) {
        if (map[r] == kNoRow) continue;
        status[map[r]] = status_[r];
        bookmarks[map[r]] = bookmarks_[r];
    }
    status_.swap(status);
    bookmarks_.swap(bookmarks);
    byBookmarkValid_ = false;
    byBookmark_.clear();
    std::unordered_map<RowId, std::vector<Value>> originals;
    for (auto& [r, v] : originals_) originals.emplace(map[r], std::move(v));
    originals_.swap(originals);
    goneCount_ = 0;
    ForEachListener([&](RowListener* l) { l->RowsRenumbered(map); });
}

const EqualityIndex& RowStore::IndexOf(int field) const {
    if (indexes_.size() < columns_.size()) indexes_.resize(columns_.size());
    auto& index = indexes_[field];
    // rows appended since the index was built are checked one by one, while they are few
    const RowId slots = Slots();
    if (!index || slots - index->Covered() > std::max<RowId>(4096, index->Covered() / 4)) {
        index = std::make_unique<EqualityIndex>(columns_[field], slots);
    }
    return *index;
}

void RowStore::NotifyAll(const RowChange& change) {
    ForEachListener([&](RowListener* l) { l->Notify(change); });
}

void RowStore::Attach(RowListener* l) {
    listeners_.push_back(l);
}

void RowStore::Detach(RowListener* l) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), l), listeners_.end());
}

std::size_t RowStore::MemoryBytes() const {
    std::size_t n =
        sizeof(*this) + status_.capacity() + bookmarks_.capacity() * 4 + byBookmark_.capacity() * 4;
    for (const auto& c : columns_) n += c.MemoryBytes();
    for (const auto& [r, v] : originals_) n += 32 + v.capacity() * sizeof(Value);
    return n;
}

}  // namespace records
