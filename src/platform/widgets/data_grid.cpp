#include "platform/widgets/data_grid.h"

#include <QEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtDebug>

#include "platform/widgets/grid_model.h"
#include "platform/widgets/grid_views.h"
#include "platform/widgets/twips.h"
#include "records/errors.h"

namespace platform {
namespace {

constexpr int kRowPadding = 6;
// The column widths of the screen were laid out for a narrow 8-point font.
constexpr double kDefaultPointSize = 8.0;

}  // namespace

DataGrid::DataGrid(QWidget* parent) : QWidget(parent) {
    GridViewHost& host = *this;
    model_ = new DataGridModel(host, this);
    view_ = new GridTableView(host, this);
    header_ = new GridHeaderView(host, view_);
    selectors_ = new RecordSelectorView(host, view_);
    view_->setHorizontalHeader(header_);
    view_->setVerticalHeader(selectors_);
    view_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    view_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    view_->setModel(model_);

    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(view_);
    setFocusProxy(view_);

    columns_.setChangeHook([this](GridChange change) { onDefinitionChanged(change); });
    columns_.setCurrentRowAccess(CurrentRowAccess{
        [this](int column) { return model_->rowValues(currentRecordOrThrow()).At(column); },
        [this](int column) { return model_->cellText(currentRecordOrThrow(), column); }});
    groups_.setChangeHook([this] {
        if (!redraw_) {
            deferredLayout_ = true;
            return;
        }
        layout_.build(columns_, groups_, levelCount_, logicalDpiX());
        applyGeometry();
    });
    styleSets_.setChangeHook([this] { onDefinitionChanged(GridChange::Appearance); });
    selection_.setAcceptor([this](records::Bookmark b) { return model_->recordOf(b) >= 0; });
    selection_.setChangeHook([this] { syncSelectionToView(); });

    connect(model_, &QAbstractItemModel::modelReset, this, &DataGrid::afterRowsChanged);
    connect(model_, &QAbstractItemModel::rowsInserted, this, &DataGrid::afterRowsChanged);
    connect(model_, &QAbstractItemModel::rowsRemoved, this, &DataGrid::afterRowsChanged);
    // A record's lines scroll together.
    connect(view_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (levelCount_ > 1 && value % levelCount_ != 0)
            view_->verticalScrollBar()->setValue(value - value % levelCount_);
    });
    QFont gridFont = font();
    gridFont.setPointSizeF(kDefaultPointSize);
    gridFont.setStretch(QFont::SemiCondensed);
    setFont(gridFont);
    relayout();
}

DataGrid::~DataGrid() {
    // The views and the model ask the grid while they are torn down: they go first.
    delete view_;
    delete model_;
}

// --- definition

void DataGrid::SetLevelCount(int lines) {
    const int clamped = std::max(1, lines);
    if (clamped == levelCount_) return;
    levelCount_ = clamped;
    onDefinitionChanged(GridChange::Layout);
}

void DataGrid::SetFontBold(bool bold) {
    QFont f = font();
    f.setBold(bold);
    setFont(f);
}

double DataGrid::WidthTwips() const {
    return pixelsToTwips(width(), logicalDpiX());
}

void DataGrid::SetWidthTwips(double twips) {
    const int pixels = twipsToPixels(twips, logicalDpiX());
    setMinimumWidth(pixels);
    resize(pixels, height());
}

void DataGrid::SetSelectTypeRow(RowSelection mode) {
    rowSelection_ = mode;
}

void DataGrid::onDefinitionChanged(GridChange change) {
    if (!redraw_) {
        // The model keeps the layout it has until then, so the view and it still agree.
        deferredLayout_ = deferredLayout_ || change == GridChange::Layout;
        deferredValues_ = deferredValues_ || change == GridChange::Values;
        deferredAppearance_ = deferredAppearance_ || change == GridChange::Appearance;
        return;
    }
    switch (change) {
        case GridChange::Layout:
            relayout();
            return;
        case GridChange::Values:
            model_->invalidateValues();
            return;
        case GridChange::Appearance:
            updateRowHeight();
            model_->repaintAll();
            header_->viewport()->update();
            return;
    }
}

void DataGrid::applyDeferredDefinition() {
    const bool layout = deferredLayout_, values = deferredValues_, look = deferredAppearance_;
    deferredLayout_ = deferredValues_ = deferredAppearance_ = false;
    if (layout) {
        // The new layout may put a record on another number of lines: keep the top record.
        const std::optional<records::Bookmark> top = FirstRow();
        relayout();
        if (top) SetFirstRow(*top);
    } else if (values) {
        model_->invalidateValues();
    } else if (look) {
        model_->repaintAll();
    }
    if (look) {
        updateRowHeight();
        header_->viewport()->update();
    }
}

void DataGrid::relayout() {
    model_->relayout([this] { layout_.build(columns_, groups_, levelCount_, logicalDpiX()); });
    applyGeometry();
}

void DataGrid::applyGeometry() {
    for (int slot = 0; slot < layout_.slotCount(); ++slot)
        header_->resizeSection(slot, layout_.slotWidth(slot));
    updateRowHeight();
    header_->updateGeometry();
    view_->refreshGeometry();
    header_->viewport()->update();
}

void DataGrid::updateRowHeight() {
    int height = QFontMetrics(font()).height();
    for (int c = 0; c < columns_.Count(); ++c)
        height = std::max(height, QFontMetrics(cellFont(c)).height());
    selectors_->setMinimumSectionSize(1);
    selectors_->setDefaultSectionSize(height + kRowPadding);
    view_->refreshGeometry();
}

void DataGrid::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange && view_) {
        updateRowHeight();
        header_->updateGeometry();
        view_->refreshGeometry();
        model_->repaintAll();
        header_->viewport()->update();
    }
}

QFont DataGrid::cellFont(int column) const {
    if (column >= 0 && column < columns_.Count()) {
        if (const GridStyleSet* set = styleSets_.Find(columns_.Item(column).StyleSet()))
            return set->resolvedFont(font());
    }
    return font();
}

QFont DataGrid::headerFont(int column) const {
    if (column >= 0 && column < columns_.Count()) {
        if (const GridStyleSet* set = styleSets_.Find(columns_.Item(column).HeadStyleSet()))
            return set->resolvedFont(font());
    }
    return font();
}

// --- binding

void DataGrid::SetRedraw(bool on) {
    if (redraw_ == on) return;
    redraw_ = on;
    if (on) applyDeferredDefinition();
    setUpdatesEnabled(on);
    if (on) {
        view_->viewport()->update();
        header_->viewport()->update();
        selectors_->viewport()->update();
    }
}

records::RecordsetPtr DataGrid::DataSource() const {
    return model_->source();
}

void DataGrid::SetDataSource(records::RecordsetPtr rs) {
    if (rs && rs == model_->source()) {
        ReBind();
        return;
    }
    selection_.prune([](records::Bookmark) { return false; });
    current_.reset();
    lastCurrentRecord_ = -1;
    anchorRecord_ = -1;
    model_->setSource(rs);
    // A bound grid stands where its record set stands.
    records::IgnoreErrors([&] {
        if (rs && rs->IsOpen() && rs->HasCurrentRow()) {
            const int record = model_->recordOf(rs->GetBookmark());
            if (record >= 0) setCurrent(record, col_, false, false);
        }
    });
    view_->scrollToTop();
    syncSelectionToView();
    if (rs && columns_.Count() == 0) emit InitColumnProps(index_);
}

void DataGrid::ReBind() {
    model_->reload();
}

void DataGrid::Reset() {
    model_->reload();
    view_->scrollToTop();
}

void DataGrid::Refresh() {
    model_->invalidateValues();
    view_->viewport()->update();
    selectors_->viewport()->update();
}

void DataGrid::loadRow(records::Bookmark bookmark, RowValues& values) {
    if (rowLoaded_) rowLoaded_(index_, bookmark, values);
}

void DataGrid::dataError(const records::Error& error) {
    int response = 1;
    if (error_) error_(index_, error.Number(), response);
    if (response != 0) {
        qWarning("Grid %d: data error %ld: %s", index_, error.Number(),
                 error.Description().c_str());
    }
}

// --- rows

long DataGrid::Rows() const {
    return model_->recordCount();
}

std::optional<records::Bookmark> DataGrid::Bookmark() const {
    return current_;
}

void DataGrid::SetBookmark(records::Bookmark bookmark) {
    const int record = model_->recordOf(bookmark);
    if (record < 0) {
        throw records::Error(
            records::err::InvalidArgument,
            "The bookmark " + std::to_string(bookmark) + " is not a row of the grid.");
    }
    setCurrent(record, col_, true, false);
}

std::optional<records::Bookmark> DataGrid::FirstRow() const {
    if (model_->recordCount() == 0) return std::nullopt;
    const int row = std::max(0, selectors_->logicalIndexAt(0));
    return model_->bookmarkAt(model_->recordOfRow(row));
}

void DataGrid::SetFirstRow(records::Bookmark bookmark) {
    const int record = model_->recordOf(bookmark);
    if (record < 0) return;
    view_->refreshGeometry();
    view_->verticalScrollBar()->setValue(model_->firstRowOf(record));
}

int DataGrid::currentRecordOrThrow() const {
    const int record = currentRecord();
    if (record < 0)
        throw records::Error(records::err::NoCurrentRecord, "The grid has no current row.");
    return record;
}

records::Value DataGrid::CellValue(std::string_view column) const {
    const int c = columns_.IndexOf(&columns_.Item(column));  // Item raises "not found"
    return model_->rowValues(currentRecordOrThrow()).At(c);
}

QString DataGrid::CellText(std::string_view column) const {
    const int c = columns_.IndexOf(&columns_.Item(column));
    return model_->cellText(currentRecordOrThrow(), c);
}

std::optional<records::Bookmark> DataGrid::BookmarkAt(int row) const {
    if (row < 0 || row >= model_->recordCount()) return std::nullopt;
    return model_->bookmarkAt(row);
}

QString DataGrid::CellText(int row, std::string_view column) const {
    const int c = columns_.IndexOf(&columns_.Item(column));
    if (row < 0 || row >= model_->recordCount()) return QString();
    return model_->cellText(row, c);
}

void DataGrid::ScrollToRow(int row) {
    if (row < 0 || row >= model_->recordCount() || model_->columnCount() == 0) return;
    const int first = model_->firstRowOf(row);
    view_->scrollTo(model_->index(first + model_->lines() - 1, 0));
    view_->scrollTo(model_->index(first, 0));
}

QRect DataGrid::CellRect(int row, std::string_view column) const {
    const GridLayout::Cell* cell = layout_.cellOfColumn(columns_.IndexOf(column));
    if (!cell || row < 0 || row >= model_->recordCount()) return QRect();
    const QModelIndex index = model_->index(model_->firstRowOf(row) + cell->line, cell->firstSlot);
    const QRect rect = view_->visualRect(index).intersected(view_->viewport()->rect());
    if (rect.isEmpty()) return QRect();
    return rect.translated(view_->viewport()->mapTo(this, QPoint(0, 0)));
}

QRect DataGrid::SelectorRect(int row) const {
    if (row < 0 || row >= model_->recordCount()) return QRect();
    const QRect rect = selectors_->recordRect(row).intersected(selectors_->viewport()->rect());
    if (rect.isEmpty()) return QRect();
    return rect.translated(selectors_->viewport()->mapTo(this, QPoint(0, 0)));
}

QWidget* DataGrid::cellArea() const {
    return view_->viewport();
}

QWidget* DataGrid::selectorArea() const {
    return selectors_->viewport();
}

QTableView* DataGrid::view() const {
    return view_;
}

// --- current row and selection

int DataGrid::currentRecord() const {
    return current_ ? model_->recordOf(*current_) : -1;
}

bool DataGrid::isRecordSelected(int record) const {
    return selection_.Contains(model_->bookmarkAt(record));
}

void DataGrid::setCurrent(int record, int column, bool moveSource, bool raiseEvent) {
    const std::optional<records::Bookmark> previous = current_;
    const int previousCol = col_;
    if (record < 0 || record >= model_->recordCount()) {
        current_.reset();
    } else {
        current_ = model_->bookmarkAt(record);
        lastCurrentRecord_ = record;
    }
    col_ = column;
    if (current_ && model_->columnCount() > 0) {
        const GridLayout::Cell* cell = layout_.cellOfColumn(col_);
        const int first = model_->firstRowOf(record);
        const QModelIndex index =
            model_->index(first + (cell ? cell->line : 0), cell ? cell->firstSlot : 0);
        view_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        if (raiseEvent) {
            view_->scrollTo(model_->index(first + model_->lines() - 1, index.column()));
            view_->scrollTo(index);
        }
    }
    selectors_->viewport()->update();
    if (current_ && moveSource) {
        // The bound record set follows the grid, as a bound control's does.
        records::IgnoreErrors([&] { model_->source()->SetBookmark(*current_); });
    }
    if (raiseEvent && (previous != current_ || previousCol != col_)) {
        emit RowColChange(index_, previous ? QVariant(static_cast<qint64>(*previous)) : QVariant(),
                          previousCol);
    }
}

void DataGrid::changeSelection(std::vector<records::Bookmark> items) {
    if (items == selection_.items()) return;
    selection_.assign(std::move(items));
    emit SelChange(index_, kSelChangeRows);
}

void DataGrid::afterRowsChanged() {
    view_->clearSpans();
    for (const GridLayout::Cell& cell : layout_.cells()) {
        if (cell.slotCount < 2) continue;
        for (int record = 0; record < model_->recordCount(); ++record)
            view_->setSpan(model_->firstRowOf(record) + cell.line, cell.firstSlot, 1,
                           cell.slotCount);
    }
    selection_.prune([this](records::Bookmark b) { return model_->recordOf(b) >= 0; });
    if (anchorRecord_ >= model_->recordCount()) anchorRecord_ = -1;

    // The current row stays on its record; when that went, on the row that took its place.
    int record = currentRecord();
    if (record < 0 && model_->recordCount() > 0)
        record = std::clamp(lastCurrentRecord_, 0, model_->recordCount() - 1);
    setCurrent(record, col_, false, false);
    syncSelectionToView();
}

void DataGrid::syncSelectionToView() {
    QItemSelection selection;
    const int columns = model_->columnCount();
    if (columns > 0) {
        for (records::Bookmark b : selection_.items()) {
            const int record = model_->recordOf(b);
            if (record < 0) continue;
            const int first = model_->firstRowOf(record);
            selection.select(model_->index(first, 0),
                             model_->index(first + model_->lines() - 1, columns - 1));
        }
    }
    view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    selectors_->viewport()->update();
}

}  // namespace platform
