// The entry boxes of the add/update dialog: Enter moves on, the case number takes reference
// keys only and is checked after a paste, and leaving or changing a field refreshes the marks.

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "platform/binding/korva_phone.h"
#include "platform/widgets/box_events.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;
constexpr int kEscape = 27;

}  // namespace

int frmBankruptcyAddUpdate::textBoxIndex(const QObject* watched) const {
    if (watched == mTxtCaseId) return 0;
    if (watched == mTxtTrustee) return 1;
    if (watched == mTxtComment || watched == mTxtComment->viewport()) return 2;
    return -1;
}

QString frmBankruptcyAddUpdate::textBoxText(int index) const {
    switch (index) {
        case 0:
            return mTxtCaseId->text();
        case 1:
            return mTxtTrustee->text();
        default:
            return mTxtComment->toPlainText();
    }
}

void frmBankruptcyAddUpdate::setTextBoxText(int index, const QString& text) {
    switch (index) {
        case 0:
            mTxtCaseId->setText(text);
            break;
        case 1:
            mTxtTrustee->setText(text);
            break;
        default:
            mTxtComment->setPlainText(text);
            break;
    }
}

bool frmBankruptcyAddUpdate::eventFilter(QObject* watched, QEvent* event) {
    const int index = textBoxIndex(watched);
    if (index < 0) return QDialog::eventFilter(watched, event);
    auto startPaste = [this, index](bool& flag) {
        flag = true;
        mStrSavedText = textBoxText(index).toStdString();
    };
    platform::BoxEventHandlers box;
    // Every keyboard paste goes through the paste check, Ctrl+V as well as Shift+Insert.
    box.keyDown = [&](const QKeyEvent& key) {
        if (platform::isPasteKey(key)) startPaste(mbPasteKey);
    };
    box.keyPress = [this, index](int& keyAscii) {
        // Escape belongs to the dialog (its Cancel), not to the box's key rules.
        if (keyAscii != kEscape) mTxtAddBankruptcy_KeyPress(index, keyAscii);
    };
    box.keyUp = [this](const QKeyEvent&) { mbPasteKey = false; };
    box.mouseDown = [&] { startPaste(mbMouseDown); };
    box.mouseUp = [this] { mbMouseDown = false; };
    box.lostFocus = [this, index] { mTxtAddBankruptcy_Validate(index); };
    QWidget* const boxes[] = {mTxtCaseId, mTxtTrustee, mTxtComment};
    return platform::dispatchBoxEvent(watched, boxes[index], event, box);
}

void frmBankruptcyAddUpdate::mTxtAddBankruptcy_KeyPress(int Index, int& KeyAscii) {
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.mTxtAddBankruptcy_KeyPress", [&] {
        if (KeyAscii == kBackspace) return;
        if (KeyAscii == kEnter) {
            KeyAscii = 0;
            QWidget* box = Index == 0 ? static_cast<QWidget*>(mTxtCaseId)
                                      : (Index == 1 ? static_cast<QWidget*>(mTxtTrustee)
                                                    : static_cast<QWidget*>(mTxtComment));
            mInteraction->SendTab(box);
            return;
        }
        if (Index == 0 && !mLib.globalServices->IsReferenceKey(KeyAscii)) {
            KeyAscii = 0;
            mInteraction->Beep();
        }
    });
}

void frmBankruptcyAddUpdate::mTxtAddBankruptcy_Change(int Index) {
    // Typed keys were filtered already; only a paste into the case number is checked here.
    records::Trap(sink(), "frmBankruptcyAdd.mTxtAddBankruptcy_Change", [&] {
        if (!mbMouseDown && !mbPasteKey) return;
        if (Index != 0) return;
        if (!mLib.globalServices->IsReferenceText(textBoxText(0).toStdString())) {
            mInteraction->Beep();
            setTextBoxText(0, QString::fromStdString(mStrSavedText));
        }
    });
}

void frmBankruptcyAddUpdate::quietValidation() {
    records::IgnoreErrors([&] {
        const bool quiet = false;
        ValidateChanges(quiet);
    });
}

void frmBankruptcyAddUpdate::mTxtAddBankruptcy_Validate(int /*Index*/) {
    quietValidation();
}

void frmBankruptcyAddUpdate::mDtpAddBankruptcy_Change(int /*Index*/) {
    quietValidation();
}

void frmBankruptcyAddUpdate::KORVA_Phone1_Change() {
    records::IgnoreErrors([&] { KORVA_Phone1->Refresh(); });
    quietValidation();
}
