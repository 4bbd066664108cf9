#pragma once
// `frmBankruptcyAddUpdate`: the modal dialog that records a new bankruptcy case for the chosen
// customer or edits an existing one. Its controls are bound to the current row of the case
// record set it is given, so the user edits that row in place; Save validates, completes the row,
// sends the "ADDUPDATE" request and hides; Cancel withdraws what the dialog staged and unloads.
//
// Split by concern: frm_bankruptcy_add_update.cpp (controls, loading, binding, activation,
// Cancel and unload), entry_boxes.cpp (key rules, paste guard, quiet validation),
// validate_changes.cpp (the rules, the receivable summary, Save) and add_update_request.cpp
// (the request). Every procedure reports under "KORVA_BankruptcyCaseAdd.<procedure>".

#include <array>
#include <memory>
#include <optional>
#include <string>

#include <QDialog>

#include "messaging/common_library.h"
#include "messaging/customer_record.h"
#include "platform/binding/data_format.h"
#include "records/recordset.h"

class QEvent;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace platform {
class Binding;
class BindingCollection;
class Interaction;
class KORVA_DTP;
class KORVA_Phone;
}  // namespace platform

class frmBankruptcyAddUpdate : public QDialog {
    Q_OBJECT

  public:
    // Control limits.
    static constexpr int kCaseIdLength = 10;
    static constexpr int kTrusteeLength = 72;
    static constexpr int kCommentLength = 253;
    // The provider's error for a change cancelled during notification: Save goes on after it.
    static constexpr long kChangeCancelled = -2147217842;

    frmBankruptcyAddUpdate(messaging::CommonLibrary library,
                           std::shared_ptr<platform::Interaction> interaction,
                           QWidget* parent = nullptr);
    ~frmBankruptcyAddUpdate() override;

    // --- properties of the owner
    messaging::CustomerRecord CustomerRecord() const { return mCustomerRecord; }
    void SetCustomerRecord(const messaging::CustomerRecord& record) { mCustomerRecord = record; }
    records::RecordsetPtr Recordset() const { return mRecordset; }
    // Keeps the record set and binds the controls to its current row.
    void SetRecordset(records::RecordsetPtr rs);
    records::RecordsetPtr RecordsetAR() const { return mRecordsetAR; }
    void SetRecordsetAR(records::RecordsetPtr rs) { mRecordsetAR = std::move(rs); }
    // "ADD", "UPD", or empty before activation and after a successful Save.
    const std::string& Mode() const { return mStrMode; }

    // --- lifecycle
    void Form_Initialize();
    void Form_Load();
    // Runs once per showing (from the show event); public for tests that never show the dialog.
    void Form_Activate();
    // Withdraws what the dialog staged unless it saved; runs once. Never refused.
    void Form_Unload();
    void Form_Terminate();
    // The owner's unload: Form_Unload, then the dialog closes without a result.
    void Unload();

    // --- rules, Save and the request
    bool ValidateChanges(const bool& bShowMsg);
    void CalcTotalARBalDue();
    void mCmdAddBankruptcy_Click(int Index);
    void SendMsgAddUpdateBankruptcy();
    void LoadBankruptcyDTD(messaging::RequestMessage& request);
    void LoadAcctRcvblDTD(messaging::RequestMessage& request);

    // --- control events
    void mTxtAddBankruptcy_KeyPress(int Index, int& KeyAscii);
    void mTxtAddBankruptcy_Change(int Index);
    void mTxtAddBankruptcy_Validate(int Index);
    void mDtpAddBankruptcy_Change(int Index);
    void KORVA_Phone1_Change();

    // --- controls, for the owner, scenarios and tests
    QLineEdit* caseNumberBox() const { return mTxtCaseId; }
    QLineEdit* trusteeBox() const { return mTxtTrustee; }
    QPlainTextEdit* commentBox() const { return mTxtComment; }
    platform::KORVA_DTP* datePicker(int index) const;
    platform::KORVA_Phone* phone() const { return KORVA_Phone1; }
    QLabel* summaryLabel() const { return mLblAddBankruptcy[8]; }
    QPushButton* command(int index) const;
    platform::BindingCollection* bindings() const { return oDbBind; }

  signals:
    // Raised by Save before the row is made final; a listener that sets *Cancel stops the save.
    void AddBankruptcy(records::RecordsetPtr rs, records::Bookmark bookmark,
                       records::RecordsetPtr rsAR, bool* Cancel);
    void UpdateBankruptcy(records::RecordsetPtr rs, records::Bookmark bookmark,
                          records::RecordsetPtr rsAR, bool* Cancel);
    // The add/update request is complete and about to be sent.
    void SentMessage(const std::string& theme, const std::string& messageKey);

  public slots:
    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    void connectControls();
    void oDbBind_Error(long number, const QString& description, platform::Binding* binding,
                       bool* cancelDisplay);
    // The quiet validation of a control's change or leaving; its errors are ignored.
    void quietValidation();
    // Cancels the pending edit and the staged changes of the row this dialog added or edits,
    // and no other row.
    void cancelOwnRow();
    void resetDatePickers();
    int textBoxIndex(const QObject* watched) const;
    QString textBoxText(int index) const;
    void setTextBoxText(int index, const QString& text);
    // Save's steps 11 and 12: the rows the new case replaces or takes over leave the record
    // sets, stamped with the request's key so that its answer or time-out settles them.
    void removeTakenRows();
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    std::shared_ptr<platform::Interaction> mInteraction;

    messaging::CustomerRecord mCustomerRecord;
    records::RecordsetPtr mRecordset;
    records::RecordsetPtr mRecordsetAR;
    std::string mStrMode;
    std::string mStrSavedText;
    bool mbMouseDown = false;
    bool mbPasteKey = false;

    platform::BindingCollection* oDbBind = nullptr;
    std::optional<platform::DataFormat> oFmtDates, oFmtPhone, oFmtText1sp;

    std::optional<records::Bookmark> mOwnRow;  // the row this dialog added
    std::string mStrSentKey;                   // message key of the request Save sent
    bool mActivated = false;                   // activation ran for this showing
    bool mUnloaded = false;

    // Controls.
    QFrame* mFraAddBankruptcy = nullptr;
    std::array<QLabel*, 9> mLblAddBankruptcy{};
    QLineEdit* mTxtCaseId = nullptr;        // mTxtAddBankruptcy(0)
    QLineEdit* mTxtTrustee = nullptr;       // mTxtAddBankruptcy(1)
    QPlainTextEdit* mTxtComment = nullptr;  // mTxtAddBankruptcy(2)
    std::array<platform::KORVA_DTP*, 4> mDtpAddBankruptcy{};
    platform::KORVA_Phone* KORVA_Phone1 = nullptr;
    std::array<QPushButton*, 2> mCmdAddBankruptcy{};
};
