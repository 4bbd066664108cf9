// The entry boxes of the add/update dialog: Enter moves on, the case number takes reference
// keys only and is checked after a paste, and leaving or changing a field refreshes the marks.

#include <memory>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "platform/binding/korva_phone.h"
#include "platform/widgets/interaction.h"
#include "platform/widgets/key_codes.h"
#include "records/errors.h"

namespace {

constexpr int kBackspace = 8;
constexpr int kEnter = 13;

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
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool shiftInsert = key->key() == Qt::Key_Insert &&
                                     (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
            // Every keyboard paste goes through the paste check, Ctrl+V as well as Shift+Insert.
            if (shiftInsert || key->matches(QKeySequence::Paste)) startPaste(mbPasteKey);
            int keyAscii = platform::keyAsciiOf(*key);
            // Escape belongs to the dialog (its Cancel), not to the box's key rules.
            if (keyAscii == 0 || key->key() == Qt::Key_Escape) return false;
            mTxtAddBankruptcy_KeyPress(index, keyAscii);
            return keyAscii == 0;  // a discarded key never reaches the box
        }
        case QEvent::KeyRelease:
            mbPasteKey = false;
            return false;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            startPaste(mbMouseDown);
            return false;
        case QEvent::MouseButtonRelease:
            mbMouseDown = false;
            return false;
        case QEvent::ContextMenu: {
            // The menu's Paste runs inside exec: the guard stays up until the menu is gone.
            startPaste(mbMouseDown);
            std::unique_ptr<QMenu> menu(
                index == 2 ? mTxtComment->createStandardContextMenu()
                           : (index == 0 ? mTxtCaseId : mTxtTrustee)->createStandardContextMenu());
            menu->exec(static_cast<QContextMenuEvent*>(event)->globalPos());
            mbMouseDown = false;
            return true;
        }
        case QEvent::Drop:
            // Dropped text arrives after this event; the guard drops at the next turn of the loop.
            startPaste(mbMouseDown);
            QTimer::singleShot(0, this, [this] { mbMouseDown = false; });
            return false;
        case QEvent::FocusOut: {
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            // A menu or another application taking the focus is no leaving of the box.
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason)
                mTxtAddBankruptcy_Validate(index);
            return false;
        }
        default:
            return false;
    }
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
