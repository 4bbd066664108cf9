#pragma once
// Interaction for tests and the scenario runner: every message box is recorded (icon, buttons,
// title, text) and answered from a queue; a box with no queued answer, or an answer its buttons
// do not offer, is a failure (recorded, reported to onUnanswered, answered as closing the box
// would). Modal dialogs run a queued script inside their modal loop. Focus moves and event
// pumping are real; the beep and the pointer are only counted.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/widgets/interaction.h"

namespace platform {

class ScriptedInteraction : public Interaction {
  public:
    struct Box {
        MsgIcon icon = MsgIcon::None;
        MsgButtons buttons = MsgButtons::OK;
        std::string title;
        std::string text;
        MsgAnswer answer = MsgAnswer::OK;
        bool scripted = false;  // answered from the queue
    };
    // What ShowModal does with a dialog no script was queued for.
    enum class UnscriptedModal { Fail, RunEventLoop };

    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                     const std::string& title) override;
    void Beep() override { ++beeps_; }
    void SendTab(QWidget* from) override;
    void DoEvents() override;
    int ShowModal(QDialog& dialog) override;
    void SetBusyPointer(bool busy) override;
    bool IsBusyPointer() const override { return busy_; }

    void queueAnswer(MsgAnswer answer) { answers_.push_back(answer); }
    int pendingAnswers() const { return static_cast<int>(answers_.size()); }
    // The script runs inside the dialog's modal loop and should close it.
    void queueModal(std::function<void(QDialog&)> script) { modals_.push_back(std::move(script)); }
    void setUnscriptedModal(UnscriptedModal mode) { unscripted_ = mode; }

    const std::vector<Box>& boxes() const { return boxes_; }
    const Box* lastBox() const { return boxes_.empty() ? nullptr : &boxes_.back(); }
    const std::vector<std::string>& failures() const { return failures_; }
    int beeps() const { return beeps_; }
    int tabs() const { return tabs_; }
    const std::vector<bool>& pointerChanges() const { return pointerChanges_; }

    std::function<void(const Box&)> onBox;         // every box, after it was answered
    std::function<void(const Box&)> onUnanswered;  // a box the script did not answer

  private:
    void fail(std::string message);

    std::deque<MsgAnswer> answers_;
    std::deque<std::function<void(QDialog&)>> modals_;
    UnscriptedModal unscripted_ = UnscriptedModal::Fail;
    std::vector<Box> boxes_;
    std::vector<std::string> failures_;
    std::vector<bool> pointerChanges_;
    int beeps_ = 0;
    int tabs_ = 0;
    bool busy_ = false;
};

}  // namespace platform
