#pragma once
// Interaction with the user through Qt: QMessageBox, QApplication::beep, the event loop and the
// override cursor.

#include "platform/widgets/interaction.h"

namespace platform {

class QtInteraction : public Interaction {
  public:
    QtInteraction() = default;
    ~QtInteraction() override;

    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                     const std::string& title) override;
    void Beep() override;
    void SendTab(QWidget* from) override;
    void DoEvents() override;
    int ShowModal(QDialog& dialog) override;
    void SetBusyPointer(bool busy) override;
    bool IsBusyPointer() const override { return busy_; }

  private:
    bool busy_ = false;
};

}  // namespace platform
