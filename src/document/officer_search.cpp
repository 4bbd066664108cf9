// The officer search (command "Search"): the officer is picked in "Officer Select" and put into
// the officer box, where it is checked like a typed number.

#include <QLineEdit>

#include "document/frm_select_officer.h"
#include "document/korva_bankruptcy.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"

void KORVA_Bankruptcy::DoOfficerSearch() {
    records::Trap(sink(), "KORVA_Bankruptcy.DoOfficerSearch", [&] {
        // Created on the first search; after OK it is kept, hidden, with its selection.
        if (!mFrmSelectOfficer) mFrmSelectOfficer = new frmSelectOfficer(mLib, this);
        int result = QDialog::Rejected;
        if (!showModal(*mFrmSelectOfficer, &result)) return;
        std::string officer;
        if (mFrmSelectOfficer && !mFrmSelectOfficer->IsUnloaded() && result == QDialog::Accepted) {
            officer = mFrmSelectOfficer->SelectedOfficerId();
        } else {
            // Cancelled: the form and its selection are dropped.
            records::IgnoreErrors([&] { delete mFrmSelectOfficer.data(); });
            mFrmSelectOfficer = nullptr;
        }
        if (!officer.empty()) ui.mTxtBankruptcy->setText(QString::fromStdString(officer));
        ValidateAssignedOfficer();
    });
}

frmSelectOfficer* KORVA_Bankruptcy::SelectOfficerForm() const {
    return mFrmSelectOfficer.data();
}
