// The assigned-officer box: only whole numbers get in (typed keys are filtered, pastes are
// checked), and the number is accepted only when it names a known officer.

#include <QKeyEvent>
#include <QLineEdit>

#include "document/korva_bankruptcy.h"
#include "platform/widgets/box_events.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/value_rules.h"

void KORVA_Bankruptcy::ValidateAssignedOfficer() {
    // Each step is trapped on its own; when the number cannot be taken, the officer is not
    // accepted.
    const char* source = "KORVA_Bankruptcy.ValidateAssignedOfficer";
    auto step = [&](auto&& body) { return records::Trap(sink(), source, body); };
    auto reject = [&](bool emptyBox) {
        udtCustomer.AsgnOfficerID.clear();
        if (emptyBox) ui.mTxtBankruptcy->clear();
        mLib.globalServices->MarkInvalid(ui.mTxtBankruptcy);
    };

    step([&] {
        udtCustomer.AsgnOfficerID = records::Trim(ui.mTxtBankruptcy->text().toStdString());
    });
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
            mLib.globalServices->ClearInvalid(ui.mTxtBankruptcy);
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
            const std::string text = ui.mTxtBankruptcy->text().toStdString();
            if (!records::IsNumeric(records::Value(text)) || text.find('$') != std::string::npos ||
                text.find('.') != std::string::npos) {
                mInteraction->Beep();
                ui.mTxtBankruptcy->setText(QString::fromStdString(mStrSavedText));
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
    if (watched != ui.mTxtBankruptcy) return QWidget::eventFilter(watched, event);
    auto startPaste = [this](bool& flag) {
        flag = true;
        mStrSavedText = ui.mTxtBankruptcy->text().toStdString();
    };
    platform::BoxEventHandlers box;
    // Every keyboard paste goes through the paste check, Ctrl+V as well as Shift+Insert.
    box.keyDown = [&](const QKeyEvent& key) {
        if (platform::isPasteKey(key)) startPaste(mbPasteKey);
    };
    box.keyPress = [this](int& keyAscii) { mTxtBankruptcy_KeyPress(keyAscii); };
    box.keyUp = [this](const QKeyEvent&) { mbPasteKey = false; };
    box.mouseDown = [&] { startPaste(mbMouseDown); };
    box.mouseUp = [this] { mbMouseDown = false; };
    box.lostFocus = [this] { mTxtBankruptcy_LostFocus(); };
    return platform::dispatchBoxEvent(watched, ui.mTxtBankruptcy, event, box);
}
