// Message boxes, focus moves, modal shows and the pointer, for real and scripted.

#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/widgets/qt_interaction.h"
#include "platform/widgets/scripted_interaction.h"

namespace platform::testing {
namespace {

TEST(InteractionText, LineBreaksOfEveryKindAndDoubledAmpersands) {
    EXPECT_EQ(messageBoxText("a\r\nb\rc\nd"), "a\nb\nc\nd");
    EXPECT_EQ(messageBoxText("two\r\n\r\nbreaks"), "two\n\nbreaks");
    EXPECT_EQ(captionText("Account & Bankruptcy"), "Account & Bankruptcy");
    EXPECT_EQ(closingAnswer(MsgButtons::YesNo), MsgAnswer::No);

    // the busy pointer is one override cursor whatever the calls
    {
        QtInteraction interaction;
        interaction.SetBusyPointer(true);
        interaction.SetBusyPointer(true);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        interaction.SetBusyPointer(false);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
        interaction.SetBusyPointer(true);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr)
        << "a destroyed interaction leaves no hourglass";
}

TEST(QtInteraction, ShowsAQMessageBoxWithIconTitleButtonsAndLineBreaks) {
    QtInteraction interaction;
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        text = box->text();
        title = box->windowTitle();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::No)->click();
    });
    const MsgAnswer answer =
        interaction.MsgBox("First line\r\nSecond && last", MsgButtons::YesNoCancel,
                           MsgIcon::Question, "HALBERON && Co");
    EXPECT_EQ(answer, MsgAnswer::No);
    EXPECT_EQ(text, "First line\nSecond && last");
    EXPECT_EQ(title, "HALBERON & Co");
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(buttons, 3);

    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        box->reject();  // closed without a choice
    });
    EXPECT_EQ(interaction.MsgBox("Sure?", MsgButtons::OKCancel, MsgIcon::Exclamation, "T"),
              MsgAnswer::Cancel);
}

TEST(Interaction, SendTabMovesOnEvenFromAMultiLineBox) {
    QDialog dialog;
    auto* comment = new QPlainTextEdit(&dialog);
    auto* last = new QLineEdit(&dialog);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    QtInteraction().SendTab(comment);
    EXPECT_TRUE(last->hasFocus());
    EXPECT_TRUE(comment->toPlainText().isEmpty()) << "no tab was typed into the box";
}

TEST(ScriptedInteraction, AnUnansweredOrMisfitAnswerIsAFailure) {
    ScriptedInteraction interaction;
    int unanswered = 0;
    interaction.onUnanswered = [&](const ScriptedInteraction::Box& box) {
        ++unanswered;
        EXPECT_EQ(box.text, "Dismiss the case?");
    };
    EXPECT_EQ(
        interaction.MsgBox("Dismiss the case?", MsgButtons::YesNoCancel, MsgIcon::Question, "T"),
        MsgAnswer::Cancel);
    EXPECT_EQ(unanswered, 1);
    ASSERT_EQ(interaction.failures().size(), 1u);
    EXPECT_NE(interaction.failures()[0].find("Dismiss the case?"), std::string::npos);

    interaction.queueAnswer(MsgAnswer::Yes);
    EXPECT_EQ(interaction.MsgBox("Refused", MsgButtons::OK, MsgIcon::Exclamation, "T"),
              MsgAnswer::OK);
    EXPECT_EQ(interaction.failures().size(), 2u);
    EXPECT_FALSE(interaction.lastBox()->scripted);
}

TEST(ScriptedInteraction, ModalScriptsRunInsideTheModalLoop) {
    ScriptedInteraction interaction;
    QDialog dialog;
    dialog.setWindowTitle("Officer Select");
    bool wasModal = false;
    interaction.queueModal([&](QDialog& shown) {
        wasModal = shown.isVisible() && QApplication::activeModalWidget() == &shown;
        shown.accept();
    });
    EXPECT_EQ(interaction.ShowModal(dialog), QDialog::Accepted);
    EXPECT_TRUE(wasModal);
    EXPECT_TRUE(interaction.failures().empty());

    // A script that forgets to close the dialog is caught, and the dialog closed.
    interaction.queueModal([](QDialog&) {});
    EXPECT_EQ(interaction.ShowModal(dialog), QDialog::Rejected);
    EXPECT_EQ(interaction.failures().size(), 1u);

    // No script at all: a failure, and the dialog is never shown.
    EXPECT_EQ(interaction.ShowModal(dialog), QDialog::Rejected);
    EXPECT_EQ(interaction.failures().size(), 2u);
    EXPECT_FALSE(dialog.isVisible());

    interaction.SetBusyPointer(true);
    interaction.SetBusyPointer(true);
    interaction.SetBusyPointer(false);
    EXPECT_EQ(interaction.pointerChanges(), (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace platform::testing
