#include "platform/widgets/grid_selection.h"

#include <algorithm>
#include <string>

#include "records/errors.h"

namespace platform {
namespace {

[[noreturn]] void outOfRange(int position) {
    throw records::Error(records::err::ItemNotFound,
                         "No selected bookmark at position " + std::to_string(position) + ".");
}

}  // namespace

bool SelectedBookmarks::Add(records::Bookmark bookmark) {
    if (Contains(bookmark)) return false;
    if (accepts_ && !accepts_(bookmark)) return false;
    items_.push_back(bookmark);
    notify();
    return true;
}

void SelectedBookmarks::Remove(int position) {
    if (position < 0 || position >= Count()) outOfRange(position);
    items_.erase(items_.begin() + position);
    notify();
}

void SelectedBookmarks::RemoveAll() {
    if (items_.empty()) return;
    items_.clear();
    notify();
}

records::Bookmark SelectedBookmarks::Item(int position) const {
    if (position < 0 || position >= Count()) outOfRange(position);
    return items_[static_cast<std::size_t>(position)];
}

bool SelectedBookmarks::Contains(records::Bookmark bookmark) const {
    return std::find(items_.begin(), items_.end(), bookmark) != items_.end();
}

bool SelectedBookmarks::prune(const std::function<bool(records::Bookmark)>& keep) {
    const auto end =
        std::remove_if(items_.begin(), items_.end(), [&](records::Bookmark b) { return !keep(b); });
    const bool any = end != items_.end();
    items_.erase(end, items_.end());
    return any;
}

void SelectedBookmarks::assign(std::vector<records::Bookmark> items) {
    if (items == items_) return;
    items_ = std::move(items);
    notify();
}

}  // namespace platform
