// The two grids: their columns and row texts, selection by mouse and keyboard, the receivable
// sort order and which commands may be pressed.

#include "document_fixture.h"
#include "platform/binding/display_formats.h"

namespace document_testing {
namespace {

constexpr int kAdd = 0, kCaseArs = 1, kProcess = 3, kEdit = 5;

std::vector<records::Bookmark> selected(platform::DataGrid& g) {
    return g.SelBookmarks().items();
}

TEST_F(DocumentTest, ReceivableRowsShowSevenDigitNumbersAndDecodedTexts) {
    open();
    ASSERT_TRUE(selectAndWait("1002"));
    platform::DataGrid& ars = grid(KORVA_Bankruptcy::ars);
    ASSERT_EQ(ars.Rows(), 3);
    // Sorted by number: the receivable without a number comes first, and is the current row
    // although it came last in the answer.
    EXPECT_EQ(ars.Bookmark(), ars.BookmarkAt(0));
    expectCells(ars, 0, "AcctRcvblNumber=");
    expectCells(
        ars, 1,
        "AcctRcvblNumber=0000007-1|AcctRcvblType=License Fee|Status=Open|Amount Due=$60.50|"
        "Issue Date=" +
            platform::formatShortDate(Value(records::DateSerial(2023, 3, 1))).toStdString());
    expectCells(ars, 2, "AcctRcvblNumber=1234567-10|AcctRcvblType=Sales Tax");
    // The record set keeps its raw values.
    const auto rs = doc->AccntRecvRecordset();
    rs->MoveFirst();
    EXPECT_FALSE(rs->HasField("AcctRcvblNumber"));
}

TEST_F(DocumentTest, CaseRowsShowThePendingActionBeforeTheStatus) {
    backEnd->cases["1002"] = {{"BK-1", "O", 2020, 1, 1, "A", "5035550199", " PAY "},
                              {"BK-2", "O", 2020, 2, 1, "B", "5550199", "pay"},
                              {"BK-3", "D", 2020, 3, 1, "C", "", ""},
                              {"BK-4", "O", 2020, 4, 1, "D", "", "WRITEOFF"},
                              {"BK-5", "O", 2020, 5, 1, "E", "", "ADD"}};
    open();
    ASSERT_TRUE(selectAndWait("1002"));
    platform::DataGrid& cases = grid(KORVA_Bankruptcy::FILINGS);
    ASSERT_EQ(cases.Rows(), 5);
    EXPECT_EQ(cases.Bookmark(), cases.BookmarkAt(0));
    expectCells(
        cases, 0,
        "Status=Paying Open|Phone Number=(503) 555 - 0199|Closing Date=|End Date=" +
            platform::formatShortDate(Value(records::DateSerial(2020, 1, 1))).toStdString());
    expectCells(cases, 1, "Status=Saving Open|Phone Number=      555 - 0199");
    expectCells(cases, 2, "Status=Dismissed|Phone Number=");
    expectCells(cases, 3, "Status=Closing Open");
    expectCells(cases, 4, "Status=Adding Open");
}

TEST_F(DocumentTest, ColumnsAreBuiltOnceWithNormalWeightCells) {
    open();
    for (int index : {0, 1}) {
        doc->mSdgBankruptcy_InitColumnProps(index);  // a rebuild yields the same columns
        platform::DataGrid& g = grid(index);
        ASSERT_EQ(g.Columns().Count(), index == 0 ? 12 : 10);
        EXPECT_EQ(g.Groups().Count(), 1);
        EXPECT_GE(g.WidthTwips(), index == 0 ? 8080 - 15 : 8232 - 15);
        EXPECT_TRUE(g.font().bold());
        EXPECT_FALSE(g.StyleSets().Item("UNBOLD").Font().bold());
        for (int c = 0; c < g.Columns().Count(); ++c) {
            EXPECT_EQ(g.Columns().Item(c).StyleSet(), "UNBOLD");
            EXPECT_EQ(g.Columns().Item(c).HeadStyleSet(), "UNBOLD");
        }
    }
    platform::DataGrid& ars = grid(0);
    EXPECT_EQ(ars.Groups().Item(0).Caption(), "Account Receivables Available for Bankruptcy");
    EXPECT_EQ(ars.Columns().Item(2).Caption(), "Issue Date");
    EXPECT_EQ(ars.Columns().Item(7).DataField(), "ACCT_RCVBL_TYP_CD");
    EXPECT_FALSE(ars.Columns().Item(7).Visible());
    EXPECT_EQ(ars.SelectTypeRow(), platform::DataGrid::RowSelection::Multi);
    platform::DataGrid& cases = grid(1);
    EXPECT_EQ(cases.LevelCount(), 2);
    EXPECT_EQ(cases.Columns().Item("End Date").Caption(), "Court Filing Date");
    EXPECT_EQ(cases.Columns().Item("Trustee").Level(), 1);
    EXPECT_EQ(cases.SelectTypeRow(), platform::DataGrid::RowSelection::Single);
}

// A click on the first case, then Down through the others: each is selected and current in turn.
TEST_F(DocumentTest, CommandsFollowTheCaseStatusAndItsPendingAction) {
    backEnd->cases["1002"] = {{"BK-1", "o", 2020, 1, 1, "A", "", ""},
                              {"BK-2", "D", 2020, 2, 1, "B", "", ""},
                              {"BK-3", "W", 2020, 3, 1, "C", "", ""},
                              {"BK-4", "O", 2020, 4, 1, "D", "", "UPD"}};
    open();
    for (int c : {kAdd, kCaseArs, kProcess, kEdit}) EXPECT_FALSE(command(c)->isEnabled()) << c;

    ASSERT_TRUE(selectAndWait("1002"));
    tabs()->setCurrentIndex(2);
    platform::DataGrid& cases = grid(KORVA_Bankruptcy::FILINGS);
    const std::pair<const char*, bool> rows[] = {
        {"BK-1", true}, {"BK-2", false}, {"BK-3", false}, {"BK-4", false}};
    for (const auto& [caseId, processAndEdit] : rows) {
        if (caseId == rows[0].first) {
            clickSelector(cases, 0);
        } else {
            QTest::keyClick(cases.view(), Qt::Key_Down);
        }
        EXPECT_EQ(doc->Customer().CaseID, caseId);
        ASSERT_EQ(selected(cases).size(), 1u);
        EXPECT_EQ(selected(cases)[0], *cases.Bookmark());
        EXPECT_TRUE(command(kCaseArs)->isEnabled()) << caseId;
        EXPECT_EQ(command(kProcess)->isEnabled(), processAndEdit) << caseId;
        EXPECT_EQ(command(kEdit)->isEnabled(), processAndEdit) << caseId;
    }
    EXPECT_EQ(doc->Customer().CaseStatus, "O");
}

TEST_F(DocumentTest, AddNeedsReceivablesAnOfficerAndTheCaseAnswer) {
    open();
    fault("CASES=delay:1500");
    ASSERT_TRUE(select("1002"));
    ASSERT_TRUE(waitUntil([&] { return grid(KORVA_Bankruptcy::ars).Rows() == 3; }));
    tabs()->setCurrentIndex(1);
    clickSelector(grid(KORVA_Bankruptcy::ars), 1);
    typeOfficer("101");
    EXPECT_EQ(doc->Customer().AsgnOfficerID, "101");
    EXPECT_FALSE(command(kAdd)->isEnabled());  // the case inquiry is still out

    ASSERT_TRUE(waitIdle());
    EXPECT_TRUE(command(kAdd)->isEnabled());
}

}  // namespace
}  // namespace document_testing
