// The grid as the screen drives it: selection, current row, mouse, keys, hit test, first row,
// rebinding, row changes from other views, and a picture of both grid kinds.

#include <gtest/gtest.h>
#include <QHeaderView>
#include <QSignalSpy>
#include <QTableView>

#include "grid_fixtures.h"
#include "platform/widgets/grid_model.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"

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
    // A filter that hides a selected row drops it from the list.
    rs->SetFilter("ACCT_RCVBL_NBR <> " +
                  records::TextOf(rs->ValueAt(a, rs->FieldIndex("ACCT_RCVBL_NBR"))));
    EXPECT_EQ(selected(grid), (std::vector<records::Bookmark>{b, c}));

    grid.SelBookmarks().Remove(0);
    EXPECT_EQ(grid.SelBookmarks().Item(0), c);
    EXPECT_THROW(grid.SelBookmarks().Item(1), records::Error);
    EXPECT_THROW(grid.SelBookmarks().Remove(3), records::Error);
    grid.SelBookmarks().RemoveAll();
    EXPECT_EQ(grid.SelBookmarks().Count(), 0);
    EXPECT_TRUE(grid.view()->selectionModel()->selectedRows().isEmpty());
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
    grid.SetBookmark(*grid.BookmarkAt(12));
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(12));
    EXPECT_EQ(records::TextOf(grid.CellValue("ACCT_RCVBL_NBR")),
              records::TextOf(rs->ValueAt(*grid.BookmarkAt(12), rs->FieldIndex("ACCT_RCVBL_NBR"))));
}

TEST_F(ArGridFixture, ClicksMoveTheCurrentRowAndSelectorsSelectRows) {
    QSignalSpy rowCol(&grid, &DataGrid::RowColChange);
    QSignalSpy sel(&grid, &DataGrid::SelChange);
    QSignalSpy clicks(&grid, &DataGrid::Click);
    QSignalSpy doubles(&grid, &DataGrid::DblClick);
    QSignalSpy moves(&grid, &DataGrid::MouseMove);
    const records::Bookmark first = *grid.Bookmark();

    clickAt(grid, centre(grid.CellRect(3, "Status")));
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(3));
    ASSERT_EQ(rowCol.size(), 1);
    EXPECT_EQ(rowCol[0][1].toLongLong(), first);
    EXPECT_EQ(clicks.size(), 1);
    EXPECT_TRUE(sel.isEmpty()) << "a data cell does not select";
    EXPECT_EQ(rs->GetBookmark(), *grid.BookmarkAt(3)) << "the bound record set follows";
    ASSERT_FALSE(moves.isEmpty());
    const QList<QVariant> lastMove = moves.last();
    EXPECT_EQ(grid.HitTest(lastMove[3].toInt(), lastMove[4].toInt()), DataGrid::HitDataCell);

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

TEST_F(ArGridFixture, RowsAddedChangedOrDeletedThroughOtherViewsShowAtOnce) {
    grid.SetBookmark(*grid.BookmarkAt(4));
    const records::Bookmark current = *grid.Bookmark();
    const records::Bookmark doomed = *grid.BookmarkAt(3);
    grid.SelBookmarks().Add(doomed);
    grid.SelBookmarks().Add(current);

    auto clone = rs->Clone();
    clone->SetBookmark(doomed);
    clone->Delete();
    EXPECT_EQ(grid.Rows(), 39);
    EXPECT_EQ(selected(grid), std::vector<records::Bookmark>{current});
    EXPECT_EQ(grid.Bookmark(), current) << "the current row stays on its record";

    clone->AddNew();
    clone->Set("ACCT_RCVBL_NBR", Value(1L));
    clone->Update();
    EXPECT_EQ(grid.Rows(), 40);

    clone->CancelBatch();  // the delete comes back, the new row goes
    EXPECT_EQ(grid.Rows(), 40);
    EXPECT_GE(rs->VisibleIndexOf(doomed), 0);
    EXPECT_GE(grid.model().recordOf(doomed), 0);
}

// records::RebindGrid drives the grid through records::BoundGrid.
TEST_F(ArGridFixture, RebindGridSwapsTheRecordSetAndRestoresTheRedrawSwitch) {
    QSignalSpy init(&grid, &DataGrid::InitColumnProps);
    auto next = makeArRecordset(arRows(3));
    grid.SelBookmarks().Add(*grid.BookmarkAt(1));
    records::RecordsetPtr previous;
    records::RebindGrid(grid, next, &previous, false, false, nullptr);
    EXPECT_EQ(previous, rs);
    EXPECT_EQ(grid.DataSource(), next);
    EXPECT_EQ(grid.Rows(), 3);
    EXPECT_EQ(grid.SelBookmarks().Count(), 0) << "a new record set starts unselected";
    EXPECT_TRUE(grid.BatchUpdate());
    EXPECT_TRUE(grid.Redraw());
    EXPECT_TRUE(init.isEmpty()) << "the columns are there";

    grid.SetRedraw(false);
    records::RebindGrid(grid, nullptr, &previous, true, true, nullptr);
    EXPECT_EQ(previous, next);
    EXPECT_FALSE(next->IsOpen()) << "bCloseOld closes the previous record set";
    EXPECT_EQ(grid.DataSource(), nullptr);
    EXPECT_EQ(grid.Rows(), 0);
    EXPECT_FALSE(grid.BatchUpdate());
    EXPECT_FALSE(grid.Redraw());
    EXPECT_FALSE(grid.Bookmark().has_value());
    EXPECT_FALSE(grid.FirstRow().has_value());

    // A grid without columns asks for them when it is bound.
    DataGrid bare;
    bare.SetIndex(1);
    QSignalSpy ask(&bare, &DataGrid::InitColumnProps);
    bare.SetDataSource(makeCaseRecordset({}));
    ASSERT_EQ(ask.size(), 1);
    EXPECT_EQ(ask[0][0].toInt(), 1);
}

TEST(GridTwoLines, EitherLineOfACaseMakesThatCaseCurrent) {
    DataGrid grid;
    buildCaseGrid(grid);
    grid.resize(600, 250);
    grid.SetDataSource(makeCaseRecordset({{"A-1", "O", "Ann", "", 2024, 1, 1},
                                          {"B-2", "O", "Bob", "", 2024, 1, 1},
                                          {"C-3", "D", "Cy", "", 2024, 1, 1}}));
    showAndPaint(grid);
    QSignalSpy rowCol(&grid, &DataGrid::RowColChange);
    const QRect trustee = grid.CellRect(2, "Trustee");
    ASSERT_FALSE(trustee.isEmpty());
    EXPECT_GT(trustee.top(), grid.CellRect(2, "Case Number").top());
    EXPECT_EQ(grid.HitTest(trustee.center().x(), trustee.center().y()), DataGrid::HitDataCell);
    clickAt(grid, trustee.center());
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(2));
    EXPECT_EQ(grid.Col(), grid.Columns().IndexOf("Trustee"));
    EXPECT_EQ(records::TextOf(grid.CellValue("STTS_CD")), "D");
    clickAt(grid, grid.SelectorRect(1).center());
    EXPECT_EQ(grid.SelBookmarks().items(), std::vector<records::Bookmark>{*grid.BookmarkAt(1)});
    // The selection covers both lines of the case.
    EXPECT_EQ(grid.view()->selectionModel()->selectedRows().size(), 2);
    QTest::keyClick(grid.view(), Qt::Key_Up);
    EXPECT_EQ(grid.Bookmark(), grid.BookmarkAt(0));
    EXPECT_EQ(rowCol.size(), 3);
}

}  // namespace
}  // namespace platform::testing
