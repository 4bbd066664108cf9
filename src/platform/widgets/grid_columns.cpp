#include "platform/widgets/grid_columns.h"

#include <algorithm>

#include "records/errors.h"
#include "records/text_util.h"

namespace platform {
namespace {

[[noreturn]] void notFound(const std::string& what) {
    throw records::Error(records::err::ItemNotFound, "Grid item not found: " + what);
}

}  // namespace

// --- GridColumn

void GridColumn::changed(GridChange change) {
    if (owner_) owner_->notify(change);
}

void GridColumn::SetCaption(std::string value) {
    assign(caption_, std::move(value), GridChange::Appearance);
}
void GridColumn::SetName(std::string value) {
    assign(name_, std::move(value), GridChange::Appearance);
}
void GridColumn::SetDataField(std::string value) {
    assign(dataField_, std::move(value), GridChange::Values);
}
void GridColumn::SetDataType(records::FieldType value) {
    assign(dataType_, value, GridChange::Appearance);
}
void GridColumn::SetWidth(double value) {
    assign(widthTwips_, value, GridChange::Layout);
}
void GridColumn::SetAlignment(Qt::Alignment value) {
    assign(alignment_, value, GridChange::Appearance);
}
void GridColumn::SetCaptionAlignment(Qt::Alignment value) {
    assign(captionAlignment_, value, GridChange::Appearance);
}
void GridColumn::SetNumberFormat(std::string value) {
    assign(numberFormat_, std::move(value), GridChange::Appearance);
}
void GridColumn::SetMask(std::string value) {
    assign(mask_, std::move(value), GridChange::Appearance);
}
void GridColumn::SetVisible(bool value) {
    assign(visible_, value, GridChange::Layout);
}
void GridColumn::SetLevel(int value) {
    assign(level_, value, GridChange::Layout);
}
void GridColumn::SetPosition(int value) {
    assign(position_, value, GridChange::Layout);
}
void GridColumn::SetGroup(int value) {
    assign(group_, value, GridChange::Layout);
}
void GridColumn::SetStyleSet(std::string value) {
    assign(styleSet_, std::move(value), GridChange::Appearance);
}
void GridColumn::SetHeadStyleSet(std::string value) {
    assign(headStyleSet_, std::move(value), GridChange::Appearance);
}

records::Value GridColumn::Value() const {
    const int index = owner_ ? owner_->IndexOf(this) : -1;
    if (index < 0 || !owner_->access_.value) {
        throw records::Error(records::err::NoCurrentRecord, "The grid has no current row.");
    }
    return owner_->access_.value(index);
}

QString GridColumn::Text() const {
    const int index = owner_ ? owner_->IndexOf(this) : -1;
    if (index < 0 || !owner_->access_.text) {
        throw records::Error(records::err::NoCurrentRecord, "The grid has no current row.");
    }
    return owner_->access_.text(index);
}

// --- GridColumns

GridColumn& GridColumns::Add(int position) {
    const int at = std::clamp(position, 0, Count());
    auto column = std::make_unique<GridColumn>(this);
    GridColumn& added = *column;
    columns_.insert(columns_.begin() + at, std::move(column));
    notify(GridChange::Layout);
    return added;
}

void GridColumns::Remove(int index) {
    if (index < 0 || index >= Count()) notFound("column " + std::to_string(index));
    columns_.erase(columns_.begin() + index);
    notify(GridChange::Layout);
}

void GridColumns::RemoveAll() {
    if (columns_.empty()) return;
    columns_.clear();
    notify(GridChange::Layout);
}

GridColumn& GridColumns::Item(int index) {
    if (index < 0 || index >= Count()) notFound("column " + std::to_string(index));
    return *columns_[static_cast<std::size_t>(index)];
}

const GridColumn& GridColumns::Item(int index) const {
    return const_cast<GridColumns*>(this)->Item(index);
}

GridColumn& GridColumns::Item(std::string_view name) {
    const int index = IndexOf(name);
    if (index < 0) notFound("column \"" + std::string(name) + "\"");
    return *columns_[static_cast<std::size_t>(index)];
}

const GridColumn& GridColumns::Item(std::string_view name) const {
    return const_cast<GridColumns*>(this)->Item(name);
}

int GridColumns::IndexOf(std::string_view name) const noexcept {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (records::EqualsIgnoreCase(columns_[i]->Name(), name)) return static_cast<int>(i);
    }
    return -1;
}

int GridColumns::IndexOf(const GridColumn* column) const noexcept {
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        if (columns_[i].get() == column) return static_cast<int>(i);
    }
    return -1;
}

// --- groups

void GridGroup::SetCaption(std::string caption) {
    if (caption_ == caption) return;
    caption_ = std::move(caption);
    if (changed_) changed_();
}

void GridGroup::SetWidth(double twips) {
    if (widthTwips_ == twips) return;
    widthTwips_ = twips;
    if (changed_) changed_();
}

GridGroup& GridGroups::Add(int position) {
    const int at = std::clamp(position, 0, Count());
    auto group = std::make_unique<GridGroup>();
    group->changed_ = [this] {
        if (hook_) hook_();
    };
    GridGroup& added = *group;
    groups_.insert(groups_.begin() + at, std::move(group));
    if (hook_) hook_();
    return added;
}

void GridGroups::RemoveAll() {
    if (groups_.empty()) return;
    groups_.clear();
    if (hook_) hook_();
}

GridGroup& GridGroups::Item(int index) {
    if (index < 0 || index >= Count()) notFound("group " + std::to_string(index));
    return *groups_[static_cast<std::size_t>(index)];
}

const GridGroup& GridGroups::Item(int index) const {
    return const_cast<GridGroups*>(this)->Item(index);
}

// --- style sets

void GridStyleSet::SetFont(const QFont& font) {
    font_ = font;
    if (changed_) changed_();
}

void GridStyleSet::SetBold(bool bold) {
    font_.setBold(bold);
    if (changed_) changed_();
}

GridStyleSet& GridStyleSets::Add(std::string_view name) {
    for (auto& set : sets_) {
        if (records::EqualsIgnoreCase(set->Name(), name)) return *set;
    }
    auto set = std::make_unique<GridStyleSet>(std::string(name));
    set->changed_ = [this] {
        if (hook_) hook_();
    };
    sets_.push_back(std::move(set));
    return *sets_.back();
}

GridStyleSet& GridStyleSets::Item(std::string_view name) {
    for (auto& set : sets_) {
        if (records::EqualsIgnoreCase(set->Name(), name)) return *set;
    }
    notFound("style set \"" + std::string(name) + "\"");
}

const GridStyleSet* GridStyleSets::Find(std::string_view name) const noexcept {
    for (const auto& set : sets_) {
        if (records::EqualsIgnoreCase(set->Name(), name)) return set.get();
    }
    return nullptr;
}

void ApplyColumnDef(GridColumn& column, const ColumnDef& def) {
    column.SetCaption(def.caption);
    column.SetName(def.name);
    if (def.alignment) column.SetAlignment(def.alignment);
    if (def.captionAlignment) column.SetCaptionAlignment(def.captionAlignment);
    column.SetDataField(def.field ? def.field : def.name);
    column.SetDataType(def.type);
    column.SetNumberFormat(def.format);
    column.SetMask(def.mask);
    column.SetVisible(def.visible);
    if (def.level >= 0) column.SetLevel(def.level);
    if (def.position >= 0) column.SetPosition(def.position);
}

}  // namespace platform
