// The grid's model and layout: shape, columns, widths, lines, formats and row loading.

#include <random>
#include <set>

#include <gtest/gtest.h>
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTableView>

#include "grid_fixtures.h"
#include "platform/widgets/grid_model.h"
#include "platform/widgets/twips.h"
#include "records/errors.h"

namespace platform::testing {
namespace {

QStringList gTesterFailures;

void captureTesterFailures(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && message.contains(QLatin1String("FAIL"))) gTesterFailures << message;
}

QString display(DataGrid& grid, int row, int column) {
    return grid.model().index(row, column).data(Qt::DisplayRole).toString();
}

TEST(GridModel, StaysConsistentUnderTheItemModelTester) {
    gTesterFailures.clear();
    const QtMessageHandler previous = qInstallMessageHandler(captureTesterFailures);
    {
        DataGrid grid;
        auto rs = makeArRecordset(arRows(12));
        QAbstractItemModelTester tester(&grid.model(),
                                        QAbstractItemModelTester::FailureReportingMode::Warning);
        buildArGrid(grid);
        grid.SetDataSource(rs);
        auto other = rs->Clone();
        other->AddNew();  // a row added through another view joins the grid
        other->Set("ACCT_RCVBL_NBR", Value(5L));
        other->Update();
        rs->SetSort("ACCT_RCVBL_NBR DESC");
        other->MoveFirst();
        other->Delete();  // batch delete: the row leaves every view
        other->MoveFirst();
        other->Set("ACCT_STTS_CD", Value("CLS"));
        other->Update();
        rs->SetFilter("ACCT_RCVBL_TYP_CD = 'TX'");
        buildCaseGrid(grid);  // new shape: two lines per record
        grid.SetDataSource(makeCaseRecordset({{"C-1", "O", "T", "5551234567", 2024, 1, 2}}));
        grid.SetDataSource(nullptr);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(gTesterFailures.isEmpty()) << gTesterFailures.join('\n').toStdString();
}

TEST(GridModel, FindsEveryRecordWhileRowsComeAndGoOneAtATime) {
    DataGrid grid;
    buildArGrid(grid);
    auto rs = makeArRecordset(arRows(40));
    rs->SetSort("ACCT_RCVBL_NBR ASC");  // rows added elsewhere take their sorted place
    grid.SetDataSource(rs);
    auto other = rs->Clone();
    std::mt19937 random(7);
    auto check = [&](int step) {
        const std::vector<records::Bookmark> shown = rs->VisibleBookmarks();
        ASSERT_EQ(grid.Rows(), static_cast<long>(shown.size())) << "step " << step;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            ASSERT_EQ(grid.model().bookmarkAt(static_cast<int>(i)), shown[i]) << "step " << step;
            ASSERT_EQ(grid.model().recordOf(shown[i]), static_cast<int>(i)) << "step " << step;
        }
    };
    // More single changes than the index keeps before it rebuilds, looked up now and then.
    for (int step = 0; step < 700; ++step) {
        if (random() % 2 == 0 || rs->RecordCount() < 5) {
            other->AddNew();
            other->Set("ACCT_RCVBL_NBR", Value(static_cast<long>(random() % 5000)));
            other->Update();
        } else {
            other->MoveFirst();
            other->Move(static_cast<long>(random() % static_cast<unsigned>(other->RecordCount())));
            const records::Bookmark gone = other->GetBookmark();
            other->Delete();
            ASSERT_EQ(grid.model().recordOf(gone), -1) << "step " << step;
        }
        if (step % 7 == 0) check(step);
    }
    check(700);
}

TEST(GridModel, ColumnSetUpWithDrawingOffLaysTheGridOutOnceWhenDrawingResumes) {
    struct Case {
        const char* name;
        void (*build)(DataGrid&);
        records::RecordsetPtr rows;
    };
    const std::vector<Case> table = {
        {"receivables", buildArGrid, makeArRecordset(arRows(30))},
        {"cases", buildCaseGrid,
         makeCaseRecordset({{"C-1", "O", "Ada", "5551234567", 2024, 1, 2},
                            {"C-2", "D", "Bo", "5550000", 2023, 5, 6}})},
    };
    for (const Case& c : table) {
        DataGrid expected;
        c.build(expected);
        expected.SetDataSource(c.rows->Clone());

        DataGrid grid;
        buildArGrid(grid);  // an earlier shape, as a grid has when a new answer arrives
        grid.SetDataSource(makeArRecordset(arRows(5)));
        int resets = 0;
        QObject::connect(&grid.model(), &QAbstractItemModel::modelReset, [&] { ++resets; });
        grid.SetRedraw(false);
        grid.SetDataSource(c.rows->Clone());
        resets = 0;
        c.build(grid);
        EXPECT_EQ(resets, 0) << c.name << ": laid out while drawing was off";
        grid.SetRedraw(true);
        EXPECT_EQ(resets, 1) << c.name;
        ASSERT_EQ(grid.model().columnCount(), expected.model().columnCount()) << c.name;
        ASSERT_EQ(grid.model().rowCount(), expected.model().rowCount()) << c.name;
        for (int row = 0; row < grid.model().rowCount(); ++row) {
            for (int col = 0; col < grid.model().columnCount(); ++col) {
                EXPECT_EQ(display(grid, row, col), display(expected, row, col))
                    << c.name << " row " << row << " column " << col;
            }
        }
        for (int col = 0; col < grid.model().columnCount(); ++col) {
            EXPECT_EQ(grid.view()->horizontalHeader()->sectionSize(col),
                      expected.view()->horizontalHeader()->sectionSize(col))
                << c.name << " column " << col;
        }
    }
}

TEST(GridModel, CaseGridShowsEachRecordOnTwoLinesWithTheTrusteeSpanningThreeDates) {
    DataGrid grid;
    buildCaseGrid(grid);
    auto rs = makeCaseRecordset({{"13-1001", "O", "Jane Trustee", "5551234567", 2024, 1, 10},
                                 {"13-1002", "D", "John Trustee", "5559876543", 2023, 5, 1}});
    grid.SetDataSource(rs);
    DataGridModel& model = grid.model();
    ASSERT_EQ(model.rowCount(), 4);
    ASSERT_EQ(model.columnCount(), 5);  // cut at every edge of both lines
    EXPECT_EQ(display(grid, 0, 0), "13-1001");
    EXPECT_EQ(display(grid, 0, 1), "1/13/2024");
    EXPECT_EQ(display(grid, 1, 1), "Jane Trustee");
    EXPECT_EQ(display(grid, 1, 4), "(555) 123 - 4567");
    EXPECT_EQ(display(grid, 3, 1), "John Trustee");
    EXPECT_EQ(grid.view()->columnSpan(1, 1), 3);
    EXPECT_EQ(grid.view()->columnSpan(3, 1), 3);
    EXPECT_EQ(grid.view()->columnSpan(0, 1), 1);
    // Both lines of a record carry its bookmark; the record count is per case.
    EXPECT_EQ(model.index(1, 0).data(DataGridModel::BookmarkRole),
              model.index(0, 3).data(DataGridModel::BookmarkRole));
    EXPECT_EQ(grid.Rows(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).toString(), "Case #");
    // A selected case is highlighted on both its lines.
    grid.SelBookmarks().Add(*grid.BookmarkAt(1));
    EXPECT_EQ(grid.view()->selectionModel()->selectedRows().size(), 2);
}

TEST(GridModel, RowLoadedIsAskedOnlyForRowsBroughtIntoViewAndCachedUntilTheRowChanges) {
    DataGrid grid;
    buildArGrid(grid);
    auto rs = makeArRecordset(arRows(200));
    std::vector<records::Bookmark> loaded;
    grid.SetRowLoadedHandler([&](int, records::Bookmark b, RowValues& values) {
        loaded.push_back(b);
        values.Set("AcctRcvblNumber",
                   Value(records::ZeroFill(records::CLng(values.Get("ACCT_RCVBL_NBR")), 7) + "-" +
                         records::TextOf(values.Get("ACCT_RCVBL_CK_NBR"))));
        values.Set("Status", Value("Open"));
    });
    grid.resize(640, 220);
    grid.SetDataSource(rs);
    EXPECT_TRUE(loaded.empty()) << "nothing is shown yet";
    showAndPaint(grid);

    const std::set<records::Bookmark> firstView(loaded.begin(), loaded.end());
    ASSERT_FALSE(firstView.empty());
    EXPECT_LT(firstView.size(), 20u) << "rows far below the window were formatted";
    EXPECT_EQ(firstView.size(), loaded.size()) << "a shown row was formatted twice";
    EXPECT_TRUE(firstView.count(*grid.BookmarkAt(0)));
    EXPECT_FALSE(firstView.count(*grid.BookmarkAt(199)));
    EXPECT_EQ(grid.CellText(0, "AcctRcvblNumber"), "0001000-0");

    // Painting again asks nothing.
    grid.view()->viewport()->repaint();
    EXPECT_EQ(loaded.size(), firstView.size());

    // A changed row is formatted again when shown; the others keep their texts.
    const records::Bookmark second = *grid.BookmarkAt(1);
    auto other = rs->Clone();
    other->SetBookmark(second);
    other->Set("ACCT_RCVBL_NBR", Value(42L));
    other->Update();
    loaded.clear();
    grid.view()->viewport()->repaint();
    ASSERT_EQ(loaded.size(), 1u);
    EXPECT_EQ(loaded.front(), second);
    EXPECT_EQ(grid.CellText(1, "AcctRcvblNumber"), "0000042-1");

    // Scrolling to the end brings new rows into view.
    loaded.clear();
    grid.ScrollToRow(199);
    grid.view()->viewport()->repaint();
    EXPECT_FALSE(loaded.empty());
    for (records::Bookmark b : loaded) EXPECT_GE(rs->VisibleIndexOf(b), 150);
    // Display texts never reach the record set.
    EXPECT_FALSE(rs->HasField("AcctRcvblNumber"));
    EXPECT_EQ(rs->ValueAt(second, rs->FieldIndex("ACCT_RCVBL_NBR")).whole(), 42);
}

}  // namespace
}  // namespace platform::testing
