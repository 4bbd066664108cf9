#pragma once
// The grid's selected-bookmarks list: the selected records in the order they were selected.

#include <functional>
#include <vector>

#include "records/recordset.h"

namespace platform {

class SelectedBookmarks {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    // Adds a record shown by the grid; false (nothing added) when the grid does not show it or
    // it is selected already.
    bool Add(records::Bookmark bookmark);
    void Remove(int position);  // error 3265 when out of range
    void RemoveAll();
    records::Bookmark Item(int position) const;  // error 3265 when out of range
    bool Contains(records::Bookmark bookmark) const;
    const std::vector<records::Bookmark>& items() const { return items_; }

    // Set by the grid.
    void setAcceptor(std::function<bool(records::Bookmark)> accepts) {
        accepts_ = std::move(accepts);
    }
    void setChangeHook(std::function<void()> changed) { changed_ = std::move(changed); }
    // Drops the bookmarks that `keep` refuses, without telling the hook; true when any went.
    bool prune(const std::function<bool(records::Bookmark)>& keep);
    // Replaces the whole list (one change).
    void assign(std::vector<records::Bookmark> items);

  private:
    void notify() {
        if (changed_) changed_();
    }

    std::vector<records::Bookmark> items_;
    std::function<bool(records::Bookmark)> accepts_;
    std::function<void()> changed_;
};

}  // namespace platform
