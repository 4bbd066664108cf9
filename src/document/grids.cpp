// The receivable grid and the two-line case grid: their columns, the display texts of each row
// as it is brought into view, their font weights, and the log of grid errors.

#include <vector>

#include "dialogs/casears/receivable_row.h"
#include "document/korva_bankruptcy.h"
#include "platform/binding/display_formats.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/row_values.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

using records::FieldType;

constexpr double kArGridMinWidth = 8080;
constexpr double kCaseGridMinWidth = 8232;
constexpr long kObjectNotSet = 91;

using platform::ColumnDef;
using namespace platform::column_align;

const std::vector<ColumnDef>& arColumns() {
    static const std::vector<ColumnDef> columns = {
        {"AR #", "AcctRcvblNumber", nullptr, FieldType::Text, 989.8583, kNone, kLeft, "", "", true,
         -1, -1},
        {"AR Type", "AcctRcvblType", nullptr, FieldType::Text, 1785.26, kNone, kLeft, "", "", true,
         -1, -1},
        {"Issue Date", "Issue Date", "TRNSCTN_DT", FieldType::Date, 1049.953, kCentre, kNone, "",
         "##/##/####", true, -1, -1},
        {"Status", "Status", nullptr, FieldType::Text, 1140.095, kNone, kNone, "", "", true, -1,
         -1},
        {"Assessment Amount", "Assessment Amount", "ACCT_RCVBL_DUE_AMT", FieldType::Currency,
         1604.976, kRight, kCentre, "CURRENCY", "", true, -1, -1},
        {"Amount Due", "Amount Due", "ACCT_RCVBL_BAL_AMT", FieldType::Currency, 1425.26, kRight,
         kRight, "CURRENCY", "", true, -1, -1},
        {"AR Type", "AR Type", "ACCT_RCVBL_TYP_CD", FieldType::Text, 255.1181, kNone, kNone, "", "",
         false, -1, -1},
        {"ACCT_RCVBL_TYP_CD", "ACCT_RCVBL_TYP_CD", "ACCT_RCVBL_TYP_CD", FieldType::Text, 315.2126,
         kNone, kLeft, "", "", false, -1, -1},
        {"ACCT_RCVBL_NBR", "ACCT_RCVBL_NBR", "ACCT_RCVBL_NBR", FieldType::Long, 315.2126, kRight,
         kRight, "", "", false, -1, -1},
        {"ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_CK_NBR", "ACCT_RCVBL_CK_NBR", FieldType::Long, 315.2126,
         kRight, kRight, "", "", false, -1, -1},
        {"ACCT_STTS_CD", "ACCT_STTS_CD", "ACCT_STTS_CD", FieldType::Text, 315.2126, kNone, kNone,
         "", "", false, -1, -1},
        {"ACTION", "ACTION", "ACTION", FieldType::Text, 315.2126, kNone, kNone, "", "", false, -1,
         -1},
    };
    return columns;
}

const std::vector<ColumnDef>& caseColumns() {
    static const std::vector<ColumnDef> columns = {
        {"Case #", "Case Number", "CASE_ID", FieldType::Text, 1349.858, kNone, kNone, "", "", true,
         0, 0},
        {"Claim Filing Date", "Filing Date", "CLM_FILE_DT", FieldType::Date, 1739.906, kNone, kNone,
         "", "", true, 0, 1},
        {"Notify Date", "Begin Date", "NTFCTN_DT", FieldType::Date, 1769.953, kNone, kNone, "", "",
         true, 0, 2},
        {"Court Filing Date", "End Date", "CRT_FILE_DT", FieldType::Date, 1500.095, kNone, kNone,
         "", "", true, 0, 3},
        {"Court Closing Date", "Closing Date", "CRT_CLSE_DT", FieldType::Date, 1530.142, kNone,
         kNone, "", "", true, 0, 4},
        {"Status", "Status", nullptr, FieldType::Text, 1349.858, kNone, kNone, "", "", true, 1, 5},
        {"Trustee", "Trustee", "TRSTE_NM", FieldType::Text, 5009.953, kNone, kNone, "", "", true, 1,
         6},
        {"Phone #", "Phone Number", "TRSTE_PHN_NBR", FieldType::Text, 1530.142, kNone, kNone,
         "(###) ### - ####", "", true, 1, 7},
        {"STTS_CD", "STTS_CD", "STTS_CD", FieldType::Text, 133.7953, kNone, kNone, "", "", false, 1,
         8},
        {"ACTION", "ACTION", "ACTION", FieldType::Text, 133.7953, kNone, kNone, "", "", false, -1,
         -1},
    };
    return columns;
}

std::string textOf(const platform::RowValues& row, const char* column) {
    return records::TextOf(row.Get(column));
}

records::Value shortDate(const records::Value& v) {
    return records::Value(platform::formatShortDate(v).toStdString());
}

const char* actionPrefix(const std::string& action) {
    if (action == "ADD") return "Adding ";
    if (action == "UPD") return "Updating ";
    if (action == "PAY") return "Paying ";
    if (action == "DISMISS") return "Dismissing ";
    if (action == "WRITEOFF") return "Closing ";
    return "Saving ";
}

}  // namespace

void KORVA_Bankruptcy::mSdgBankruptcy_InitColumnProps(int Index) {
    // Each step is trapped on its own: a setting that fails leaves that column as it was and the
    // others are still built.
    const char* source = "KORVA_Bankruptcy.mSdgBankruptcy_InitColumnProps";
    if (Index != ars && Index != FILINGS) return;
    platform::DataGrid* grid = ui.mSdgBankruptcy[static_cast<std::size_t>(Index)];
    auto step = [&](auto&& body) { records::Trap(sink(), source, body); };

    const bool arGrid = Index == ars;
    const std::vector<ColumnDef>& defs = arGrid ? arColumns() : caseColumns();
    const double minWidth = arGrid ? kArGridMinWidth : kCaseGridMinWidth;

    step([&] {
        if (grid->WidthTwips() < minWidth) grid->SetWidthTwips(minWidth);
    });
    step([&] {
        if (arGrid) {
            grid->Columns().RemoveAll();
            grid->Groups().RemoveAll();
        } else {
            grid->Groups().RemoveAll();
            grid->Columns().RemoveAll();
        }
    });
    step([&] {
        if (grid->Groups().Count() < 1) grid->Groups().Add(0);
    });
    if (!arGrid) step([&] { grid->SetLevelCount(2); });
    step([&] {
        platform::GridGroup& group = grid->Groups().Item(0);
        group.SetWidth(arGrid ? 8000 : 7889.953);
        group.SetCaption(arGrid ? "Account Receivables Available for Bankruptcy"
                                : "Bankruptcy Case Filings");
    });
    for (std::size_t i = 0; i < defs.size(); ++i) {
        step([&] { platform::ApplyColumnDef(grid->Columns().Add(static_cast<int>(i)), defs[i]); });
    }
    // The widths in a second pass, as the columns were first added with provisional ones.
    for (std::size_t i = 0; i < defs.size(); ++i) {
        step([&] { grid->Columns().Item(static_cast<int>(i)).SetWidth(defs[i].width); });
    }
    step([&] {
        grid->SetAllowUpdate(false);
        grid->SetSelectTypeRow(arGrid ? platform::DataGrid::RowSelection::Multi
                                      : platform::DataGrid::RowSelection::Single);
        grid->SetSelectTypeCol(false);
    });
    step([&] { SetGridBolding(grid); });
}

void KORVA_Bankruptcy::SetGridBolding(platform::DataGrid* grid) {
    records::Trap(sink(), "KORVA_Bankruptcy.SetGridBolding", [&] {
        grid->StyleSets().Item("UNBOLD").SetBold(false);
        grid->SetFontBold(true);
        for (int c = 0; c < grid->Columns().Count(); ++c) {
            platform::GridColumn& column = grid->Columns().Item(c);
            column.SetStyleSet("UNBOLD");
            column.SetHeadStyleSet("UNBOLD");
        }
    });
}

void KORVA_Bankruptcy::mSdgBankruptcy_RowLoaded(int Index, records::Bookmark /*Bookmark*/,
                                                platform::RowValues& row) {
    // A failing step is logged and the next one runs, so the row shows every text that could be
    // made; an object that is not there ends the row's formatting without a report.
    bool stop = false;
    auto report = [&](const std::string& description) {
        records::IgnoreErrors([&] {
            sink()->ReportError(description, std::string(records::kExeName),
                                "KORVA_Bankruptcy.mSdgBankruptcy_RowLoaded");
        });
    };
    auto step = [&](auto&& body) {
        if (stop) return;
        try {
            body();
        } catch (const records::Error& e) {
            if (e.Number() == kObjectNotSet) {
                stop = true;
                return;
            }
            report(e.Description());
        } catch (const std::exception& e) {
            report(e.what());
        }
    };
    platform::DataGrid* grid = ui.mSdgBankruptcy.at(static_cast<std::size_t>(Index));
    if (Index == ars && grid->Columns().Count() < 12) return;
    if (Index == FILINGS && grid->Columns().Count() < 10) return;
    messaging::GlobalServices& services = *mLib.globalServices;

    if (Index == ars) {
        // The same texts as the case-receivables dialog shows, in this grid's column order.
        step([&] { dialogs::FormatReceivableNumber(row); });
        step([&] { dialogs::FormatIssueDate(row); });
        step([&] { dialogs::FormatReceivableType(row, services); });
        step([&] { dialogs::FormatReceivableStatus(row, services); });
        return;
    }

    if (Index == FILINGS) {
        for (const char* column : {"Filing Date", "Begin Date", "End Date", "Closing Date"}) {
            step([&] { row.Set(column, shortDate(row.Get(column))); });
        }
        std::string status;
        step([&] {
            status = services.GetCodeDescription("BNKRPTCY", textOf(row, "STTS_CD"));
            row.Set("Status", records::Value(status));
        });
        step([&] {
            const std::string action = records::Trim(textOf(row, "ACTION"));
            if (!action.empty()) row.Set("Status", records::Value(actionPrefix(action) + status));
        });
        // Ten digits show with the area code, anything else as a local number.
        step([&] {
            const std::string phone = records::Trim(textOf(row, "Phone Number"));
            if (!phone.empty())
                row.Set("Phone Number", records::Value(platform::formatPhone(phone)));
        });
    }
}

void KORVA_Bankruptcy::mSdgBankruptcy_Error(int Index, long DataError, int& Response) {
    // Logged only; the response stays as the grid gave it, so its own handling goes on.
    records::IgnoreErrors([&] {
        sink()->ReportError(
            "Grid Error; Index, DataError, Response:" + std::to_string(Index) + " , " +
                std::to_string(DataError) + " , " + std::to_string(Response),
            std::string(records::kExeName), "KORVA_Bankruptcy.mSdgBankruptcy_Error");
    });
}
