#pragma once
// `frmBankruptcyCaseHistory`: "Case History", a modal window that lists every change of one
// bankruptcy case, newest first: when, who, what was done and what changed. It only shows them:
// the main document opens it on an empty list, asks the back end, and hands it the answer's
// rows while it is open. Procedures run under records::Trap with the sources
// "KORVA_BankruptcyCaseHistory.<procedure>".

#include <array>

#include <QDialog>

#include "messaging/common_library.h"
#include "messaging/customer_record.h"
#include "records/recordset.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class DataGrid;
class RowValues;
}  // namespace platform

class frmBankruptcyCaseHistory : public QDialog {
    Q_OBJECT

  public:
    explicit frmBankruptcyCaseHistory(messaging::CommonLibrary library, QWidget* parent = nullptr);
    ~frmBankruptcyCaseHistory() override;

    // --- properties
    records::RecordsetPtr Recordset() const { return mRs; }
    // Stores the record set (layout "CASEHISTORY", nullptr for none) and binds the grid to it.
    void SetRecordset(records::RecordsetPtr rs);
    const messaging::CustomerRecord& CustomerRecord() const { return udtCustomer; }
    // The case shown is the record's CaseID.
    void SetCustomerRecord(const messaging::CustomerRecord& customer);

    // --- control events
    void mCmdCaseHistory_Click(int Index);  // index 0 (OK) closes the dialog
    void mSdgCaseHistory_InitColumnProps();
    void mSdgCaseHistory_RowLoaded(records::Bookmark Bookmark, platform::RowValues& row);

    // Closing the window in any way (OK, Escape, the title bar) lets the record set go.
    void done(int result) override;

    // --- read access for the document, the scenario runner and tests
    platform::DataGrid* Grid() const { return mSdgCaseHistory; }
    QLabel* CaseNumberLabel() const { return mLblDataCaseHistory; }
    // The whole "Changes" text of the current row, which the grid may cut short.
    QPlainTextEdit* ChangesBox() const { return mTxtCaseHistory; }

  private:
    void buildControls();
    void showCurrentChanges();
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    messaging::CustomerRecord udtCustomer;
    records::RecordsetPtr mRs;

    platform::DataGrid* mSdgCaseHistory = nullptr;
    QLabel* mLblDataCaseHistory = nullptr;
    QPlainTextEdit* mTxtCaseHistory = nullptr;
    std::array<QPushButton*, 1> mCmdCaseHistory{};
};
