// Which rows of the grids are selected, which case is current, the receivable sort order, and
// which commands may be pressed.

#include <QAction>
#include <QPushButton>
#include <QRadioButton>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/data_grid.h"
#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace {

constexpr const char* kSortExpressions[] = {
    "ACCT_RCVBL_NBR ASC, ACCT_RCVBL_CK_NBR ASC",
    "ACCT_RCVBL_TYP_CD ASC, TRNSCTN_DT ASC",
    "TRNSCTN_DT",
};

bool isNumeric(const std::string& text) {
    return records::IsNumeric(records::Value(text));
}

}  // namespace

void KORVA_Bankruptcy::mSdgBankruptcy_MouseMove(int Index, int /*Button*/, int /*Shift*/, int X,
                                                int Y) {
    records::IgnoreErrors([&] {
        mIntLastHitTest = 0;
        mIntLastHitTest = ui.mSdgBankruptcy.at(static_cast<std::size_t>(Index))->HitTest(X, Y);
    });
}

void KORVA_Bankruptcy::makeCaseCurrent() {
    platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    udtCustomer.CaseID = records::Trim(records::TextOf(grid->CellValue("Case Number")));
    udtCustomer.CaseStatus = records::Trim(records::TextOf(grid->CellValue("STTS_CD")));
}

void KORVA_Bankruptcy::mSdgBankruptcy_RowColChange(int Index, const QVariant& /*LastRow*/,
                                                   int /*LastCol*/) {
    const char* source = "KORVA_Bankruptcy.mSdgBankruptcy_RowColChange";
    if (Index == FILINGS) {
        platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
        records::Trap(sink(), source, [&] {
            if (grid->SelBookmarks().Count() > 0) grid->SelBookmarks().RemoveAll();
        });
        records::Trap(sink(), source, [&] {
            if (const auto current = grid->Bookmark()) grid->SelBookmarks().Add(*current);
        });
        records::Trap(sink(), source, [&] { makeCaseCurrent(); });
    }
    records::Trap(sink(), source, [&] { ValidateCommandButtons(); });
}

void KORVA_Bankruptcy::mSdgBankruptcy_Click(int Index) {
    const char* source = "KORVA_Bankruptcy.mSdgBankruptcy_Click";
    mClickSelectedCase.reset();
    platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    if (Index == FILINGS && mIntLastHitTest == platform::DataGrid::HitRowSelector) {
        records::Trap(sink(), source, [&] { grid->SelBookmarks().RemoveAll(); });
        records::Trap(sink(), source, [&] {
            if (const auto current = grid->Bookmark()) grid->SelBookmarks().Add(*current);
        });
        records::Trap(sink(), source, [&] { makeCaseCurrent(); });
    } else if (Index == FILINGS && mIntLastHitTest == platform::DataGrid::HitDataCell) {
        // A click on a case's cell selects it as a row change does, also when the row was
        // current already (no row change then: the first row after new rows, for one).
        records::Trap(sink(), source, [&] {
            const auto current = grid->Bookmark();
            if (!current || grid->SelBookmarks().items() == std::vector{*current}) return;
            grid->SelBookmarks().RemoveAll();
            grid->SelBookmarks().Add(*current);
            mClickSelectedCase = current;
            makeCaseCurrent();
        });
    }
    // A click on a receivable's cell changes nothing but the selection; the number column has no
    // display flag to toggle.
    records::Trap(sink(), source, [&] { ValidateCommandButtons(); });
}

void KORVA_Bankruptcy::mSdgBankruptcy_DblClick(int Index) {
    const char* source = "KORVA_Bankruptcy.mSdgBankruptcy_DblClick";
    if (mIntLastHitTest != platform::DataGrid::HitDataCell) return;
    platform::DataGrid* grid = ui.mSdgBankruptcy.at(static_cast<std::size_t>(Index));
    platform::SelectedBookmarks& selected = grid->SelBookmarks();

    if (Index == FILINGS) {
        // Toggles the selection of the case; when the double-click's first click selected it,
        // that was the toggle.
        const bool clickSelected = mClickSelectedCase && mClickSelectedCase == grid->Bookmark();
        mClickSelectedCase.reset();
        records::Trap(sink(), source, [&] {
            if (clickSelected) return;
            if (selected.Count() > 0) {
                selected.RemoveAll();
                udtCustomer.CaseID.clear();
                udtCustomer.CaseStatus.clear();
            } else {
                if (const auto current = grid->Bookmark()) selected.Add(*current);
                makeCaseCurrent();
            }
        });
        records::Trap(sink(), source, [&] { ValidateCommandButtons(); });
        return;
    }

    // Receivables: toggles the selection of the current one without touching the others.
    int match = -1;
    bool noRows = false;
    records::Trap(sink(), source, [&] {
        const auto current = grid->Bookmark();
        const std::string currentText = current ? std::to_string(*current) : std::string();
        for (int i = 0; i < selected.Count(); ++i) {
            if (std::to_string(selected.Item(i)) == currentText) {
                match = i;
                break;
            }
        }
        noRows = grid->Rows() == 0;
    });
    if (noRows) return;
    records::Trap(sink(), source, [&] {
        if (match < 0) {
            if (const auto current = grid->Bookmark()) selected.Add(*current);
        } else {
            selected.Remove(match);
        }
    });
    records::Trap(sink(), source, [&] { ValidateCommandButtons(); });
}

void KORVA_Bankruptcy::mSdgBankruptcy_SelChange(int /*Index*/, int SelType) {
    records::Trap(sink(), "KORVA_Bankruptcy.mSdgBankruptcy_SelChange", [&] {
        if (SelType == platform::DataGrid::kSelChangeRows) ValidateCommandButtons();
    });
}

void KORVA_Bankruptcy::mOptBankruptcy_Click(int Index) {
    const char* source = "KORVA_Bankruptcy.mOptBankruptcy_Click";
    platform::DataGrid* grid = ui.mSdgBankruptcy[ars];
    records::RecordsetPtr rs;
    std::vector<records::Bookmark> kept;
    records::Trap(sink(), source, [&] { rs = grid->DataSource(); });
    records::Trap(sink(), source, [&] { kept = grid->SelBookmarks().items(); });
    records::Trap(sink(), source, [&] {
        if (Index < 0 || Index > 2) return;
        mStrARSortOrder = kSortExpressions[Index];
        if (rs) rs->SetSort(mStrARSortOrder);
    });
    records::Trap(sink(), source, [&] {
        for (records::Bookmark b : kept) grid->SelBookmarks().Add(b);
    });
}

bool KORVA_Bankruptcy::currentCaseHasPendingAction() const {
    const platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    const records::RecordsetPtr rs = grid->DataSource();
    if (!rs || grid->SelBookmarks().Count() == 0) return false;
    const int field = rs->FieldIndex("ACTION");
    if (field < 0) return false;
    const records::Bookmark b = grid->SelBookmarks().Item(0);
    if (!rs->IsVisible(b)) return false;
    return !records::Trim(records::TextOf(rs->ValueAt(b, field))).empty();
}

void KORVA_Bankruptcy::readCurrentCaseFromGrid() {
    udtCustomer.CaseID.clear();
    udtCustomer.CaseStatus.clear();
    const platform::DataGrid* grid = ui.mSdgBankruptcy[FILINGS];
    const records::RecordsetPtr rs = grid->DataSource();
    if (!rs || !rs->IsOpen() || grid->SelBookmarks().Count() == 0) return;
    const records::Bookmark b = grid->SelBookmarks().Item(0);
    if (!rs->IsVisible(b)) return;
    udtCustomer.CaseID = records::Trim(records::TextOf(rs->ValueAt(b, rs->FieldIndex("CASE_ID"))));
    udtCustomer.CaseStatus =
        records::Trim(records::TextOf(rs->ValueAt(b, rs->FieldIndex("STTS_CD"))));
}

void KORVA_Bankruptcy::ValidateCommandButtons() {
    // Each rule is trapped on its own: a rule that fails leaves its command disabled and the
    // others are still set.
    const char* source = "KORVA_Bankruptcy.ValidateCommandButtons";
    auto step = [&](auto&& body) { records::Trap(sink(), source, body); };
    const platform::DataGrid* arGrid = ui.mSdgBankruptcy[ars];
    const platform::DataGrid* caseGrid = ui.mSdgBankruptcy[FILINGS];

    bool caseOpen = false;
    bool casesPending = false;
    bool actionPending = true;
    step([&] {
        caseOpen =
            records::EqualsIgnoreCase(udtCustomer.CaseStatus, "O") && !udtCustomer.CaseID.empty();
    });
    step([&] { casesPending = mUdtRequests[messaging::kCases].deadline != 0; });
    step([&] { actionPending = currentCaseHasPendingAction(); });

    step([&] {
        QPushButton* add = ui.mCmdBankruptcy[0];
        add->setEnabled(false);
        add->setEnabled(arGrid->Rows() > 0 && arGrid->SelBookmarks().Count() > 0 &&
                        isNumeric(udtCustomer.AsgnOfficerID) && !casesPending);
    });
    step([&] {
        QPushButton* caseArs = ui.mCmdBankruptcy[1];
        caseArs->setEnabled(false);
        caseArs->setEnabled(caseGrid->Rows() > 0 && caseGrid->SelBookmarks().Count() > 0 &&
                            !udtCustomer.CaseID.empty());
        // A case whose receivables can be listed has a history to show.
        if (mActCaseHistory) mActCaseHistory->setEnabled(caseArs->isEnabled());
    });
    step([&] {
        QPushButton* process = ui.mCmdBankruptcy[3];
        process->setEnabled(false);
        process->setEnabled(caseGrid->Rows() > 0 && caseOpen &&
                            caseGrid->SelBookmarks().Count() > 0 && !actionPending &&
                            !casesPending);
    });
    step([&] {
        QPushButton* edit = ui.mCmdBankruptcy[5];
        edit->setEnabled(false);
        edit->setEnabled(caseGrid->Rows() > 0 && caseGrid->SelBookmarks().Count() > 0 && caseOpen &&
                         !actionPending && !casesPending);
    });
}
