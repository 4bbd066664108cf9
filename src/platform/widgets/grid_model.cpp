#include "platform/widgets/grid_model.h"

#include <QDateTime>
#include <QMetaObject>
#include <QtDebug>

#include "platform/binding/value_conversion.h"
#include "platform/widgets/grid_cell_format.h"
#include "platform/widgets/grid_columns.h"
#include "platform/widgets/grid_layout.h"

namespace platform {

DataGridModel::DataGridModel(GridModelHost& host, QObject* parent)
    : QAbstractTableModel(parent), host_(host) {}

DataGridModel::~DataGridModel() = default;

int DataGridModel::lines() const {
    return host_.gridLayout().lines();
}

int DataGridModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return recordCount() * lines();
}

int DataGridModel::columnCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return host_.gridLayout().slotCount();
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const int record = recordOfRow(index.row());
    if (role == BookmarkRole) return static_cast<qlonglong>(bookmarkAt(record));
    const GridLayout::Cell* cell =
        host_.gridLayout().cellAt(index.row() % lines(), index.column(), true);
    if (role == ColumnRole) return cell ? cell->column : -1;
    // While drawing is off the layout may still name columns that the set-up removed.
    if (!cell || cell->column >= host_.gridColumns().Count()) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
            return cellText(record, cell->column);
        case Qt::EditRole:
            return toPropertyValue(rowValues(record).At(cell->column), QMetaType());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(cellAlignment(rowValues(record).At(cell->column),
                                                     host_.gridColumns().Item(cell->column)));
        case Qt::FontRole:
            return host_.cellFont(cell->column);
        default:
            return QVariant();
    }
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return QVariant();
    const GridLayout& layout = host_.gridLayout();
    for (int line = 0; line < layout.lines(); ++line) {
        if (const GridLayout::Cell* cell = layout.cellAt(line, section)) {
            if (cell->column >= host_.gridColumns().Count()) return QVariant();
            const GridColumn& column = host_.gridColumns().Item(cell->column);
            // The tip gives the whole caption where a narrow column cuts it short.
            if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
                return QString::fromStdString(column.Caption());
            if (role == Qt::TextAlignmentRole && column.CaptionAlignment())
                return QVariant::fromValue(column.CaptionAlignment() | Qt::AlignVCenter);
            return QVariant();
        }
    }
    return QVariant();
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid)) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void DataGridModel::setSource(records::RecordsetPtr source) {
    beginResetModel();
    subscription_.reset();
    source_ = std::move(source);
    if (source_) {
        subscription_ =
            source_->Subscribe([this](const records::RowChange& change) { onRowChange(change); });
    }
    cache_.clear();
    resolveFields();
    readBookmarks();
    endResetModel();
}

void DataGridModel::reload() {
    reloadQueued_ = false;
    beginResetModel();
    cache_.clear();
    resolveFields();
    readBookmarks();
    endResetModel();
}

void DataGridModel::relayout(const std::function<void()>& rebuildLayout) {
    beginResetModel();
    rebuildLayout();
    cache_.clear();
    resolveFields();
    endResetModel();
}

void DataGridModel::invalidateValues() {
    cache_.clear();
    resolveFields();
    repaintAll();
}

void DataGridModel::repaintAll() {
    if (rowCount() > 0 && columnCount() > 0) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
    emit headerDataChanged(Qt::Horizontal, 0, std::max(0, columnCount() - 1));
}

records::Bookmark DataGridModel::bookmarkAt(int record) const {
    if (record < 0 || record >= recordCount()) return 0;
    return bookmarks_[static_cast<std::size_t>(record)];
}

int DataGridModel::recordOf(records::Bookmark bookmark) const {
    const auto it = index_.find(bookmark);
    if (it == index_.end()) return -1;
    IndexEntry& entry = it->second;
    int record = entry.record;
    for (std::size_t i = entry.shifts; i < shifts_.size(); ++i) {
        const Shift& s = shifts_[i];
        // a removed record has left the index, so no other one stood where it stood
        if (s.delta > 0 ? record >= s.record : record > s.record) record += s.delta;
    }
    entry = {record, static_cast<std::uint32_t>(shifts_.size())};
    return record;
}

const RowValues& DataGridModel::rowValues(int record) const {
    const auto it = cache_.find(bookmarkAt(record));
    if (it != cache_.end()) return it->second;
    return load(record);
}

QString DataGridModel::cellText(int record, int column) const {
    const GridColumns& columns = host_.gridColumns();
    if (column < 0 || column >= columns.Count()) return QString();
    return formatCell(rowValues(record).At(column), columns.Item(column));
}

const RowValues& DataGridModel::load(int record) const {
    const records::Bookmark bookmark = bookmarkAt(record);
    const GridColumns& columns = host_.gridColumns();
    std::vector<records::Value> values(static_cast<std::size_t>(columns.Count()));
    for (int c = 0; c < columns.Count() && c < static_cast<int>(fieldOfColumn_.size()); ++c) {
        const int field = fieldOfColumn_[static_cast<std::size_t>(c)];
        if (field < 0 || !source_) continue;
        try {
            values[static_cast<std::size_t>(c)] = source_->ValueAt(bookmark, field);
        } catch (const records::Error& e) {
            host_.dataError(e);
        }
    }
    RowValues row(columns, std::move(values));
    loading_ = true;
    try {
        host_.loadRow(bookmark, row);
    } catch (const std::exception& e) {  // the handler traps its own errors; this is a last guard
        qWarning("RowLoaded failed: %s", e.what());
    }
    loading_ = false;
    return cache_.insert_or_assign(bookmark, std::move(row)).first->second;
}

void DataGridModel::resolveFields() {
    const GridColumns& columns = host_.gridColumns();
    fieldOfColumn_.assign(static_cast<std::size_t>(columns.Count()), -1);
    if (!source_) return;
    for (int c = 0; c < columns.Count(); ++c) {
        const std::string& field = columns.Item(c).DataField();
        if (!field.empty()) {
            try {
                fieldOfColumn_[static_cast<std::size_t>(c)] = source_->FieldIndex(field);
            } catch (const records::Error&) {  // a closed record set has no fields to show
            }
        }
    }
}

void DataGridModel::readBookmarks() {
    bookmarks_.clear();
    if (source_) {
        try {
            if (source_->IsOpen()) bookmarks_ = source_->VisibleBookmarks();
        } catch (const records::Error& e) {
            host_.dataError(e);
        }
    }
    rebuildIndex();
}

void DataGridModel::rebuildIndex() {
    shifts_.clear();
    index_.clear();
    index_.reserve(bookmarks_.size());
    for (std::size_t i = 0; i < bookmarks_.size(); ++i)
        index_[bookmarks_[i]] = {static_cast<int>(i), 0};
}

void DataGridModel::noteShift(int record, int delta) {
    // Enough shifts that reading an entry costs more than a share of a rebuild.
    constexpr std::size_t kShiftsBeforeRebuild = 256;
    shifts_.push_back({record, delta});
    if (shifts_.size() > kShiftsBeforeRebuild) rebuildIndex();
}

void DataGridModel::emitRecordChanged(int record) {
    if (record < 0 || columnCount() == 0) return;
    emit dataChanged(index(firstRowOf(record), 0),
                     index(firstRowOf(record) + lines() - 1, columnCount() - 1));
}

void DataGridModel::onRowChange(const records::RowChange& change) {
    using Kind = records::RowChange::Kind;
    if (loading_) {
        // A row-formatting handler changed rows while a row was being shown: catch up afterwards.
        if (!reloadQueued_) {
            reloadQueued_ = true;
            QMetaObject::invokeMethod(this, &DataGridModel::reload, Qt::QueuedConnection);
        }
        return;
    }
    switch (change.kind) {
        case Kind::Changed: {
            cache_.erase(change.bookmark);
            emitRecordChanged(recordOf(change.bookmark));
            return;
        }
        case Kind::Added: {
            long at = -1;
            long shown = 0;
            try {
                at = source_->VisibleIndexOf(change.bookmark);
                shown = source_->RecordCount();
            } catch (const records::Error&) {
                reload();
                return;
            }
            if (at < 0) return;  // not in this view
            // Anything but one more row than the grid shows was missed: read them all again.
            if (shown != recordCount() + 1 || at > recordCount() ||
                recordOf(change.bookmark) >= 0) {
                reload();
                return;
            }
            const int record = static_cast<int>(at);
            beginInsertRows(QModelIndex(), firstRowOf(record), firstRowOf(record) + lines() - 1);
            bookmarks_.insert(bookmarks_.begin() + record, change.bookmark);
            noteShift(record, +1);
            index_[change.bookmark] = {record, static_cast<std::uint32_t>(shifts_.size())};
            endInsertRows();
            return;
        }
        case Kind::Removed: {
            cache_.erase(change.bookmark);
            const int record = recordOf(change.bookmark);
            if (record < 0) return;
            beginRemoveRows(QModelIndex(), firstRowOf(record), firstRowOf(record) + lines() - 1);
            bookmarks_.erase(bookmarks_.begin() + record);
            index_.erase(change.bookmark);
            noteShift(record, -1);
            endRemoveRows();
            return;
        }
        case Kind::Reset:
            reload();
            return;
    }
}

}  // namespace platform
