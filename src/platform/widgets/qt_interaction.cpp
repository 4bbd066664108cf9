#include "platform/widgets/qt_interaction.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>

namespace platform {
namespace {

QMessageBox::Icon qtIcon(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::Critical:
            return QMessageBox::Critical;
        case MsgIcon::Question:
            return QMessageBox::Question;
        case MsgIcon::Exclamation:
            return QMessageBox::Warning;
        case MsgIcon::Information:
            return QMessageBox::Information;
        case MsgIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

struct ButtonOf {
    MsgAnswer answer;
    QMessageBox::StandardButton button;
};
constexpr ButtonOf kButtons[] = {
    {MsgAnswer::OK, QMessageBox::Ok},         {MsgAnswer::Cancel, QMessageBox::Cancel},
    {MsgAnswer::Abort, QMessageBox::Abort},   {MsgAnswer::Retry, QMessageBox::Retry},
    {MsgAnswer::Ignore, QMessageBox::Ignore}, {MsgAnswer::Yes, QMessageBox::Yes},
    {MsgAnswer::No, QMessageBox::No}};

// The buttons in the order the box shows them; the first is the default.
std::vector<MsgAnswer> answersOf(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
            return {MsgAnswer::OK};
        case MsgButtons::OKCancel:
            return {MsgAnswer::OK, MsgAnswer::Cancel};
        case MsgButtons::AbortRetryIgnore:
            return {MsgAnswer::Abort, MsgAnswer::Retry, MsgAnswer::Ignore};
        case MsgButtons::YesNoCancel:
            return {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
        case MsgButtons::YesNo:
            return {MsgAnswer::Yes, MsgAnswer::No};
        case MsgButtons::RetryCancel:
            return {MsgAnswer::Retry, MsgAnswer::Cancel};
    }
    return {MsgAnswer::OK};
}

}  // namespace

QtInteraction::~QtInteraction() {
    if (busy_) QApplication::restoreOverrideCursor();
}

MsgAnswer QtInteraction::MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                const std::string& title) {
    QMessageBox box(qtIcon(icon), captionText(title), messageBoxText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    const std::vector<MsgAnswer> answers = answersOf(buttons);
    for (MsgAnswer answer : answers) {
        for (const ButtonOf& b : kButtons) {
            if (b.answer == answer) box.addButton(b.button);
        }
    }
    for (const ButtonOf& b : kButtons) {
        if (b.answer == answers.front()) box.setDefaultButton(b.button);
        if (b.answer == closingAnswer(buttons) && offers(buttons, b.answer))
            box.setEscapeButton(b.button);
    }
    // The user sees the box with the normal pointer even while the screen is busy.
    const bool wasBusy = busy_;
    if (wasBusy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int chosen = box.exec();
    if (wasBusy) QApplication::restoreOverrideCursor();
    for (const ButtonOf& b : kButtons) {
        if (b.button == chosen) return b.answer;
    }
    return closingAnswer(buttons);
}

void QtInteraction::Beep() {
    QApplication::beep();
}

void QtInteraction::SendTab(QWidget* from) {
    moveFocusLikeTab(from);
}

void QtInteraction::DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int QtInteraction::ShowModal(QDialog& dialog) {
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.raise();
    dialog.activateWindow();
    return dialog.exec();
}

void QtInteraction::SetBusyPointer(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace platform
