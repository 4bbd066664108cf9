// The data grid's mouse and keyboard handling and its hit test.

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>

#include "platform/widgets/data_grid.h"
#include "platform/widgets/grid_model.h"
#include "platform/widgets/grid_views.h"

namespace platform {
namespace {

int buttonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton) code |= 1;
    if (buttons & Qt::RightButton) code |= 2;
    if (buttons & Qt::MiddleButton) code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier) code |= 1;
    if (modifiers & Qt::ControlModifier) code |= 2;
    if (modifiers & Qt::AltModifier) code |= 4;
    return code;
}

}  // namespace

int DataGrid::hitRecord(QWidget* source, const QPoint& pos, int* column, int* area) const {
    *column = -1;
    *area = HitNone;
    if (source == view_->viewport()) {
        const QModelIndex index = view_->indexAt(pos);
        if (!index.isValid()) return -1;
        *column = index.data(DataGridModel::ColumnRole).toInt();
        *area = HitDataCell;
        return model_->recordOfRow(index.row());
    }
    if (source == selectors_->viewport()) {
        const int row = selectors_->logicalIndexAt(pos.y());
        if (row < 0 || row >= model_->rowCount()) return -1;
        *area = HitRowSelector;
        return model_->recordOfRow(row);
    }
    return -1;
}

int DataGrid::HitTest(int x, int y) const {
    const QPoint point(x, y);
    for (QWidget* area : {selectors_->viewport(), view_->viewport()}) {
        const QPoint local = area->mapFrom(this, point);
        if (!area->rect().contains(local)) continue;
        int column = -1, code = HitNone;
        return hitRecord(area, local, &column, &code) >= 0 ? code : HitNone;
    }
    return HitNone;
}

void DataGrid::emitMouseMove(QWidget* source, QMouseEvent* event) {
    const QPoint at = source->mapTo(this, event->position().toPoint());
    emit MouseMove(index_, buttonCode(event->buttons()), shiftCode(event->modifiers()), at.x(),
                   at.y());
}

void DataGrid::gridMouseMove(QWidget* source, QMouseEvent* event) {
    emitMouseMove(source, event);
}

void DataGrid::gridMousePress(QWidget* source, QMouseEvent* event) {
    // The pointer's position is told first, as a move would, so a handler that remembers the
    // last hit-test code sees where the press happened.
    emitMouseMove(source, event);
    view_->setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    clickAfterDouble_ = false;
    int column = -1, area = HitNone;
    const int record = hitRecord(source, event->position().toPoint(), &column, &area);
    if (record < 0) return;
    setCurrent(record, area == HitDataCell ? column : col_, true, true);
    if (area == HitRowSelector) selectByUser(record, event->modifiers());
}

void DataGrid::gridMouseRelease(QWidget* source, QMouseEvent* event) {
    emitMouseMove(source, event);
    if (event->button() != Qt::LeftButton || !pressed_) return;
    pressed_ = false;
    const bool afterDouble = clickAfterDouble_;
    clickAfterDouble_ = false;
    if (!afterDouble) emit Click(index_);
}

void DataGrid::gridMouseDoubleClick(QWidget* source, QMouseEvent* event) {
    emitMouseMove(source, event);
    if (event->button() != Qt::LeftButton) return;
    pressed_ = true;
    clickAfterDouble_ = true;  // the release that follows is not another Click
    emit DblClick(index_);
}

void DataGrid::selectByUser(int record, Qt::KeyboardModifiers modifiers) {
    const records::Bookmark bookmark = model_->bookmarkAt(record);
    switch (rowSelection_) {
        case RowSelection::None:
            return;
        case RowSelection::Single:
            anchorRecord_ = record;
            changeSelection({bookmark});
            return;
        case RowSelection::Multi:
            break;
    }
    std::vector<records::Bookmark> items = selection_.items();
    if (modifiers & Qt::ControlModifier) {
        const auto it = std::find(items.begin(), items.end(), bookmark);
        if (it == items.end()) {
            items.push_back(bookmark);
        } else {
            items.erase(it);
        }
        anchorRecord_ = record;
    } else if ((modifiers & Qt::ShiftModifier) && anchorRecord_ >= 0) {
        items.clear();
        const int step = record >= anchorRecord_ ? 1 : -1;
        for (int r = anchorRecord_;; r += step) {
            items.push_back(model_->bookmarkAt(r));
            if (r == record) break;
        }
    } else {
        items = {bookmark};
        anchorRecord_ = record;
    }
    changeSelection(std::move(items));
}

void DataGrid::moveCurrentByKey(int record, int column) {
    if (model_->recordCount() == 0) return;
    setCurrent(std::clamp(record, 0, model_->recordCount() - 1), column, true, true);
}

bool DataGrid::gridKeyPress(QKeyEvent* event) {
    const int records = model_->recordCount();
    const int current = currentRecord();
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    const int rowHeight = std::max(1, selectors_->defaultSectionSize() * model_->lines());
    const int page = std::max(1, view_->viewport()->height() / rowHeight - 1);

    if (event->matches(QKeySequence::SelectAll)) {
        if (rowSelection_ == RowSelection::Multi) {
            std::vector<records::Bookmark> all;
            all.reserve(static_cast<std::size_t>(records));
            for (int r = 0; r < records; ++r) all.push_back(model_->bookmarkAt(r));
            changeSelection(std::move(all));
        }
        return true;
    }

    // Columns in the order they are shown, line by line.
    const auto& cells = layout_.cells();
    int cellPos = -1;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (cells[i].column == col_) cellPos = static_cast<int>(i);
    }

    switch (event->key()) {
        case Qt::Key_Up:
            moveCurrentByKey(current - 1, col_);
            return true;
        case Qt::Key_Down:
            moveCurrentByKey(current < 0 ? 0 : current + 1, col_);
            return true;
        case Qt::Key_PageUp:
            moveCurrentByKey(current - page, col_);
            return true;
        case Qt::Key_PageDown:
            moveCurrentByKey(current + page, col_);
            return true;
        case Qt::Key_Home:
            if (ctrl) {
                moveCurrentByKey(0, col_);
            } else if (!cells.empty()) {
                moveCurrentByKey(current, cells.front().column);
            }
            return true;
        case Qt::Key_End:
            if (ctrl) {
                moveCurrentByKey(records - 1, col_);
            } else if (!cells.empty()) {
                moveCurrentByKey(current, cells.back().column);
            }
            return true;
        case Qt::Key_Left:
            if (!cells.empty())
                moveCurrentByKey(current,
                                 cells[static_cast<std::size_t>(std::max(0, cellPos - 1))].column);
            return true;
        case Qt::Key_Right:
            if (!cells.empty()) {
                const int next = std::min(static_cast<int>(cells.size()) - 1, cellPos + 1);
                moveCurrentByKey(current, cells[static_cast<std::size_t>(next)].column);
            }
            return true;
        case Qt::Key_Space:
            if (current >= 0 && rowSelection_ != RowSelection::None) {
                const records::Bookmark bookmark = model_->bookmarkAt(current);
                if (rowSelection_ == RowSelection::Single) {
                    changeSelection({bookmark});
                } else {
                    selectByUser(current, Qt::ControlModifier);  // toggles
                }
            }
            return true;
        default:
            return false;
    }
}

}  // namespace platform
