// The assigned-officer box: only whole numbers get in (typed keys are filtered, pastes are
// checked), and the number is accepted only when it names a known officer.

#include <memory>

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/interaction.h"
#include "platform/widgets/key_codes.h"
#include "records/errors.h"
#include "records/value_rules.h"

void KORVA_Bankruptcy::ValidateAssignedOfficer() {
    // Each step is trapped on its own; when the number cannot be taken, the officer is not
    // accepted.
    const char* source = "KORVA_Bankruptcy.ValidateAssignedOfficer";
    auto step = [&](auto&& body) { return records::Trap(sink(), source, body); };
    auto reject = [&](bool emptyBox) {
        udtCustomer.AsgnOfficerID.clear();
        if (emptyBox) mTxtBankruptcy->clear();
        mLib.globalServices->MarkInvalid(mTxtBankruptcy);
    };

    step([&] { udtCustomer.AsgnOfficerID = records::Trim(mTxtBankruptcy->text().toStdString()); });
    const records::Value officer(udtCustomer.AsgnOfficerID);
    bool numeric = false;
    step([&] { numeric = records::IsNumeric(officer); });
    if (!numeric) {
        step([&] { reject(true); });
        return;
    }
    bool positive = false;
    step([&] { positive = records::CDbl(officer) > 0; });
    if (!positive) {
        step([&] { reject(true); });
        return;
    }
    const bool asked = step([&] {
        if (mLib.globalServices->IsValidOfficer(records::CLng(officer))) {
            mLib.globalServices->ClearInvalid(mTxtBankruptcy);
        } else {
            reject(false);  // the typed number stays for the user to correct
        }
    });
    if (!asked) step([&] { reject(false); });
}

void KORVA_Bankruptcy::mTxtBankruptcy_Change() {
    records::Trap(sink(), "KORVA_Bankruptcy.mTxtBankruptcy_Change", [&] {
        // Typed characters were filtered already; only a paste is checked here.
        if (mbMouseDown || mbPasteKey) {
            const std::string text = mTxtBankruptcy->text().toStdString();
            if (!records::IsNumeric(records::Value(text)) || text.find('$') != std::string::npos ||
                text.find('.') != std::string::npos) {
                mInteraction->Beep();
                mTxtBankruptcy->setText(QString::fromStdString(mStrSavedText));
            }
        }
        ValidateCommandButtons();
    });
}

void KORVA_Bankruptcy::mTxtBankruptcy_KeyPress(int& KeyAscii) {
    records::Trap(sink(), "KORVA_Bankruptcy.mTxtBankruptcy_KeyPress", [&] {
        if (!mLib.globalServices->IsOfficerKey(KeyAscii)) {
            KeyAscii = 0;
            mInteraction->Beep();
        }
    });
}

void KORVA_Bankruptcy::mTxtBankruptcy_LostFocus() {
    records::Trap(sink(), "KORVA_Bankruptcy.mTxtBankruptcy_LostFocus", [&] {
        ValidateAssignedOfficer();
        ValidateCommandButtons();
    });
}

bool KORVA_Bankruptcy::eventFilter(QObject* watched, QEvent* event) {
    if (watched != mTxtBankruptcy) return QWidget::eventFilter(watched, event);
    auto startPaste = [this](bool& flag) {
        flag = true;
        mStrSavedText = mTxtBankruptcy->text().toStdString();
    };
    switch (event->type()) {
        case QEvent::KeyPress: {
            auto* key = static_cast<QKeyEvent*>(event);
            const bool shiftInsert = key->key() == Qt::Key_Insert &&
                                     (key->modifiers() & ~Qt::KeypadModifier) == Qt::ShiftModifier;
            // Every keyboard paste goes through the paste check, Ctrl+V as well as Shift+Insert.
            if (shiftInsert || key->matches(QKeySequence::Paste)) startPaste(mbPasteKey);
            int keyAscii = platform::keyAsciiOf(*key);
            if (keyAscii == 0) return false;
            mTxtBankruptcy_KeyPress(keyAscii);
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
            std::unique_ptr<QMenu> menu(mTxtBankruptcy->createStandardContextMenu());
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
                mTxtBankruptcy_LostFocus();
            return false;
        }
        default:
            return false;
    }
}
