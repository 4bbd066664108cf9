#pragma once
// `frmSelectOfficer`: "Officer Select", the small dialog of the officer search. "OK" hides it
// with its selection (the document keeps it for the next search); "Cancel" or closing the
// window unloads it, and the document then drops it and takes no number.

#include <array>
#include <string>

#include <QDialog>

#include "messaging/common_library.h"

class QPushButton;

namespace platform {
class OfficerSelect;
}

class frmSelectOfficer : public QDialog {
    Q_OBJECT

  public:
    // Runs Form_Load.
    explicit frmSelectOfficer(messaging::CommonLibrary library, QWidget* parent = nullptr);

    void Form_Load();
    void mCmdOfficerSel_Click(int Index);
    // Cancel, Escape and the title bar's close button all unload the form.
    void done(int result) override;

    // True once the form was unloaded: it is to be dropped, and its selection with it.
    bool IsUnloaded() const { return mBlnUnloaded; }
    // The officer-select control's selected officer number; "" when none.
    std::string SelectedOfficerId() const;
    platform::OfficerSelect* OfficerSelect() const { return KORVA_OfficerSelect1; }

  private:
    records::ErrorSink* sink() const { return mLib.errorReporter.get(); }

    messaging::CommonLibrary mLib;
    bool mBlnUnloaded = false;
    platform::OfficerSelect* KORVA_OfficerSelect1 = nullptr;
    std::array<QPushButton*, 2> mCmdOfficerSel{};
};
