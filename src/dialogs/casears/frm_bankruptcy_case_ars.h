#pragma once
// `frmBankruptcyCaseARs`: "Case Account Receivables", a modal window that lists the receivables
// of one bankruptcy case. It only shows them: the main document hands it a record set (and may
// hand it a new one while it is open, when the back end's answer arrives) and closes it again.
// Procedures run under records::Trap with the sources "KORVA_BankruptcyCaseListARs.<procedure>".

#include <array>

#include <QDialog>

#include "messaging/common_library.h"
#include "messaging/customer_record.h"
#include "records/recordset.h"
#include "records/uc_dtd_designer_ds.h"

class QGroupBox;
class QLabel;
class QPushButton;

namespace platform {
class DataGrid;
class RowValues;
}  // namespace platform

class frmBankruptcyCaseARs : public QDialog {
    Q_OBJECT

  public:
    // The data member the grid is laid out against on ucDTDds1.
    static constexpr const char* kGridDataMember = "ACNTSRCVBL";

    // Runs Form_Initialize. The library gives the form rules, the code tables and the error
    // reporter.
    explicit frmBankruptcyCaseARs(messaging::CommonLibrary library, QWidget* parent = nullptr);
    ~frmBankruptcyCaseARs() override;

    // --- properties
    records::RecordsetPtr Recordset() const { return mRs; }
    // Stores the record set (nullptr for none) and binds the grid to it; loads the form first.
    void SetRecordset(records::RecordsetPtr rs);
    const messaging::CustomerRecord& CustomerRecord() const { return udtCustomer; }
    void SetCustomerRecord(const messaging::CustomerRecord& customer) { udtCustomer = customer; }

    // Loads the form (Form_Load) unless it is loaded; unloading hides it and drops the record set.
    void Load();
    void Unload();
    bool IsLoaded() const { return mBlnLoaded; }

    // --- form and control events
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    // Index 0 (OK) closes the dialog, index 1 (History) asks for the case's history.
    void mCmdCaseARs_Click(int Index);
    void mSdgCaseARs_InitColumnProps();
    void mSdgCaseARs_RowLoaded(records::Bookmark Bookmark, platform::RowValues& row);

    // Closing the window in any way (OK, Escape, the title bar) unloads the form.
    void done(int result) override;

    // --- read access for the document, the scenario runner and tests
    platform::DataGrid* Grid() const { return mSdgCaseARs; }
    QLabel* CaseNumberLabel() const { return mLblDataCaseARs; }
    records::ucDTDDesignerDS& DataSourceControl() { return ucDTDds1; }

  signals:
    // "History": the document shows the history of the case listed.
    void HistoryRequested();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void buildControls();
    // The steps of setting Recordset: store it and bind the grid to it.
    void bindRecordset(records::RecordsetPtr rs);
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    messaging::CustomerRecord udtCustomer;
    records::RecordsetPtr mRs;
    bool mBlnLoaded = false;

    // The design-time data source of the grid; it serves nothing at run time.
    records::ucDTDDesignerDS ucDTDds1;

    QGroupBox* mFraCaseARs = nullptr;
    platform::DataGrid* mSdgCaseARs = nullptr;
    QLabel* mLblCaseARs = nullptr;
    QLabel* mLblDataCaseARs = nullptr;
    std::array<QPushButton*, 2> mCmdCaseARs{};
};
