#include "platform/widgets/scripted_interaction.h"

#include <memory>

#include <QCoreApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

namespace platform {

void ScriptedInteraction::fail(std::string message) {
    failures_.push_back(std::move(message));
}

MsgAnswer ScriptedInteraction::MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                      const std::string& title) {
    Box box{icon, buttons, title, text, closingAnswer(buttons), false};
    if (answers_.empty()) {
        fail("Unanswered message box \"" + title + "\": " + text);
        boxes_.push_back(box);
        if (onUnanswered) onUnanswered(box);
    } else {
        const MsgAnswer answer = answers_.front();
        answers_.pop_front();
        if (offers(buttons, answer)) {
            box.answer = answer;
            box.scripted = true;
        } else {
            fail("Answer " + answerName(answer) + " does not fit a " + buttonsName(buttons) +
                 " box: " + text);
        }
        boxes_.push_back(box);
    }
    if (onBox) onBox(boxes_.back());
    return boxes_.back().answer;
}

void ScriptedInteraction::SendTab(QWidget* from) {
    ++tabs_;
    moveFocusLikeTab(from);
}

void ScriptedInteraction::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int ScriptedInteraction::ShowModal(QDialog& dialog) {
    if (modals_.empty()) {
        if (unscripted_ == UnscriptedModal::RunEventLoop) return dialog.exec();
        fail("Unscripted modal dialog \"" + dialog.windowTitle().toStdString() + "\"");
        return QDialog::Rejected;
    }
    auto script = std::move(modals_.front());
    modals_.pop_front();
    auto ran = std::make_shared<bool>(false);
    auto inLoop = std::make_shared<bool>(true);
    QPointer<QDialog> guard(&dialog);
    // Runs once the modal loop is going, so the script sees the dialog as the user would.
    QTimer::singleShot(0, &dialog, [this, guard, script, ran, inLoop] {
        if (!*inLoop || !guard) return;
        *ran = true;
        script(*guard);
        if (guard && guard->isVisible()) {
            fail("The script left the dialog \"" + guard->windowTitle().toStdString() + "\" open");
            guard->reject();
        }
    });
    const int result = dialog.exec();
    *inLoop = false;
    if (!*ran)
        fail("The dialog \"" + dialog.windowTitle().toStdString() +
             "\" closed before its script ran");
    return result;
}

void ScriptedInteraction::SetBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    pointerChanges_.push_back(busy);
}

}  // namespace platform
