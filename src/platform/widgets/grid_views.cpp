#include "platform/widgets/grid_views.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionHeader>

#include "platform/widgets/grid_columns.h"
#include "platform/widgets/grid_layout.h"

namespace platform {
namespace {

constexpr int kCaptionPadding = 6;
constexpr int kSelectorWidth = 16;

int lineHeightOf(const QFont& font) {
    return QFontMetrics(font).height() + kCaptionPadding;
}

}  // namespace

// --- GridCellDelegate

void GridCellDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus;
    // Alternate whole records, not table rows, so a two-line record reads as one band.
    if (const auto* model = qobject_cast<const DataGridModel*>(index.model())) {
        if (model->recordOfRow(index.row()) % 2 == 1) {
            option->backgroundBrush = option->palette.brush(QPalette::AlternateBase);
        }
    }
}

// --- GridTableView

GridTableView::GridTableView(GridViewHost& host, QWidget* parent)
    : QTableView(parent), host_(host) {
    setSelectionMode(QAbstractItemView::NoSelection);  // the grid keeps its own selection
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setMouseTracking(true);
    setItemDelegate(new GridCellDelegate(this));
}

void GridTableView::mousePressEvent(QMouseEvent* event) {
    host_.gridMousePress(viewport(), event);
}

void GridTableView::mouseReleaseEvent(QMouseEvent* event) {
    host_.gridMouseRelease(viewport(), event);
}

void GridTableView::mouseDoubleClickEvent(QMouseEvent* event) {
    host_.gridMouseDoubleClick(viewport(), event);
}

void GridTableView::mouseMoveEvent(QMouseEvent* event) {
    host_.gridMouseMove(viewport(), event);
}

void GridTableView::keyPressEvent(QKeyEvent* event) {
    if (!host_.gridKeyPress(event)) QTableView::keyPressEvent(event);
}

void GridTableView::keyboardSearch(const QString&) {
    // Typing never moves the current row: rows change through the grid's own keys only.
}

// --- GridHeaderView

GridHeaderView::GridHeaderView(GridViewHost& host, QWidget* parent)
    : QHeaderView(Qt::Horizontal, parent), host_(host) {
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setStretchLastSection(false);
    setSectionResizeMode(QHeaderView::Interactive);
}

int GridHeaderView::bandHeight() const {
    return host_.gridLayout().bands().empty() ? 0 : lineHeightOf(host_.groupFont());
}

int GridHeaderView::captionHeight() const {
    int height = lineHeightOf(host_.groupFont());
    const GridLayout& layout = host_.gridLayout();
    for (const GridLayout::Cell& cell : layout.cells())
        height = std::max(height, lineHeightOf(host_.headerFont(cell.column)));
    return height;
}

QSize GridHeaderView::sizeHint() const {
    QSize size = QHeaderView::sizeHint();
    size.setHeight(bandHeight() + host_.gridLayout().lines() * captionHeight());
    return size;
}

void GridHeaderView::paintPiece(QPainter& painter, const QRect& rect, const QString& text,
                                Qt::Alignment alignment, const QFont& font) const {
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.rect = rect;
    option.state |= QStyle::State_Raised;
    option.position = QStyleOptionHeader::Middle;
    option.fontMetrics = QFontMetrics(font);
    option.textAlignment = alignment | Qt::AlignVCenter;
    option.text = option.fontMetrics.elidedText(text, Qt::ElideRight, rect.width() - 8);
    painter.save();
    painter.setFont(font);
    style()->drawControl(QStyle::CE_Header, &option, &painter, this);
    painter.restore();
}

void GridHeaderView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const GridLayout& layout = host_.gridLayout();
    const auto slotsRect = [this](int first, int count, int top, int height) {
        int width = 0;
        for (int s = first; s < first + count; ++s) width += sectionSize(s);
        return QRect(sectionViewportPosition(first), top, width, height);
    };

    const int band = bandHeight();
    for (const GridLayout::Band& b : layout.bands()) {
        const QString caption = QString::fromStdString(host_.gridGroups().Item(b.group).Caption());
        paintPiece(painter, slotsRect(b.firstSlot, b.slotCount, 0, band), caption, Qt::AlignHCenter,
                   host_.groupFont());
    }

    const int lineHeight = captionHeight();
    for (int line = 0; line < layout.lines(); ++line) {
        const int top = band + line * lineHeight;
        for (int slot = 0; slot < layout.slotCount(); ++slot) {
            const GridLayout::Cell* covering = layout.cellAt(line, slot);
            if (!covering) {
                paintPiece(painter, slotsRect(slot, 1, top, lineHeight), QString(), {},
                           host_.groupFont());
                continue;
            }
            if (covering->firstSlot != slot) continue;
            const GridColumn& column = host_.gridColumns().Item(covering->column);
            Qt::Alignment alignment = column.CaptionAlignment() & Qt::AlignHorizontal_Mask;
            if (!alignment) alignment = column.Alignment() & Qt::AlignHorizontal_Mask;
            if (!alignment) alignment = Qt::AlignLeft;
            paintPiece(painter, slotsRect(slot, covering->slotCount, top, lineHeight),
                       QString::fromStdString(column.Caption()), alignment,
                       host_.headerFont(covering->column));
        }
    }
}

// --- RecordSelectorView

RecordSelectorView::RecordSelectorView(GridViewHost& host, QWidget* parent)
    : QHeaderView(Qt::Vertical, parent), host_(host) {
    setSectionsClickable(false);
    setSectionsMovable(false);
    setHighlightSections(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMouseTracking(true);
}

QSize RecordSelectorView::sizeHint() const {
    return QSize(kSelectorWidth, QHeaderView::sizeHint().height());
}

QRect RecordSelectorView::recordRect(int record) const {
    const DataGridModel& model = host_.gridModel();
    const int first = model.firstRowOf(record);
    int height = 0;
    for (int line = 0; line < model.lines(); ++line) height += sectionSize(first + line);
    return QRect(0, sectionViewportPosition(first), viewport()->width(), height);
}

void RecordSelectorView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const DataGridModel& model = host_.gridModel();
    if (model.recordCount() == 0) return;
    const int topRow = std::max(0, logicalIndexAt(0));
    int bottomRow = logicalIndexAt(viewport()->height() - 1);
    if (bottomRow < 0) bottomRow = model.rowCount() - 1;
    const int current = host_.currentRecord();
    for (int record = model.recordOfRow(topRow); record <= model.recordOfRow(bottomRow); ++record) {
        const QRect rect = recordRect(record);
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.position = QStyleOptionHeader::Middle;
        const bool selected = host_.isRecordSelected(record);
        option.state |= selected ? (QStyle::State_Sunken | QStyle::State_On) : QStyle::State_Raised;
        painter.save();  // the style leaves its clip behind
        style()->drawControl(QStyle::CE_Header, &option, &painter, this);
        painter.restore();
        if (selected) {
            QColor highlight = palette().color(QPalette::Highlight);
            highlight.setAlpha(90);
            painter.fillRect(rect.adjusted(1, 1, -1, -1), highlight);
        }
        if (record == current) {
            const QPointF centre = QRectF(rect).center();
            QPainterPath marker;
            marker.moveTo(centre.x() - 3, centre.y() - 4);
            marker.lineTo(centre.x() + 3, centre.y());
            marker.lineTo(centre.x() - 3, centre.y() + 4);
            marker.closeSubpath();
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.fillPath(marker, palette().color(QPalette::ButtonText));
            painter.restore();
        }
    }
}

void RecordSelectorView::mousePressEvent(QMouseEvent* event) {
    host_.gridMousePress(viewport(), event);
}

void RecordSelectorView::mouseReleaseEvent(QMouseEvent* event) {
    host_.gridMouseRelease(viewport(), event);
}

void RecordSelectorView::mouseDoubleClickEvent(QMouseEvent* event) {
    host_.gridMouseDoubleClick(viewport(), event);
}

void RecordSelectorView::mouseMoveEvent(QMouseEvent* event) {
    host_.gridMouseMove(viewport(), event);
}

}  // namespace platform
