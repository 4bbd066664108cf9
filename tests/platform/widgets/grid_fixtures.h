#pragma once
// Record sets and grid set-ups shaped like the screen's receivable and case grids.

#include <string>
#include <string_view>
#include <vector>

#include <QApplication>
#include <QTest>

#include "platform/widgets/data_grid.h"
#include "records/recordset.h"
#include "records/value_rules.h"

namespace platform::testing {

using records::FieldType;
using records::Value;

struct ArRow {
    long number;
    long check;
    std::string type;
    std::string status;
    int year, month, day;
    std::int64_t dueCents, balanceCents;
};

inline records::RecordsetPtr makeArRecordset(const std::vector<ArRow>& rows) {
    auto rs = records::Recordset::Create();
    rs->AppendField("ACTION", FieldType::Text, 10);
    rs->AppendField("Cust_ID", FieldType::Text, 12);
    rs->AppendField("TRNSCTN_DT", FieldType::Date);
    rs->AppendField("ACCT_RCVBL_NBR", FieldType::Long);
    rs->AppendField("ACCT_RCVBL_CK_NBR", FieldType::Long);
    rs->AppendField("ACCT_RCVBL_TYP_CD", FieldType::Text, 4);
    rs->AppendField("ACCT_STTS_CD", FieldType::Text, 4);
    rs->AppendField("ACCT_RCVBL_DUE_AMT", FieldType::Currency);
    rs->AppendField("ACCT_RCVBL_BAL_AMT", FieldType::Currency);
    rs->Open();
    for (const ArRow& r : rows) {
        rs->AddNew(
            {"Cust_ID", "TRNSCTN_DT", "ACCT_RCVBL_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_TYP_CD",
             "ACCT_STTS_CD", "ACCT_RCVBL_DUE_AMT", "ACCT_RCVBL_BAL_AMT"},
            {Value("1002"), Value(records::DateSerial(r.year, r.month, r.day)), Value(r.number),
             Value(r.check), Value(r.type), Value(r.status),
             Value(records::Currency{r.dueCents * 100}),
             Value(records::Currency{r.balanceCents * 100})});
    }
    rs->UpdateBatch();
    if (!rows.empty()) rs->MoveFirst();
    return rs;
}

inline std::vector<ArRow> arRows(int count) {
    std::vector<ArRow> rows;
    for (int i = 0; i < count; ++i) {
        rows.push_back(ArRow{1000 + i * 7, i % 10, i % 2 ? "TX" : "FEE", "OPN", 2023, 1 + i % 12,
                             1 + i % 28, 10000 + i * 250, 5000 + i * 125});
    }
    return rows;
}

struct ColumnSpec {
    const char* caption;
    const char* name;
    const char* field;  // "" = computed (bound to its own name)
    FieldType type;
    double width;
    bool visible;
    const char* format = "";
    int level = 0;
    Qt::Alignment alignment = {};
};

inline void addColumns(DataGrid& grid, const std::vector<ColumnSpec>& specs, int first = 0) {
    for (int i = first; i < first + static_cast<int>(specs.size()); ++i) {
        const ColumnSpec& s = specs[static_cast<std::size_t>(i - first)];
        GridColumn& c = grid.Columns().Add(i);
        c.SetCaption(s.caption);
        c.SetName(s.name);
        c.SetDataField(*s.field ? s.field : s.name);
        c.SetDataType(s.type);
        c.SetWidth(s.width);
        c.SetVisible(s.visible);
        c.SetNumberFormat(s.format);
        c.SetLevel(s.level);
        c.SetPosition(i);
        c.SetAlignment(s.alignment);
    }
}

// The receivable grid: one line, two computed columns first, six hidden columns.
inline void buildArGrid(DataGrid& grid) {
    grid.Columns().RemoveAll();
    grid.Groups().RemoveAll();
    GridGroup& group = grid.Groups().Add(0);
    group.SetWidth(8000);
    group.SetCaption("Account Receivables Available for Bankruptcy");
    addColumns(
        grid, {
                  {"AR #", "AcctRcvblNumber", "", FieldType::Text, 989.8583, true},
                  {"AR Type", "AcctRcvblType", "", FieldType::Text, 1785.26, true},
                  {"Issue Date", "Issue Date", "TRNSCTN_DT", FieldType::Date, 1049.953, true, "", 0,
                   Qt::AlignHCenter},
                  {"Status", "Status", "", FieldType::Text, 1140.095, true},
                  {"Assessment Amount", "Assessment Amount", "ACCT_RCVBL_DUE_AMT",
                   FieldType::Currency, 1604.976, true, "CURRENCY", 0, Qt::AlignRight},
                  {"Amount Due", "Amount Due", "ACCT_RCVBL_BAL_AMT", FieldType::Currency, 1425.26,
                   true, "CURRENCY", 0, Qt::AlignRight},
                  {"AR Type", "AR Type", "ACCT_RCVBL_TYP_CD", FieldType::Text, 255.1181, false},
              });
    // hidden columns named after their fields
    for (const char* f :
         {"ACCT_RCVBL_TYP_CD", "ACCT_RCVBL_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_STTS_CD", "ACTION"}) {
        const int i = grid.Columns().Count();
        const bool number = std::string_view(f).find("NBR") != std::string_view::npos;
        addColumns(grid, {{f, f, f, number ? FieldType::Long : FieldType::Text, 315.2126, false}},
                   i);
    }
    grid.SetSelectTypeRow(DataGrid::RowSelection::Multi);
}

struct CaseRow {
    std::string caseId, status, trustee, phone;
    int fileYear, fileMonth, fileDay;
};

inline records::RecordsetPtr makeCaseRecordset(const std::vector<CaseRow>& rows) {
    auto rs = records::Recordset::Create();
    rs->AppendField("ACTION", FieldType::Text, 10);
    rs->AppendField("CUST_ID", FieldType::Text, 12);
    rs->AppendField("CASE_ID", FieldType::Text, 20);
    rs->AppendField("STTS_CD", FieldType::Text, 1);
    rs->AppendField("TRSTE_PHN_NBR", FieldType::Text, 10);
    rs->AppendField("TRSTE_NM", FieldType::Text, 40);
    rs->AppendField("NTFCTN_DT", FieldType::Date);
    rs->AppendField("CRT_FILE_DT", FieldType::Date);
    rs->AppendField("CLM_FILE_DT", FieldType::Date);
    rs->AppendField("CRT_CLSE_DT", FieldType::Date);
    rs->Open();
    for (const CaseRow& r : rows) {
        const auto day = [&](int plus) {
            return Value(records::DateSerial(r.fileYear, r.fileMonth, r.fileDay + plus));
        };
        rs->AddNew({"CUST_ID", "CASE_ID", "STTS_CD", "TRSTE_NM", "TRSTE_PHN_NBR", "CRT_FILE_DT",
                    "CLM_FILE_DT", "NTFCTN_DT"},
                   {Value("1002"), Value(r.caseId), Value(r.status), Value(r.trustee),
                    Value(r.phone), day(0), day(3), day(1)});
    }
    rs->UpdateBatch();
    if (!rows.empty()) rs->MoveFirst();
    return rs;
}

// The case grid: two lines per case; the trustee on line 1 spans three dates of line 0.
inline void buildCaseGrid(DataGrid& grid) {
    grid.Groups().RemoveAll();
    grid.Columns().RemoveAll();
    grid.Groups().Add(0);
    grid.SetLevelCount(2);
    grid.Groups().Item(0).SetWidth(7889.953);
    grid.Groups().Item(0).SetCaption("Bankruptcy Case Filings");
    addColumns(
        grid,
        {
            {"Case #", "Case Number", "CASE_ID", FieldType::Text, 1349.858, true},
            {"Claim Filing Date", "Filing Date", "CLM_FILE_DT", FieldType::Date, 1739.906, true},
            {"Notify Date", "Begin Date", "NTFCTN_DT", FieldType::Date, 1769.953, true},
            {"Court Filing Date", "End Date", "CRT_FILE_DT", FieldType::Date, 1500.095, true},
            {"Court Closing Date", "Closing Date", "CRT_CLSE_DT", FieldType::Date, 1530.142, true},
            {"Status", "Status", "", FieldType::Text, 1349.858, true, "", 1},
            {"Trustee", "Trustee", "TRSTE_NM", FieldType::Text, 5009.953, true, "", 1},
            {"Phone #", "Phone Number", "TRSTE_PHN_NBR", FieldType::Text, 1530.142, true,
             "(###) ### - ####", 1},
            {"STTS_CD", "STTS_CD", "STTS_CD", FieldType::Text, 133.7953, false, "", 1},
            {"ACTION", "ACTION", "ACTION", FieldType::Text, 133.7953, false},
        });
    grid.SetSelectTypeRow(DataGrid::RowSelection::Single);
}

// Shows the grid and lets it lay out and paint.
inline void showAndPaint(QWidget& w) {
    w.show();
    QApplication::processEvents();
    w.repaint();
    QApplication::processEvents();
}

}  // namespace platform::testing
