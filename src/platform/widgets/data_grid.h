#pragma once
// The data grid: a read-only table over a record-set view, set up and driven the way the old
// grid control was (columns, groups, style sets, selected bookmarks, first row, row loading,
// redraw switch), so the screen's procedures read step by step. Events are Qt signals named
// after the control's events and carry the grid's control-array index; RowLoaded and Error are
// handlers because they write back.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <QVariant>
#include <QWidget>

#include "platform/widgets/grid_columns.h"
#include "platform/widgets/grid_layout.h"
#include "platform/widgets/grid_selection.h"
#include "platform/widgets/grid_views.h"
#include "records/mod_bankruptcy.h"

class QTableView;

namespace platform {

class DataGridModel;
class GridHeaderView;
class GridTableView;
class RecordSelectorView;

class DataGrid : public QWidget, public records::BoundGrid, private GridViewHost {
    Q_OBJECT

  public:
    // Hit-test areas (the old control's codes).
    enum HitArea { HitNone = 0, HitRowSelector = 5, HitDataCell = 7 };
    enum class RowSelection { None = 0, Single = 1, Multi = 2 };
    static constexpr int kSelChangeRows = 2;  // SelChange kind: the row selection changed

    using RowLoadedHandler =
        std::function<void(int index, records::Bookmark bookmark, RowValues& values)>;
    // response starts at 1 (the grid logs the error); a handler may set 0 to silence it.
    using ErrorHandler = std::function<void(int index, long dataError, int& response)>;

    explicit DataGrid(QWidget* parent = nullptr);
    ~DataGrid() override;

    int Index() const { return index_; }
    void SetIndex(int index) { index_ = index; }

    // --- definition
    GridColumns& Columns() { return columns_; }
    const GridColumns& Columns() const { return columns_; }
    GridGroups& Groups() { return groups_; }
    GridStyleSets& StyleSets() { return styleSets_; }
    int LevelCount() const { return levelCount_; }
    void SetLevelCount(int lines);  // lines per record
    void SetFontBold(bool bold);    // the grid's own font (QWidget::font)
    double WidthTwips() const;
    void SetWidthTwips(double twips);
    RowSelection SelectTypeRow() const { return rowSelection_; }
    void SetSelectTypeRow(RowSelection mode);
    bool SelectTypeCol() const { return columnSelection_; }
    void SetSelectTypeCol(bool columns) { columnSelection_ = columns; }  // cells are never selected
    bool AllowUpdate() const { return allowUpdate_; }
    void SetAllowUpdate(bool on) { allowUpdate_ = on; }  // the grid never edits; kept for callers
    bool AllowAddNew() const { return allowAddNew_; }
    void SetAllowAddNew(bool on) { allowAddNew_ = on; }
    bool AllowDelete() const { return allowDelete_; }
    void SetAllowDelete(bool on) { allowDelete_ = on; }

    // --- binding (records::BoundGrid)
    bool Redraw() const override { return redraw_; }
    void SetRedraw(bool on) override;
    records::RecordsetPtr DataSource() const override;
    void SetDataSource(records::RecordsetPtr rs) override;
    void SetBatchUpdate(bool on) override { batchUpdate_ = on; }
    void ReBind() override;
    void Reset() override;
    bool BatchUpdate() const { return batchUpdate_; }
    void Refresh();  // rows are loaded (and formatted) again as they are shown
    const std::string& DataMember() const { return dataMember_; }
    void SetDataMember(std::string member) { dataMember_ = std::move(member); }

    // --- rows
    long Rows() const;
    std::optional<records::Bookmark> Bookmark() const;  // the current row
    void SetBookmark(records::Bookmark bookmark);       // error 3001 when not shown
    std::optional<records::Bookmark> FirstRow() const;  // the top visible row
    void SetFirstRow(records::Bookmark bookmark);       // ignored when not shown
    int Col() const { return col_; }                    // current column, -1 for none
    SelectedBookmarks& SelBookmarks() { return selection_; }
    const SelectedBookmarks& SelBookmarks() const { return selection_; }
    // A cell of the current row (after row loading); error 3021 without one, 3265 for a name
    // that is no column.
    records::Value CellValue(std::string_view column) const;
    QString CellText(std::string_view column) const;

    // Rows by visible position (0 = first row of the grid), for scripts and tests.
    std::optional<records::Bookmark> BookmarkAt(int row) const;
    QString CellText(int row, std::string_view column) const;
    void ScrollToRow(int row);
    // Areas in the grid's own coordinates; empty when the row or column is not on screen.
    QRect CellRect(int row, std::string_view column) const;
    QRect SelectorRect(int row) const;
    int HitTest(int x, int y) const;
    // Where mouse input goes: the table's viewport and the record selectors' viewport.
    QWidget* cellArea() const;
    QWidget* selectorArea() const;
    QTableView* view() const;
    DataGridModel& model() { return *model_; }

    void SetRowLoadedHandler(RowLoadedHandler handler) { rowLoaded_ = std::move(handler); }
    void SetErrorHandler(ErrorHandler handler) { error_ = std::move(handler); }

  signals:
    void Click(int index);
    void DblClick(int index);
    // lastRow: the previous current row's bookmark (qint64), invalid when there was none.
    void RowColChange(int index, const QVariant& lastRow, int lastCol);
    void SelChange(int index, int kind);
    // button: 1 left, 2 right, 4 middle; shift: 1 Shift, 2 Ctrl, 4 Alt; x, y in pixels.
    void MouseMove(int index, int button, int shift, int x, int y);
    void InitColumnProps(int index);

  protected:
    void changeEvent(QEvent* event) override;

  private:
    // GridModelHost / GridViewHost
    const GridColumns& gridColumns() const override { return columns_; }
    const GridLayout& gridLayout() const override { return layout_; }
    const GridGroups& gridGroups() const override { return groups_; }
    QFont cellFont(int column) const override;
    QFont headerFont(int column) const override;
    QFont groupFont() const override { return font(); }
    void loadRow(records::Bookmark bookmark, RowValues& values) override;
    void dataError(const records::Error& error) override;
    bool isRecordSelected(int record) const override;
    int currentRecord() const override;
    DataGridModel& gridModel() override { return *model_; }
    void gridMousePress(QWidget* source, QMouseEvent* event) override;
    void gridMouseRelease(QWidget* source, QMouseEvent* event) override;
    void gridMouseDoubleClick(QWidget* source, QMouseEvent* event) override;
    void gridMouseMove(QWidget* source, QMouseEvent* event) override;
    bool gridKeyPress(QKeyEvent* event) override;

    void onDefinitionChanged(GridChange change);
    void applyDeferredDefinition();  // what changed while drawing was off
    void relayout();
    void applyGeometry();
    void afterRowsChanged();
    void syncSelectionToView();
    void updateRowHeight();
    // Makes `record` current (-1: none); moveSource moves the bound record set along, raiseEvent
    // raises RowColChange when the row or column changed (user moves).
    void setCurrent(int record, int column, bool moveSource, bool raiseEvent);
    // A user's change of the selection: raises SelChange when the list changed.
    void changeSelection(std::vector<records::Bookmark> items);
    void selectByUser(int record, Qt::KeyboardModifiers modifiers);
    void moveCurrentByKey(int record, int column);
    int currentRecordOrThrow() const;  // error 3021 without a current row
    int hitRecord(QWidget* source, const QPoint& pos, int* column, int* area) const;
    void emitMouseMove(QWidget* source, QMouseEvent* event);

    int index_ = 0;
    GridColumns columns_;
    GridGroups groups_;
    GridStyleSets styleSets_;
    GridLayout layout_;
    SelectedBookmarks selection_;
    DataGridModel* model_ = nullptr;
    GridTableView* view_ = nullptr;
    GridHeaderView* header_ = nullptr;
    RecordSelectorView* selectors_ = nullptr;
    RowLoadedHandler rowLoaded_;
    ErrorHandler error_;

    int levelCount_ = 1;
    RowSelection rowSelection_ = RowSelection::Multi;
    bool columnSelection_ = false;
    bool allowUpdate_ = false, allowAddNew_ = false, allowDelete_ = false;
    bool redraw_ = true;
    // Definition changes made while drawing is off wait for it to be switched on: setting up
    // the columns then lays the grid out once, not once per property.
    bool deferredLayout_ = false, deferredValues_ = false, deferredAppearance_ = false;
    bool batchUpdate_ = false;
    std::string dataMember_;

    std::optional<records::Bookmark> current_;
    int col_ = -1;
    int lastCurrentRecord_ = -1;  // where the current row was, for when it disappears
    int anchorRecord_ = -1;       // start of a Shift range
    bool pressed_ = false;        // a press on this grid waits for its release (Click)
    bool clickAfterDouble_ = false;
};

}  // namespace platform
