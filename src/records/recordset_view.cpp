#include "records/recordset_view.h"

#include <algorithm>
#include <bit>

#include "records/text_util.h"

namespace records {

// --- FindIndex

std::vector<std::uint32_t>* FindIndex::ListFor(const RowStore& store, RowId row, bool create) {
    const Column& c = store.Col(field);
    if (c.IsNull(row)) return nullptr;
    switch (c.Kind()) {
        case Storage::Number:
        case Storage::Real: {
            const std::uint64_t key = c.Bits(row);
            if (create) return &numbers[key];
            auto it = numbers.find(key);
            return it == numbers.end() ? nullptr : &it->second;
        }
        case Storage::Text: {
            std::string key = IndexKeyText(c.Text(row));
            if (create) return &texts[std::move(key)];
            auto it = texts.find(key);
            return it == texts.end() ? nullptr : &it->second;
        }
        case Storage::Any:
            break;
    }
    return nullptr;
}

void FindIndex::Add(const RowStore& store, RowId row, std::uint32_t pos) {
    if (row >= positionOf.size()) positionOf.resize(static_cast<std::size_t>(row) + 1, kNoRow);
    positionOf[row] = pos;
    auto* list = ListFor(store, row, true);
    if (!list) return;
    if (list->empty() || list->back() < pos) {
        list->push_back(pos);
    } else {
        list->insert(std::lower_bound(list->begin(), list->end(), pos), pos);
    }
}

void FindIndex::Remove(const RowStore& store, RowId row) {
    if (row >= positionOf.size() || positionOf[row] == kNoRow) return;
    auto* list = ListFor(store, row, false);
    if (!list) return;
    auto it = std::lower_bound(list->begin(), list->end(), positionOf[row]);
    if (it != list->end() && *it == positionOf[row]) list->erase(it);
}

// --- View

void Recordset::View::Attach(std::shared_ptr<RowStore> s) {
    Detach();
    store = std::move(s);
    store->Attach(this);
    std::vector<RowId> all;
    all.reserve(store->LiveRows());
    for (RowId r = 0; r < store->Slots(); ++r) {
        if (store->IsVisible(r)) all.push_back(r);
    }
    SetRows(std::move(all));
}

void Recordset::View::Detach() {
    if (store) store->Detach(this);
    store.reset();
    rows.clear();
    rows.shrink_to_fit();
    filterKind = FilterKind::None;
    filter.reset();
    filterBookmarks.clear();
    sort.clear();
    cur = -1;
    gap = false;
    gapRow = kNoRow;
    mode = EditMode::None;
    editRow = kNoRow;
    buffer.clear();
    touched.clear();
    RowsMoved();
}

bool Recordset::View::Admits(RowId r) const {
    switch (filterKind) {
        case FilterKind::None:
            return true;
        case FilterKind::Criteria:
            return filter->Matches(*store, r);
        case FilterKind::Bookmarks:
            return std::binary_search(filterBookmarks.begin(), filterBookmarks.end(),
                                      store->BookmarkOf(r));
    }
    return false;
}

std::size_t Recordset::View::PlaceFor(RowId r) const {
    if (sort.empty()) {
        return static_cast<std::size_t>(std::lower_bound(rows.begin(), rows.end(), r) -
                                        rows.begin());
    }
    // rows edited since the sort may be out of place; any place between sorted neighbours will do
    auto it = std::partition_point(rows.begin(), rows.end(), [&](RowId x) {
        const int c = CompareRows(*store, sort, x, r);
        return c < 0 || (c == 0 && x < r);
    });
    return static_cast<std::size_t>(it - rows.begin());
}

void Recordset::View::RowsMoved() {
    index.reset();
    positionsValid = false;
}

bool Recordset::View::AdoptSortedOrderOfAnotherView() {
    if (filterKind != FilterKind::None || sort.empty() || rows.size() < 2) return false;
    auto sameKeys = [&](const std::vector<SortKey>& other) {
        if (other.size() != sort.size()) return false;
        for (std::size_t k = 0; k < sort.size(); ++k) {
            if (other[k].field != sort[k].field || other[k].descending != sort[k].descending) {
                return false;
            }
        }
        return true;
    };
    for (RowListener* l : store->Listeners()) {
        const auto* other = dynamic_cast<const View*>(l);
        if (!other || other == this || other->filterKind != FilterKind::None ||
            other->rows.size() != rows.size() || !sameKeys(other->sort)) {
            continue;
        }
        // edits since that sort may have put rows out of place: one pass checks the order,
        // unless nothing changed since it was sorted
        const std::vector<RowId>& order = other->rows;
        bool sorted = true;
        if (other->sortedAt == store->Version()) {
            rows = order;
            sortedAt = other->sortedAt;
            return true;
        }
        for (std::size_t i = 1; i < order.size() && sorted; ++i) {
            const int c = CompareRows(*store, sort, order[i - 1], order[i]);
            sorted = c < 0 || (c == 0 && order[i - 1] < order[i]);
        }
        if (!sorted) continue;
        rows = order;
        sortedAt = store->Version();
        return true;
    }
    return false;
}

void Recordset::View::InsertAt(std::size_t p, RowId r) {
    const bool atEnd = p == rows.size();
    rows.insert(rows.begin() + static_cast<long>(p), r);
    const long lp = static_cast<long>(p);
    if (gap) {
        if (lp < cur) ++cur;
    } else if (cur >= lp) {
        ++cur;
    }
    if (atEnd) {
        if (index) index->Add(*store, r, static_cast<std::uint32_t>(p));
        if (positionsValid) {
            if (r >= positions.size()) positions.resize(static_cast<std::size_t>(r) + 1, kNoRow);
            positions[r] = static_cast<std::uint32_t>(p);
        }
    } else {
        RowsMoved();
    }
}

void Recordset::View::SetRows(std::vector<RowId> candidates) {
    rows = std::move(candidates);
    SortRows(*store, sort, rows);
    sortedAt = store->Version();
    RowsMoved();
    gap = false;
    gapRow = kNoRow;
    cur = rows.empty() ? -1 : 0;
}

long Recordset::View::PositionOf(RowId r) const {
    if (r == kNoRow) return -1;
    if (!positionsValid && rows.size() > 32) {
        positions.assign(store->Slots(), kNoRow);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            positions[rows[i]] = static_cast<std::uint32_t>(i);
        }
        positionsValid = true;
    }
    if (positionsValid) {
        return r < positions.size() && positions[r] != kNoRow ? static_cast<long>(positions[r])
                                                              : -1;
    }
    auto it = std::find(rows.begin(), rows.end(), r);
    return it == rows.end() ? -1 : static_cast<long>(it - rows.begin());
}

void Recordset::View::MoveTo(long pos) {
    cur = pos;
    gap = false;
    gapRow = kNoRow;
}

void Recordset::View::Tell(const RowChange& change) {
    if (observers.empty()) return;
    std::vector<std::shared_ptr<Observer>> live;
    live.reserve(observers.size());
    for (const auto& w : observers) {
        if (auto o = w.lock()) live.push_back(std::move(o));
    }
    observers.erase(std::remove_if(observers.begin(), observers.end(),
                                   [](const std::weak_ptr<Observer>& w) { return w.expired(); }),
                    observers.end());
    for (const auto& o : live) (*o)(change);
}

// --- what the store tells

void Recordset::View::RowAdded(RowId row, const RowListener* origin) {
    if (origin == this) {
        InsertAt(rows.size(), row);  // the adding view shows its new row last
        return;
    }
    if (Admits(row)) InsertAt(PlaceFor(row), row);
}

void Recordset::View::RowChanging(RowId row, int field) {
    if (index && index->field == field) index->Remove(*store, row);
}

void Recordset::View::RowChanged(RowId row, int field) {
    if (index && index->field == field && row < index->positionOf.size() &&
        index->positionOf[row] != kNoRow) {
        index->Add(*store, row, index->positionOf[row]);
    }
}

void Recordset::View::RowsRemoved(const std::vector<RowId>& removed, bool gone) {
    if (gone && gapRow != kNoRow && std::binary_search(removed.begin(), removed.end(), gapRow)) {
        gapRow = kNoRow;
    }
    const RowId current = CurrentRow();
    long newCur = cur;
    bool lostCurrent = false;
    if (removed.size() == 1) {
        const long p = current == removed[0] ? cur : PositionOf(removed[0]);
        if (p < 0) return;
        rows.erase(rows.begin() + p);
        if (gap || cur != p) {
            if (cur > p) --newCur;
        } else {
            lostCurrent = true;
        }
    } else {
        std::size_t out = 0;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const RowId r = rows[i];
            if (std::binary_search(removed.begin(), removed.end(), r)) {
                if (!gap && static_cast<long>(i) == cur) {
                    lostCurrent = true;
                    newCur = static_cast<long>(out);
                } else if (static_cast<long>(i) < cur) {
                    --newCur;
                }
                continue;
            }
            rows[out++] = r;
        }
        if (out == rows.size()) return;
        rows.resize(out);
    }
    RowsMoved();
    cur = newCur;
    if (lostCurrent) {
        // a deleted row stays current (unreadable) until the next move
        gap = true;
        gapRow = gone ? kNoRow : current;
    }
}

void Recordset::View::RowsRestored(const std::vector<RowId>& restored) {
    std::vector<RowId> admitted;
    for (RowId r : restored) {
        if (gap && r == gapRow) {
            // the deleted row under the cursor comes back where it stood
            if (Admits(r)) {
                rows.insert(rows.begin() + cur, r);
                RowsMoved();
                gap = false;
                gapRow = kNoRow;
            }
            continue;
        }
        if (Admits(r)) admitted.push_back(r);
    }
    if (admitted.empty()) return;
    if (admitted.size() <= 16) {
        for (RowId r : admitted) InsertAt(PlaceFor(r), r);
        return;
    }
    const RowId current = CurrentRow();
    auto before = [&](RowId x, RowId y) {
        if (sort.empty()) return x < y;
        const int c = CompareRows(*store, sort, x, y);
        return c < 0 || (c == 0 && x < y);
    };
    std::sort(admitted.begin(), admitted.end(), before);
    std::vector<RowId> merged;
    merged.reserve(rows.size() + admitted.size());
    std::merge(rows.begin(), rows.end(), admitted.begin(), admitted.end(),
               std::back_inserter(merged), before);
    const bool wasEof = !gap && cur == Size();
    rows.swap(merged);
    RowsMoved();
    if (current != kNoRow) {
        cur = PositionOf(current);
    } else if (wasEof) {
        cur = Size();
    }
}

void Recordset::View::RowsRenumbered(const std::vector<RowId>& map) {
    for (RowId& r : rows) r = map[r];
    if (gapRow != kNoRow) gapRow = map[gapRow];
    if (editRow != kNoRow) editRow = map[editRow];
    RowsMoved();
}

}  // namespace records
