#include "platform/widgets/interaction.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

QString messageBoxText(std::string_view text) {
    QString out = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    out.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString captionText(std::string_view caption) {
    QString out = QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
    out.replace(QLatin1String("&&"), QLatin1String("&"));
    return out;
}

bool offers(MsgButtons buttons, MsgAnswer answer) {
    switch (buttons) {
        case MsgButtons::OK:
            return answer == MsgAnswer::OK;
        case MsgButtons::OKCancel:
            return answer == MsgAnswer::OK || answer == MsgAnswer::Cancel;
        case MsgButtons::AbortRetryIgnore:
            return answer == MsgAnswer::Abort || answer == MsgAnswer::Retry ||
                   answer == MsgAnswer::Ignore;
        case MsgButtons::YesNoCancel:
            return answer == MsgAnswer::Yes || answer == MsgAnswer::No ||
                   answer == MsgAnswer::Cancel;
        case MsgButtons::YesNo:
            return answer == MsgAnswer::Yes || answer == MsgAnswer::No;
        case MsgButtons::RetryCancel:
            return answer == MsgAnswer::Retry || answer == MsgAnswer::Cancel;
    }
    return false;
}

MsgAnswer closingAnswer(MsgButtons buttons) {
    if (offers(buttons, MsgAnswer::Cancel)) return MsgAnswer::Cancel;
    if (offers(buttons, MsgAnswer::No)) return MsgAnswer::No;
    if (buttons == MsgButtons::AbortRetryIgnore) return MsgAnswer::Abort;
    return MsgAnswer::OK;
}

namespace {

struct AnswerName {
    MsgAnswer answer;
    const char* name;
};
constexpr AnswerName kAnswers[] = {{MsgAnswer::OK, "OK"},         {MsgAnswer::Cancel, "Cancel"},
                                   {MsgAnswer::Abort, "Abort"},   {MsgAnswer::Retry, "Retry"},
                                   {MsgAnswer::Ignore, "Ignore"}, {MsgAnswer::Yes, "Yes"},
                                   {MsgAnswer::No, "No"}};

}  // namespace

std::string answerName(MsgAnswer answer) {
    for (const AnswerName& a : kAnswers) {
        if (a.answer == answer) return a.name;
    }
    return "?";
}

std::string buttonsName(MsgButtons buttons) {
    switch (buttons) {
        case MsgButtons::OK:
            return "OK";
        case MsgButtons::OKCancel:
            return "OKCancel";
        case MsgButtons::AbortRetryIgnore:
            return "AbortRetryIgnore";
        case MsgButtons::YesNoCancel:
            return "YesNoCancel";
        case MsgButtons::YesNo:
            return "YesNo";
        case MsgButtons::RetryCancel:
            return "RetryCancel";
    }
    return "?";
}

std::string iconName(MsgIcon icon) {
    switch (icon) {
        case MsgIcon::None:
            return "None";
        case MsgIcon::Critical:
            return "Critical";
        case MsgIcon::Question:
            return "Question";
        case MsgIcon::Exclamation:
            return "Exclamation";
        case MsgIcon::Information:
            return "Information";
    }
    return "?";
}

void moveFocusLikeTab(QWidget* from) {
    QWidget* start = from ? from : QApplication::focusWidget();
    if (!start) return;
    // The window moves the focus from its focus widget; delivering the key to the focused box
    // instead would type a tab into a multi-line box.
    QWidget* window = start->window();
    if (start != window->focusWidget()) start->setFocus(Qt::OtherFocusReason);
    QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
    QApplication::sendEvent(window, &tab);
}

}  // namespace platform
