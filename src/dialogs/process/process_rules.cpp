// The rules of the process dialog's entry boxes (typing, pasting, leaving), the receipt numbers
// it draws, and the checks a command must pass.

#include <utility>

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "dialogs/process/process_texts.h"
#include "platform/binding/binding_collection.h"
#include "platform/widgets/box_events.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace {

constexpr int kBackspace = 8, kEnter = 13, kSpace = 32;
constexpr int kKeyInsert = 45, kKeyV = 86;
constexpr int kShift = 1, kCtrl = 2, kAlt = 4;

// The old key code of a key (letters and digits as their upper-case codes, Insert 45) and the
// shift state (1 Shift, 2 Ctrl, 4 Alt).
int keyCodeOf(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Insert) return kKeyInsert;
    if (event.key() >= Qt::Key_Space && event.key() <= Qt::Key_Z) return event.key();
    return 0;
}

int shiftOf(const QKeyEvent& event) {
    const Qt::KeyboardModifiers mods = event.modifiers();
    return (mods & Qt::ShiftModifier ? kShift : 0) | (mods & Qt::ControlModifier ? kCtrl : 0) |
           (mods & Qt::AltModifier ? kAlt : 0);
}

// The box's text once the typed character has replaced its selection at the cursor.
std::string textAfterKey(const QLineEdit& box, int keyAscii) {
    QString text = box.text();
    int at = box.cursorPosition();
    if (box.hasSelectedText()) {
        at = box.selectionStart();
        text.remove(at, box.selectedText().size());
    }
    text.insert(at, QChar(keyAscii));
    return text.toStdString();
}

}  // namespace

// --- receipt numbers

std::string frmBankruptcyProcess::GetReceiptNumber() {
    const char* source = "KORVA_BankruptcyProcess.GetReceiptNumber";
    std::string receipt;
    // What was shown before goes back first: the number service keeps no gaps, and the receipt
    // the user saw stays the one that is posted.
    records::Trap(sink(), source, [&] { handBackDrawnNumbers(); });
    records::Trap(sink(), source, [&] {
        std::string arg1, arg2;
        mStrDrawnF = mLib.globalServices->GetNextNumber("F", arg1, arg2);
        mLblDataDischarge[8]->setText(QString::fromStdString("X" + mStrDrawnF));
    });
    records::Trap(sink(), source, [&] {
        std::string arg1, arg2;
        receipt = mLib.globalServices->GetNextNumber("R", arg1, arg2);
        mStrDrawnReceipt = receipt;
        mLblDataDischarge[7]->setText(QString::fromStdString(receipt));
    });
    return receipt;
}

void frmBankruptcyProcess::handBackDrawnNumbers() {
    if (!mStrDrawnF.empty()) {
        mLib.globalServices->ReturnReceiptNumber(std::exchange(mStrDrawnF, {}), "F");
    }
    if (!mStrDrawnReceipt.empty()) {
        mLib.globalServices->ReturnReceiptNumber(std::exchange(mStrDrawnReceipt, {}), "R");
    }
}

// --- checks

bool frmBankruptcyProcess::ValidateChanges(bool bShowMsg) {
    bool valid = false;
    records::Trap(sink(), "KORVA_BankruptcyProcess.ValidateChanges", [&] {
        if (!mRs) throw records::Error(records::err::ObjectClosed, "No case to process");
        std::string message;
        auto add = [&](const char* rule) { message += std::string(rule) + "\r\n"; };
        auto text = [&](const char* field) { return records::TextOf(mRs->Get(field)); };
        // A date label holds a date when its text reads back as one through its format.
        auto holdsDate = [&](const char* key) {
            platform::Binding* binding = oDbBind->Find(QString::fromLatin1(key));
            auto* label = binding ? qobject_cast<QLabel*>(binding->Object()) : nullptr;
            if (!label || !binding->GetDataFormat()) return false;
            records::Value v(label->text().toStdString());
            try {
                binding->GetDataFormat()->UnFormat(v);
            } catch (const records::Error&) {  // no date in it
                return false;
            }
            return v.type() == records::Value::Type::Date;
        };
        auto mark = [&](QWidget* control, bool invalid) {
            if (invalid) {
                mLib.globalServices->MarkInvalid(control);
            } else {
                mLib.globalServices->ClearInvalid(control);
            }
        };

        const bool allDates = holdsDate("BEGDATE") && holdsDate("ENDDATE") &&
                              holdsDate("FILEDATE") && holdsDate("CLOSEDATE");
        const bool hasName = !records::Trim(text("TRSTE_NM")).empty();
        const bool hasPhone = !records::Trim(text("TRSTE_PHN_NBR")).empty();

        if (text("STTS_CD") != "O") {
            add("The Bankruptcy Case must be in 'Open' status to be processed.");
        } else if (records::Trim(text("CASE_ID")).empty()) {
            add("A Case Number is required.");
        } else if (SSRibbonCmdz[kPay]->isChecked()) {
            QLabel* receipt = mLblDataDischarge[7];
            if (!(records::Val(receipt->text().toStdString()) > 0)) GetReceiptNumber();
            const bool noReceipt = !(records::Val(receipt->text().toStdString()) > 0);
            if (noReceipt) add("A Receipt Number could not be generated.");
            mark(receipt, noReceipt);

            const records::Value amount(BoxText(kAmount).toStdString());
            if (!records::IsNumeric(amount)) {
                add("A Payment Amount is required.");
                mark(mTxtAmount, true);
            } else if (records::CCur(amount).units <= 0) {
                add("Payment Amount must be > $0.00 ");
                mark(mTxtAmount, true);
            } else {
                mark(mTxtAmount, false);
            }

            const bool noCheck = records::Trim(BoxText(kCheck).toStdString()).empty();
            if (noCheck) add("A Payment Check Number is required.");
            mark(mTxtCheck, noCheck);
        } else if (SSRibbonCmdz[kDismiss]->isChecked()) {
            if (!allDates) add("All Four Dates must be present to Dismiss a Bankruptcy.");
            if (!hasName) add("A Trustee Name must be present.");
        } else if (SSRibbonCmdz[kWriteOff]->isChecked()) {
            if (!allDates) {
                add("All Four Dates must be present to Close and Write-Off a Bankruptcy.");
            }
            if (!hasName) add("A Trustee Name must be present.");
            if (!hasPhone) add("A Trustee Telephone Number must be present.");
        } else {
            add("Unknown Command.");
        }

        // Every command needs a new comment. The box gives its lines with LF alone.
        const std::string comment = BoxText(kComment).toStdString();
        QString stored =
            QString::fromStdString(records::TextOf(mRs->OriginalValue("BNKRPTCY_CMMT_TXT")));
        stored.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        if (records::Trim(comment).empty()) {
            add("A Comment is required.");
            mark(mTxtComment, true);
        } else if (comment == stored.toStdString()) {
            add("The Comment must be changed.");
            mark(mTxtComment, true);
        } else {
            mark(mTxtComment, false);
        }

        valid = message.empty();
        if (bShowMsg && !valid) {
            mInteraction->MsgBox(message + "\r\n", platform::MsgButtons::OK,
                                 platform::MsgIcon::Critical, windowTitle().toStdString());
        }
    });
    return valid;
}

// --- typing and pasting

void frmBankruptcyProcess::mTxtDischarge_KeyPress(int Index, int& KeyAscii) {
    records::Trap(sink(), "KORVA_BankruptcyProcess.mTxtDischarge_KeyPress", [&] {
        if (KeyAscii == kBackspace) return;
        if (KeyAscii == kEnter) {
            KeyAscii = 0;  // Enter moves on, also out of the comment box
            mInteraction->SendTab(EntryBox(Index));
            return;
        }
        if (KeyAscii == kSpace && Index != kComment) {
            KeyAscii = 0;
        } else if (Index == kAmount) {
            const int typed = KeyAscii;
            if (!mLib.globalServices->IsCurrencyKey(KeyAscii, mTxtAmount)) {
                KeyAscii = 0;
            } else if (typed >= '0' && typed <= '9') {
                // Typed digits obey the same ceiling as a pasted amount.
                const std::string after = textAfterKey(*mTxtAmount, typed);
                if (records::IsNumeric(records::Value(after)) &&
                    !process_dialog::WithinLargestPayment(after)) {
                    KeyAscii = 0;
                }
            }
        } else if (Index == kCheck) {
            if (!mLib.globalServices->IsReferenceKey(KeyAscii)) KeyAscii = 0;
        }
        if (KeyAscii == 0) mInteraction->Beep();
    });
}

void frmBankruptcyProcess::mTxtDischarge_KeyDown(int Index, int KeyCode, int Shift) {
    // Shift+Insert pastes; so does Ctrl+V, which must not slip past the paste check either.
    if ((KeyCode == kKeyInsert && Shift == kShift) || (KeyCode == kKeyV && Shift == kCtrl)) {
        mbPasteKey = true;
        mStrSavedText = BoxText(Index).toStdString();
    }
}

void frmBankruptcyProcess::mTxtDischarge_KeyUp(int /*Index*/, int /*KeyCode*/, int /*Shift*/) {
    mbPasteKey = false;
}

void frmBankruptcyProcess::mTxtDischarge_MouseDown(int Index) {
    mbMouseDown = true;
    mStrSavedText = BoxText(Index).toStdString();
}

void frmBankruptcyProcess::mTxtDischarge_MouseUp(int /*Index*/) {
    mbMouseDown = false;
}

void frmBankruptcyProcess::mTxtDischarge_Change(int Index) {
    records::Trap(sink(), "frmBankruptcyProcess.mTxtDischarge_Change", [&] {
        if (Index == kComment) {
            const QString text = mTxtComment->toPlainText();
            if (text.size() > kCommentMaxLength) {
                const QSignalBlocker quiet(mTxtComment);
                mTxtComment->setPlainText(text.left(kCommentMaxLength));
                mTxtComment->moveCursor(QTextCursor::End);
            }
            return;
        }
        if (!mbMouseDown && !mbPasteKey) return;
        const std::string text = BoxText(Index).toStdString();
        bool refused = false;
        if (Index == kAmount) {
            refused = !records::IsNumeric(records::Value(text)) ||
                      !process_dialog::WithinLargestPayment(text);
        } else if (Index == kCheck) {
            refused = !mLib.globalServices->IsReferenceText(text);
        }
        if (refused) {
            mInteraction->Beep();
            QLineEdit* box = Index == kAmount ? mTxtAmount : mTxtCheck;
            const QSignalBlocker quiet(box);
            box->setText(QString::fromStdString(mStrSavedText));
        }
    });
}

void frmBankruptcyProcess::mTxtDischarge_LostFocus(int Index) {
    if (!mRs) return;  // unloading: nothing left to check
    records::Trap(sink(), "KORVA_BankruptcyProcess.mTxtDischarge_LostFocus", [&] {
        if (Index == kAmount) {
            const std::string text = BoxText(kAmount).toStdString();
            if (records::Trim(text).empty()) {
                mTxtAmount->setText(QString());
            } else if (records::IsNumeric(records::Value(text))) {
                // A regional form that would not read back as an amount is not shown.
                const std::string shown = process_dialog::CurrencyForm(text);
                if (records::IsNumeric(records::Value(shown)))
                    mTxtAmount->setText(QString::fromStdString(shown));
            }
        }
        ValidateChanges(false);
    });
}

// --- the boxes' events

int frmBankruptcyProcess::boxIndexOf(const QObject* object) const {
    if (object == mTxtAmount) return kAmount;
    if (object == mTxtCheck) return kCheck;
    if (object == mTxtComment || object == mTxtComment->viewport()) return kComment;
    return -1;
}

bool frmBankruptcyProcess::eventFilter(QObject* watched, QEvent* event) {
    const int index = boxIndexOf(watched);
    if (index < 0) return QDialog::eventFilter(watched, event);
    platform::BoxEventHandlers box;
    box.keyDown = [this, index](const QKeyEvent& key) {
        mTxtDischarge_KeyDown(index, keyCodeOf(key), shiftOf(key));
    };
    box.keyPress = [this, index](int& keyAscii) { mTxtDischarge_KeyPress(index, keyAscii); };
    box.keyUp = [this, index](const QKeyEvent& key) {
        mTxtDischarge_KeyUp(index, keyCodeOf(key), shiftOf(key));
    };
    box.mouseDown = [this, index] { mTxtDischarge_MouseDown(index); };
    box.mouseUp = [this, index] { mTxtDischarge_MouseUp(index); };
    box.lostFocus = [this, index] { mTxtDischarge_LostFocus(index); };
    box.guardContextMenu = index != kComment;
    return platform::dispatchBoxEvent(watched, EntryBox(index), event, box);
}
