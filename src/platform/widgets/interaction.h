#pragma once
// What the screen needs of its user beyond its own controls: message boxes, the beep, a Tab
// keystroke, letting pending events run, showing a dialog modally, and the hourglass pointer.
// The Qt implementation talks to the user; the scripted one (tests, scenarios) records every
// box and answers from a queue.

#include <optional>
#include <string>
#include <string_view>

#include <QString>

class QDialog;
class QWidget;

namespace platform {

// The message-box codes the screen's procedures and logs use.
enum class MsgIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MsgButtons {
    OK = 0,
    OKCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum class MsgAnswer { OK = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

class Interaction {
  public:
    virtual ~Interaction() = default;

    virtual MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                             const std::string& title) = 0;
    virtual void Beep() = 0;
    // Moves the focus on from `from` (or from the focused widget) as a Tab keystroke would,
    // also out of a multi-line box.
    virtual void SendTab(QWidget* from) = 0;
    virtual void DoEvents() = 0;
    // Shows the dialog modally, in front; returns its result when it closes.
    virtual int ShowModal(QDialog& dialog) = 0;
    virtual void SetBusyPointer(bool busy) = 0;
    virtual bool IsBusyPointer() const = 0;
};

// CR LF, CR and LF each become one line break.
QString messageBoxText(std::string_view text);
// A caption's doubled "&&" shows as one "&".
QString captionText(std::string_view caption);

bool offers(MsgButtons buttons, MsgAnswer answer);
// What closing the box without a choice answers: Cancel where offered, else No, else the only
// or first button.
MsgAnswer closingAnswer(MsgButtons buttons);
std::string answerName(MsgAnswer answer);     // "Yes", "OK", ...
std::string buttonsName(MsgButtons buttons);  // "YesNoCancel", ...
std::string iconName(MsgIcon icon);           // "Critical", ...

// Moves the focus as a Tab keystroke would; shared by both implementations.
void moveFocusLikeTab(QWidget* from);

}  // namespace platform
