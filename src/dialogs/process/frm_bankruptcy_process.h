#pragma once
// `frmBankruptcyProcess`: "Process Bankruptcy", the modal dialog in which an officer settles one
// open case: posts a payment received from the trustee, writes the case off and closes it, or
// dismisses it. The document hands it a clone positioned on the case row and a copy of its
// customer record; a confirmed command is staged in that row (shared with the document's record
// set), announced through SentMessage and sent as a "PROCESS" request.
//
// The class is split by concern: frm_bankruptcy_process.cpp (controls, lifecycle, summary and
// enabling), process_rules.cpp (typing, pasting, receipt numbers, ValidateChanges),
// process_save.cpp (Save and Cancel, confirmation, the request). Procedures run under
// records::Trap with the sources "KORVA_BankruptcyProcess.<procedure>".

#include <array>
#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "messaging/common_library.h"
#include "messaging/customer_record.h"
#include "platform/binding/data_format.h"
#include "records/recordset.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace platform {
class Binding;
class BindingCollection;
class Interaction;
}  // namespace platform

class frmBankruptcyProcess : public QDialog {
    Q_OBJECT

  public:
    // Entry boxes of mTxtDischarge and the option buttons of SSRibbonCmdz.
    enum Box { kAmount = 0, kComment = 1, kCheck = 2 };
    enum Option { kPay = 0, kWriteOff = 1, kDismiss = 2 };
    static constexpr int kAmountMaxLength = 14;
    static constexpr int kCommentMaxLength = 253;
    static constexpr int kCheckMaxLength = 11;

    // Runs Form_Initialize. The interaction shows the boxes, beeps and moves the focus.
    frmBankruptcyProcess(messaging::CommonLibrary library,
                         std::shared_ptr<platform::Interaction> interaction,
                         QWidget* parent = nullptr);
    ~frmBankruptcyProcess() override;  // Form_Terminate

    // --- properties
    records::RecordsetPtr Recordset() const { return mRs; }
    // Keeps the record set and binds the controls to its current row (loads the form first).
    void SetRecordset(records::RecordsetPtr rs);
    const messaging::CustomerRecord& CustomerRecord() const { return udtCustomer; }
    void SetCustomerRecord(const messaging::CustomerRecord& customer) { udtCustomer = customer; }

    // Load runs Form_Load once; Unload runs Form_Unload and hides the dialog.
    void Load();
    void Unload();
    bool IsLoaded() const { return mBlnLoaded; }

    // The events that may stop a command before it is confirmed: a handler sets Cancel.
    using CommandEvent = std::function<void(records::RecordsetPtr& rs, bool& Cancel)>;
    CommandEvent ApplyPayment;
    CommandEvent WriteOffBankruptcy;
    CommandEvent DismissBankruptcy;

    // --- form events
    void Form_Initialize();
    void Form_Load();
    void Form_Activate();
    void Form_Unload();
    void Form_Terminate();
    void SSRibbonCmdz_Click(int Index, bool Value);

    // --- rules (process_rules.cpp)
    bool ValidateChanges(bool bShowMsg);
    std::string GetReceiptNumber();
    void mTxtDischarge_KeyPress(int Index, int& KeyAscii);
    void mTxtDischarge_KeyDown(int Index, int KeyCode, int Shift);
    void mTxtDischarge_KeyUp(int Index, int KeyCode, int Shift);
    void mTxtDischarge_MouseDown(int Index);
    void mTxtDischarge_MouseUp(int Index);
    void mTxtDischarge_Change(int Index);
    void mTxtDischarge_LostFocus(int Index);

    // --- commands and the request (process_save.cpp)
    void mCmdDischarge_Click(int Index);
    void SendMsgProcessBankruptcy();
    void LoadBankruptcyDTD(messaging::RequestMessage& request);

    // Escape and the title bar's close act as "Cancel".
    void reject() override;

    // --- read access for the document, the scenario runner and tests
    const std::string& Command() const { return mStrCommand; }
    QString BoxText(int Index) const;
    void SetBoxText(int Index, const QString& text);
    QWidget* EntryBox(int Index) const;
    QLabel* DataLabel(int Index) const {
        return mLblDataDischarge.at(static_cast<std::size_t>(Index));
    }
    QLabel* CaptionLabel(int Index) const {
        return mLblDischarge.at(static_cast<std::size_t>(Index));
    }
    QRadioButton* OptionButton(int Index) const {
        return SSRibbonCmdz.at(static_cast<std::size_t>(Index));
    }
    QPushButton* CommandButton(int Index) const {
        return mCmdDischarge.at(static_cast<std::size_t>(Index));
    }
    QGroupBox* OptionFrame(int Index) const { return mFraCmdz.at(static_cast<std::size_t>(Index)); }
    platform::BindingCollection& Bindings() const { return *oDbBind; }

  signals:
    // A request is complete and about to be sent: its theme and message key.
    void SentMessage(const std::string& theme, const std::string& messageKey);

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildControls();
    QWidget* buildCaseFrame();
    QWidget* buildCommandFrames();
    void connectControls();
    void bindControls();
    void oDbBind_Error(long number, const QString& description, platform::Binding* binding,
                       bool* cancelDisplay);
    // The box's index when the object is one of the entry boxes (or a box's viewport), else -1.
    int boxIndexOf(const QObject* object) const;
    // Hands back the numbers this dialog drew and did not keep.
    void handBackDrawnNumbers();
    void setStatus(const std::string& text);
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    std::shared_ptr<platform::Interaction> mInteraction;
    messaging::CustomerRecord udtCustomer;
    records::RecordsetPtr mRs;  // the case record set
    bool mBlnLoaded = false;
    bool mBlnSent = false;  // the last confirmed command's request went out

    std::string mStrCommand;
    std::string mStrSavedText;
    bool mbMouseDown = false;
    bool mbPasteKey = false;
    // Numbers drawn for this dialog and not yet kept by a confirmed payment.
    std::string mStrDrawnReceipt;
    std::string mStrDrawnF;

    platform::BindingCollection* oDbBind = nullptr;
    platform::DataFormat oFmtDates;
    platform::DataFormat oFmtPhone;
    platform::DataFormat oFmtText;

    // Controls. mFraDischarge has only its index 3.
    std::array<QGroupBox*, 4> mFraDischarge{};
    std::array<QLabel*, 13> mLblDischarge{};
    std::array<QLabel*, 9> mLblDataDischarge{};
    QLineEdit* mTxtAmount = nullptr;        // mTxtDischarge(0)
    QPlainTextEdit* mTxtComment = nullptr;  // mTxtDischarge(1)
    QLineEdit* mTxtCheck = nullptr;         // mTxtDischarge(2)
    std::array<QPushButton*, 2> mCmdDischarge{};
    std::array<QRadioButton*, 3> SSRibbonCmdz{};
    std::array<QGroupBox*, 3> mFraCmdz{};
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
};
