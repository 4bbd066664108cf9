#pragma once
// The pieces the data grid is drawn with: the table view (input goes to the grid), the column
// header with the group band and one caption line per grid line, the record selectors, and a
// cell delegate without a focus frame (the grid selects whole rows).

#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include "platform/widgets/grid_model.h"

namespace platform {

class GridColumns;
class GridGroups;
class GridLayout;

// What the views need of their grid.
class GridViewHost : public GridModelHost {
  public:
    virtual const GridGroups& gridGroups() const = 0;
    virtual QFont groupFont() const = 0;
    virtual QFont headerFont(int column) const = 0;
    virtual bool isRecordSelected(int record) const = 0;
    virtual int currentRecord() const = 0;  // -1 when none
    virtual DataGridModel& gridModel() = 0;

    // Input from the table's viewport and from the record selectors; `source` is the widget
    // that received the event.
    virtual void gridMousePress(QWidget* source, QMouseEvent* event) = 0;
    virtual void gridMouseRelease(QWidget* source, QMouseEvent* event) = 0;
    virtual void gridMouseDoubleClick(QWidget* source, QMouseEvent* event) = 0;
    virtual void gridMouseMove(QWidget* source, QMouseEvent* event) = 0;
    virtual bool gridKeyPress(QKeyEvent* event) = 0;  // true when the grid used the key
};

class GridCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

class GridTableView : public QTableView {
    Q_OBJECT

  public:
    GridTableView(GridViewHost& host, QWidget* parent);
    void refreshGeometry() { updateGeometries(); }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;

  private:
    GridViewHost& host_;
};

// Column header: the group band (grid font) above one line of captions per grid line.
class GridHeaderView : public QHeaderView {
    Q_OBJECT

  public:
    GridHeaderView(GridViewHost& host, QWidget* parent);
    QSize sizeHint() const override;
    int bandHeight() const;
    int captionHeight() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintPiece(QPainter& painter, const QRect& rect, const QString& text,
                    Qt::Alignment alignment, const QFont& font) const;

    GridViewHost& host_;
};

// Record selectors: one button-like piece per record (spanning its lines), a marker on the
// current record, pressed for selected records.
class RecordSelectorView : public QHeaderView {
    Q_OBJECT

  public:
    RecordSelectorView(GridViewHost& host, QWidget* parent);
    QSize sizeHint() const override;
    QRect recordRect(int record) const;  // in viewport coordinates

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    GridViewHost& host_;
};

}  // namespace platform
