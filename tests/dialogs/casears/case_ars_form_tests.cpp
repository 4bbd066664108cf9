// frmBankruptcyCaseARs on its own: its grid and its rows (its closing is played by scenarios).

#include <string>
#include <vector>

#include <QTest>

#include <gtest/gtest.h>

#include "dialogs/casears/frm_bankruptcy_case_ars.h"
#include "platform/common/library_fixture.h"
#include "platform/common/scripted_backend.h"
#include "platform/widgets/data_grid.h"
#include "records/layouts.h"
#include "records/mod_bankruptcy.h"
#include "records/value_rules.h"

namespace {

using records::Value;

class CodesBackEnd : public testing_support::ScriptedBackEnd {
  public:
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override {
        if (table == "REFDOCTYP") return {{"INV", "Invoice"}, {"LC", "Late Charge"}};
        if (table == "CSTATUS") return {{"O", "Open"}, {"B", "In Bankruptcy"}};
        return {};
    }
};

class CaseArsFormTest : public testing_support::LibraryTest {
  protected:
    void SetUp() override {
        buildLibrary(std::make_shared<CodesBackEnd>());
        form = std::make_unique<frmBankruptcyCaseARs>(parts.library);
        messaging::CustomerRecord customer;
        customer.CustID = "1002";
        customer.CaseID = "2020BK0001";
        form->SetCustomerRecord(customer);
    }

    // A receivable of the case: number (Null for none), check number, type, status, issue date.
    struct Ar {
        Value number;
        long check;
        const char* type;
        const char* status;
        int year, month, day;
    };
    records::RecordsetPtr receivables(const std::vector<Ar>& ars) {
        records::RecordsetPtr rs = records::NewAccntRecvRS();
        for (const Ar& ar : ars) {
            rs->AddNew();
            rs->Set("Cust_ID", Value("1002"));
            rs->Set("CASE_ID", Value("2020BK0001"));
            rs->Set("ACCT_RCVBL_NBR", ar.number);
            rs->Set("ACCT_RCVBL_CK_NBR", Value(static_cast<std::int64_t>(ar.check)));
            rs->Set("ACCT_RCVBL_TYP_CD", Value(ar.type));
            rs->Set("ACCT_STTS_CD", Value(ar.status));
            rs->Set("TRNSCTN_DT", Value(records::DateSerial(ar.year, ar.month, ar.day)));
            rs->Set("ACCT_RCVBL_DUE_AMT", Value(records::CurrencyFromUnits(250)));
            rs->Set("ACCT_RCVBL_BAL_AMT", Value(records::CurrencyFromUnits(120, 5000)));
            rs->Update();
        }
        if (rs->RecordCount() > 0) rs->MoveFirst();
        return rs;
    }
    void showForm() {
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }
    platform::DataGrid& grid() { return *form->Grid(); }

    std::unique_ptr<frmBankruptcyCaseARs> form;
};

TEST_F(CaseArsFormTest, TheGridHasExactlyItsTenColumnsAndNoGroup) {
    // Caption, name and data field of each column; the last four are hidden.
    const std::vector<std::string> expected = {
        "AR Number|AcctRcvblNumber|AcctRcvblNumber",
        "AR Type|AcctRcvblType|AcctRcvblType",
        "Issue Date|Issue Date|TRNSCTN_DT",
        "Status|Status|Status",
        "Assessment Amount|Assessment Amount|ACCT_RCVBL_DUE_AMT",
        "Amount Due|Amount Due|ACCT_RCVBL_BAL_AMT",
        "ACCT_RCVBL_TYP_CD|ACCT_RCVBL_TYP_CD|ACCT_RCVBL_TYP_CD",
        "ACCT_RCVBL_NBR|ACCT_RCVBL_NBR|ACCT_RCVBL_NBR",
        "ACCT_RCVBL_CK_NBR|ACCT_RCVBL_CK_NBR|ACCT_RCVBL_CK_NBR",
        "ACCT_STTS_CD|ACCT_STTS_CD|ACCT_STTS_CD",
    };
    const platform::GridColumns& columns = grid().Columns();
    ASSERT_EQ(columns.Count(), static_cast<int>(expected.size()));
    for (int i = 0; i < columns.Count(); ++i) {
        const platform::GridColumn& c = columns.Item(i);
        EXPECT_EQ(c.Caption() + "|" + c.Name() + "|" + c.DataField(),
                  expected[static_cast<std::size_t>(i)]);
        EXPECT_EQ(c.Visible(), i < 6) << i;
        EXPECT_EQ(c.Mask(), "") << i;
    }
    EXPECT_EQ(columns.Item(4).NumberFormat(), "CURRENCY");
    EXPECT_EQ(columns.Item(5).NumberFormat(), "CURRENCY");
    EXPECT_EQ(columns.Item(2).Alignment(), Qt::AlignHCenter);
    EXPECT_EQ(grid().Groups().Count(), 0);
    EXPECT_EQ(grid().SelectTypeRow(), platform::DataGrid::RowSelection::Multi);
    EXPECT_FALSE(grid().SelectTypeCol());
    EXPECT_FALSE(grid().AllowUpdate() || grid().AllowAddNew() || grid().AllowDelete());
    EXPECT_TRUE(reporter->errors.empty());
}

// The rows, and OK: the form unloads and lets go of the record set, which stays open.
TEST_F(CaseArsFormTest, RowsShowNumbersTypesStatusesAndDatesUntilOk) {
    records::RecordsetPtr rows =
        receivables({{Value(std::int64_t{42}), 3, "INV", "O", 2023, 3, 1},
                     {Value(std::int64_t{1234567}), 10, "LC", "B", 2021, 12, 31},
                     {Value::Null(), 4, "XX", "", 2022, 7, 4}});
    form->SetRecordset(rows);
    showForm();
    // Number, type, status and issue date; no number shows none, an unknown code itself.
    const QString expected[] = {"0000042-3|Invoice|Open|3/1/2023",
                                "1234567-10|Late Charge|In Bankruptcy|12/31/2021", "|XX||7/4/2022"};
    ASSERT_EQ(grid().Rows(), 3);
    for (int row = 0; row < 3; ++row) {
        QStringList cells;
        for (const char* column : {"AcctRcvblNumber", "AcctRcvblType", "Status", "Issue Date"})
            cells << grid().CellText(row, column);
        EXPECT_EQ(cells.join('|'), expected[row]);
    }
    EXPECT_EQ(grid().CellText(0, "Amount Due"), "$120.50");

    form->mCmdCaseARs_Click(0);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->IsLoaded());
    EXPECT_EQ(form->Recordset(), nullptr);
    EXPECT_EQ(grid().DataSource(), nullptr);
    EXPECT_TRUE(rows->IsOpen());
    EXPECT_TRUE(reporter->errors.empty());
}

TEST_F(CaseArsFormTest, AFailingPartOfARowIsLoggedWithItsNumberAndTheRestShown) {
    form->SetRecordset(receivables({{Value(std::int64_t{42}), 3, "INV", "O", 2023, 3, 1}}));
    grid().Columns().Remove(grid().Columns().IndexOf("ACCT_STTS_CD"));
    showForm();
    grid().Refresh();
    ASSERT_EQ(grid().Rows(), 1);
    EXPECT_EQ(grid().CellText(0, "AcctRcvblNumber"), "0000042-3");
    EXPECT_EQ(grid().CellText(0, "AcctRcvblType"), "Invoice");
    ASSERT_FALSE(reporter->errors.empty());
    const std::string& error = reporter->errors.front();
    EXPECT_EQ(error.rfind("KORVA_BankruptcyCaseListARs.mSdgCaseARs_RowLoaded: ", 0), 0u) << error;
    EXPECT_NE(error.find(" 3265"), std::string::npos) << error;
}

}  // namespace
