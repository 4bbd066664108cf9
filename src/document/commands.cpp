// The command buttons: the dispatcher, Refresh, and the requests that the dialogs report. The
// dialogs' own procedures live beside them: dialog_add_edit.cpp, dialog_case_ars.cpp,
// dialog_process.cpp, officer_search.cpp.

#include <QPushButton>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/data_grid.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"

namespace {
enum Command { kAdd = 0, kCaseArs = 1, kRefresh = 2, kProcess = 3, kSearch = 4, kEdit = 5 };
}

void KORVA_Bankruptcy::mCmdBankruptcy_Click(int Index) {
    const char* source = "KORVA_Bankruptcy.mCmdBankruptcy_Click";
    const bool done = records::Trap(sink(), source, [&] {
        ValidateAssignedOfficer();
        switch (Index) {
            case kAdd:
            case kEdit:
                DoDialogAddEditBankruptcy(Index);
                break;
            case kCaseArs:
                DoDialogCaseARs();
                break;
            case kProcess:
                DoDialogProcessCase();
                break;
            case kSearch:
                DoOfficerSearch();
                break;
            case kRefresh: {
                // Until the record sets are new, errors are passed over.
                for (int index : {ars, FILINGS}) {
                    platform::DataGrid* grid = ui.mSdgBankruptcy[static_cast<std::size_t>(index)];
                    records::IgnoreErrors([&] {
                        const records::RecordsetPtr old = grid->DataSource();
                        grid->SetRedraw(false);
                        grid->SetDataSource(index == ars ? records::NewAccntRecvRS(sink())
                                                         : records::NewBankruptcyCaseRS(sink()));
                        mSdgBankruptcy_InitColumnProps(index);
                        grid->SetRedraw(true);
                        if (old) old->Close();
                    });
                }
                for (records::RecordsetPtr* rs :
                     {&rsBankruptcyCase, &rsAccntRecv, &rsBankruptcyAR}) {
                    records::IgnoreErrors([&] {
                        if (*rs) (*rs)->Close();
                    });
                }
                rsBankruptcyCase = records::NewBankruptcyCaseRS(sink());
                rsAccntRecv = records::NewAccntRecvRS(sink());
                rsBankruptcyAR = records::NewAccntRecvRS(sink());
                ValidateAssignedOfficer();
                ValidateCommandButtons();
                SendMsgCustInquiry();
                break;
            }
            default:
                break;
        }
    });
    if (mBlnClosed) return;  // the document closed while a dialog was open
    // Whatever the command did, the current case is the case grid's selected row as it is now.
    records::Trap(sink(), source, [&] { readCurrentCaseFromGrid(); });
    ValidateCommandButtons();
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::mFrmAddBankruptcy_SentMessage(const std::string& theme,
                                                     const std::string& messageKey) {
    records::Trap(sink(), "KORVA_Bankruptcy.mFrmAddBankruptcy_SentMessage", [&] {
        ui.mCmdBankruptcy[kAdd]->setEnabled(false);
        ui.mSdgBankruptcy[ars]->SelBookmarks().RemoveAll();  // on their way into a case
        mUdtRequests.FileSentRequest(messaging::kAddUpdate, theme, messageKey, mLib.clock->Now());
        mBlnMsgTimedOut = false;
        startTimerForDeadline();
    });
}

void KORVA_Bankruptcy::mFrmProcess_SentMessage(const std::string& theme,
                                               const std::string& messageKey) {
    records::Trap(sink(), "KORVA_Bankruptcy.mFrmProcess_SentMessage", [&] {
        mUdtRequests.FileSentRequest(messaging::kProcess, theme, messageKey, mLib.clock->Now());
        mBlnMsgTimedOut = false;
        startTimerForDeadline();
    });
}
