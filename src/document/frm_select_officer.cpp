#include "document/frm_select_officer.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/officer_select.h"
#include "records/errors.h"

frmSelectOfficer::frmSelectOfficer(messaging::CommonLibrary library, QWidget* parent)
    : QDialog(parent), mLib(std::move(library)) {
    setObjectName(QStringLiteral("frmSelectOfficer"));
    setWindowTitle(QStringLiteral("Officer Select"));
    setModal(true);

    KORVA_OfficerSelect1 = new platform::OfficerSelect(mLib.directory, this);
    KORVA_OfficerSelect1->setObjectName(QStringLiteral("KORVA_OfficerSelect1"));
    const char* captions[] = {"OK", "Cancel"};
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (int i = 0; i < 2; ++i) {
        auto* button = new QPushButton(QString::fromLatin1(captions[i]), this);
        button->setObjectName(QStringLiteral("mCmdOfficerSel(%1)").arg(i));
        button->setAutoDefault(false);
        buttons->addWidget(button);
        mCmdOfficerSel[static_cast<std::size_t>(i)] = button;
        connect(button, &QPushButton::clicked, this, [this, i] { mCmdOfficerSel_Click(i); });
    }
    // Enter or a double-click on an officer is the same as OK.
    connect(KORVA_OfficerSelect1, &platform::OfficerSelect::OfficerChosen, this,
            [this] { mCmdOfficerSel_Click(0); });

    auto* page = new QVBoxLayout(this);
    page->addWidget(KORVA_OfficerSelect1, 1);
    page->addLayout(buttons);
    resize(380, 340);
    KORVA_OfficerSelect1->filterBox()->setFocus();

    Form_Load();
}

void frmSelectOfficer::Form_Load() {
    records::Trap(sink(), "KORVA_OfficerSel.Form_Load",
                  [&] { mLib.globalServices->PrepareForm(this); });
}

void frmSelectOfficer::mCmdOfficerSel_Click(int Index) {
    records::Trap(sink(), "KORVA_OfficerSel.mCmdOfficerSel_Click", [&] {
        if (Index == 0) {
            QDialog::done(QDialog::Accepted);  // hidden, still loaded
        } else if (Index == 1) {
            done(QDialog::Rejected);
        }
    });
}

void frmSelectOfficer::done(int result) {
    if (result != QDialog::Accepted) mBlnUnloaded = true;
    QDialog::done(result);
}

std::string frmSelectOfficer::SelectedOfficerId() const {
    return KORVA_OfficerSelect1->SelectedOfficerId();
}
