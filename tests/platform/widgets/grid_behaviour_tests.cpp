// The grid as the screen drives it: selection, current row, mouse, keys, hit test and first row.

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>

#include "grid_fixtures.h"
#include "platform/widgets/grid_model.h"
#include "records/errors.h"

namespace platform::testing {
namespace {

QPoint centre(const QRect& r) {
    return r.center();
}

// Clicks at a point of the grid, on whichever of its areas is there.
void clickAt(DataGrid& grid, const QPoint& at, Qt::KeyboardModifiers mods = {}) {
    QWidget* target = grid.childAt(at);
    ASSERT_NE(target, nullptr);
    QTest::mouseClick(target, Qt::LeftButton, mods, target->mapFrom(&grid, at));
}

void doubleClickAt(DataGrid& grid, const QPoint& at) {
    QWidget* target = grid.childAt(at);
    ASSERT_NE(target, nullptr);
    const QPoint local = target->mapFrom(&grid, at);
    QTest::mouseClick(target, Qt::LeftButton, {}, local);
    QTest::mouseDClick(target, Qt::LeftButton, {}, local);
}

std::vector<records::Bookmark> selected(const DataGrid& grid) {
    return grid.SelBookmarks().items();
}

struct ArGridFixture : ::testing::Test {
    void SetUp() override {
        buildArGrid(grid);
        rs = makeArRecordset(arRows(40));
        grid.resize(640, 300);
        grid.SetDataSource(rs);
        showAndPaint(grid);
    }
    DataGrid grid;
    records::RecordsetPtr rs;
};

TEST_F(ArGridFixture, SelectedBookmarksSurviveASortAndFollowTheirRows) {
    const records::Bookmark a = *grid.BookmarkAt(2), b = *grid.BookmarkAt(5),
                            c = *grid.BookmarkAt(9);
    EXPECT_TRUE(grid.SelBookmarks().Add(b));
    EXPECT_TRUE(grid.SelBookmarks().Add(a));
    EXPECT_TRUE(grid.SelBookmarks().Add(c));
    EXPECT_FALSE(grid.SelBookmarks().Add(a)) << "a row is selected once";
    EXPECT_FALSE(grid.SelBookmarks().Add(9999)) << "a row the grid does not show";

    rs->SetSort("ACCT_RCVBL_NBR DESC");
    EXPECT_EQ(selected(grid), (std::vector<records::Bookmark>{b, a, c}));
    EXPECT_EQ(grid.BookmarkAt(0), std::optional<records::Bookmark>(40));
    EXPECT_EQ(grid.BookmarkAt(39), std::optional<records::Bookmark>(1));
    // The view highlights the records at their new places.
    const auto rows = grid.view()->selectionModel()->selectedRows();
    ASSERT_EQ(rows.size(), 3);
    for (const QModelIndex& index : rows) {
        const auto bm = index.data(DataGridModel::BookmarkRole).toLongLong();
        EXPECT_TRUE(grid.SelBookmarks().Contains(bm));
    }
    // A filter hiding a selected row drops it from the list; the current row keeps its record.
    const auto current = grid.BookmarkAt(38);
    grid.SetBookmark(*current);
    rs->SetFilter("ACCT_RCVBL_NBR <> " +
                  records::TextOf(rs->ValueAt(a, rs->FieldIndex("ACCT_RCVBL_NBR"))));
    EXPECT_EQ(selected(grid), (std::vector<records::Bookmark>{b, c}));
    EXPECT_EQ(grid.Bookmark(), current);

    grid.SelBookmarks().Remove(0);
    EXPECT_EQ(grid.SelBookmarks().Item(0), c);
    EXPECT_THROW(grid.SelBookmarks().Item(1), records::Error);
    EXPECT_THROW(grid.SelBookmarks().Remove(3), records::Error);
    grid.SelBookmarks().RemoveAll();
    EXPECT_EQ(grid.SelBookmarks().Count(), 0);
    EXPECT_TRUE(grid.view()->selectionModel()->selectedRows().isEmpty());

    grid.SelBookmarks().Add(*current);  // a bookmark the new record set has too
    grid.SetDataSource(makeArRecordset(arRows(3)));
    EXPECT_EQ(grid.SelBookmarks().Count(), 0) << "a new record set starts unselected";
    DataGrid bare;  // a grid without columns asks for them when it is bound
    QSignalSpy ask(&bare, &DataGrid::InitColumnProps);
    bare.SetDataSource(makeCaseRecordset({}));
    EXPECT_EQ(ask.size(), 1);
}

TEST_F(ArGridFixture, HitTestAndTheFirstVisibleRow) {
    const QRect cell = grid.CellRect(1, "Amount Due");
    const QRect selector = grid.SelectorRect(1);
    ASSERT_FALSE(cell.isEmpty());
    ASSERT_FALSE(selector.isEmpty());
    EXPECT_EQ(grid.HitTest(centre(cell).x(), centre(cell).y()), DataGrid::HitDataCell);
    EXPECT_EQ(grid.HitTest(centre(selector).x(), centre(selector).y()), DataGrid::HitRowSelector);
    EXPECT_EQ(grid.HitTest(centre(cell).x(), 2), DataGrid::HitNone);  // the column headers
    EXPECT_EQ(grid.HitTest(-5, -5), DataGrid::HitNone);

    // Below the last row there is no record.
    DataGrid few;
    buildArGrid(few);
    few.resize(640, 300);
    few.SetDataSource(makeArRecordset(arRows(2)));
    showAndPaint(few);
    const QRect last = few.CellRect(1, "Status");
    EXPECT_EQ(few.HitTest(last.center().x(), last.bottom() + 30), DataGrid::HitNone);
    EXPECT_EQ(few.HitTest(few.SelectorRect(1).center().x(), last.bottom() + 30), DataGrid::HitNone);

    // the first visible row reads and writes as a bookmark
    EXPECT_EQ(grid.FirstRow(), grid.BookmarkAt(0));
    grid.SetFirstRow(*grid.BookmarkAt(10));
    EXPECT_EQ(grid.FirstRow(), grid.BookmarkAt(10));
    grid.SetFirstRow(123456);  // not a row: ignored
    EXPECT_EQ(grid.FirstRow(), grid.BookmarkAt(10));
    EXPECT_THROW(grid.SetBookmark(123456), records::Error);
}

TEST_F(ArGridFixture, ClicksMoveTheCurrentRowAndSelectorsSelectRows) {
    QSignalSpy rowCol(&grid, &DataGrid::RowColChange);
    QSignalSpy sel(&grid, &DataGrid::SelChange);
    QSignalSpy clicks(&grid, &DataGrid::Click);
    QSignalSpy doubles(&grid, &DataGrid::DblClick);
    const records::Bookmark first = *grid.Bookmark();

    clickAt(grid, centre(grid.CellRect(3, "Status")));
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(3));
    ASSERT_EQ(rowCol.size(), 1);
    EXPECT_EQ(rowCol[0][1].toLongLong(), first);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_TRUE(sel.isEmpty()) << "a data cell does not select";
    EXPECT_EQ(rs->GetBookmark(), *grid.BookmarkAt(3)) << "the bound record set follows";

    clickAt(grid, centre(grid.SelectorRect(5)));
    EXPECT_EQ(selected(grid), std::vector<records::Bookmark>{*grid.BookmarkAt(5)});
    ASSERT_EQ(sel.size(), 1);
    EXPECT_EQ(sel[0][1].toInt(), DataGrid::kSelChangeRows);
    clickAt(grid, centre(grid.SelectorRect(7)), Qt::ControlModifier);
    EXPECT_EQ(selected(grid),
              (std::vector<records::Bookmark>{*grid.BookmarkAt(5), *grid.BookmarkAt(7)}));
    clickAt(grid, centre(grid.SelectorRect(5)), Qt::ControlModifier);
    EXPECT_EQ(selected(grid), std::vector<records::Bookmark>{*grid.BookmarkAt(7)});
    clickAt(grid, centre(grid.SelectorRect(9)), Qt::ShiftModifier);
    EXPECT_EQ(grid.SelBookmarks().Count(), 5);  // from the last clicked (5) to 9

    clicks.clear();
    doubleClickAt(grid, centre(grid.CellRect(2, "AcctRcvblType")));
    EXPECT_EQ(doubles.size(), 1);
    EXPECT_EQ(clicks.size(), 1) << "a double-click is one Click and one DblClick";
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(2));

    grid.SetSelectTypeRow(DataGrid::RowSelection::None);
    sel.clear();
    clickAt(grid, centre(grid.SelectorRect(1)));
    EXPECT_TRUE(sel.isEmpty());
}

TEST_F(ArGridFixture, KeysMoveTheCurrentRowAndSpaceTogglesTheSelection) {
    QSignalSpy rowCol(&grid, &DataGrid::RowColChange);
    QSignalSpy sel(&grid, &DataGrid::SelChange);
    grid.view()->setFocus();
    QTest::keyClick(grid.view(), Qt::Key_Up);  // already at the top
    EXPECT_TRUE(rowCol.isEmpty());
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QTest::keyClick(grid.view(), Qt::Key_Down);
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(2));
    ASSERT_EQ(rowCol.size(), 2);
    EXPECT_EQ(rowCol[1][1].toLongLong(), *grid.BookmarkAt(1));

    QTest::keyClick(grid.view(), Qt::Key_Space);
    EXPECT_EQ(selected(grid), std::vector<records::Bookmark>{*grid.BookmarkAt(2)});
    QTest::keyClick(grid.view(), Qt::Key_Down);
    QTest::keyClick(grid.view(), Qt::Key_Space);
    EXPECT_EQ(grid.SelBookmarks().Count(), 2);
    QTest::keyClick(grid.view(), Qt::Key_Space);
    EXPECT_EQ(selected(grid), std::vector<records::Bookmark>{*grid.BookmarkAt(2)});
    EXPECT_EQ(sel.size(), 3);

    QTest::keyClick(grid.view(), Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(39));
    EXPECT_NE(grid.FirstRow(), grid.BookmarkAt(0)) << "the grid scrolled to the row";
    QTest::keyClick(grid.view(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(grid.SelBookmarks().Count(), 40);
}

}  // namespace
}  // namespace platform::testing
