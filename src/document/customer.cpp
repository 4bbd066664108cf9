// Customer selection: forgetting the previous customer, taking the new one from the
// customer-selection control, and the two groups of customer labels.

#include <QLabel>
#include <QTabWidget>

#include "document/korva_bankruptcy.h"
#include "platform/binding/display_formats.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/data_grid.h"
#include "records/errors.h"
#include "records/mod_bankruptcy.h"
#include "records/value_rules.h"

void KORVA_Bankruptcy::KORVA_CustSelect1_ClearForm() {
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.KORVA_CustSelect1_ClearForm", [&] {
        ForgetState state;
        forgetReceiptNumber();
        forgetCustomerRecord();
        UpdateCustomerLabels();
        forgetBindEmpty(state);
        forgetRecordsets();
        ValidateCommandButtons();
        forgetTabs();
        forgetRebind(state);
    });
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::KORVA_CustSelect1_SelectionChanged() {
    const bool done =
        records::Trap(sink(), "KORVA_Bankruptcy.KORVA_CustSelect1_SelectionChanged", [&] {
            ForgetState state;
            forgetReceiptNumber();
            forgetCustomerRecord();
            readCustomerFromControl();
            ValidateAssignedOfficer();
            UpdateCustomerLabels();
            forgetBindEmpty(state);
            forgetRecordsets();
            ValidateCommandButtons();
            forgetTabs();
            SendMsgCustInquiry();
            forgetRebind(state);
        });
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::KORVA_CustSelect1_CustomerEdit() {
    const bool done = records::Trap(sink(), "KORVA_Bankruptcy.KORVA_CustSelect1_CustomerEdit", [&] {
        if (ui.KORVA_CustSelect1->Customer().custId != udtCustomer.CustID) return;
        readCustomerFromControl();
        UpdateCustomerLabels();
    });
    if (!done) setBusy(false);  // the exit section
}

void KORVA_Bankruptcy::UpdateCustomerLabels() {
    records::Trap(sink(), "KORVA_Bankruptcy.UpdateCustomerLabels", [&] {
        const std::array<const std::string*, 7> fields = {
            &udtCustomer.CustName, &udtCustomer.MailAddress, &udtCustomer.MailAddress2,
            &udtCustomer.MailCity, &udtCustomer.MailState,   &udtCustomer.MailZip,
            &udtCustomer.Phone};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const QString text = QString::fromStdString(*fields[i]);
            ui.mLblDataBankruptcy[i]->setText(text);
            ui.mLblDataBankruptcy[i + 7]->setText(text);
        }
    });
}

void KORVA_Bankruptcy::readCustomerFromControl() {
    const messaging::CustomerInfo& c = ui.KORVA_CustSelect1->Customer();
    udtCustomer.CustID = c.custId;
    udtCustomer.CustName = c.name;
    udtCustomer.CustType = c.custType;
    udtCustomer.Phone = c.phone;
    udtCustomer.DocType = c.docType;
    udtCustomer.RefNumber = c.refNumber;

    udtCustomer.MailAddress = c.mailAddress;
    udtCustomer.MailAddress2 = c.mailAddress2;
    udtCustomer.MailCity = c.mailCity;
    udtCustomer.MailState = c.mailState;
    udtCustomer.MailZip = c.mailZip;
    const std::string joined =
        c.mailAddress + c.mailAddress2 + c.mailCity + c.mailState + c.mailZip;
    if (records::Trim(joined).empty()) {
        udtCustomer.MailAddress = c.address2;
        udtCustomer.MailAddress2 = c.address2b;
        udtCustomer.MailCity = c.city2;
        udtCustomer.MailState = c.state2;
        udtCustomer.MailZip = c.zip2;
    }
    udtCustomer.Phone = platform::formatPhone(udtCustomer.Phone);
}

void KORVA_Bankruptcy::showCustomerInControl() {
    if (udtCustomer.CustID.empty()) return;
    messaging::CustomerInfo c;
    c.custId = udtCustomer.CustID;
    c.name = udtCustomer.CustName;
    c.custType = udtCustomer.CustType;
    c.docType = udtCustomer.DocType;
    c.refNumber = udtCustomer.RefNumber;
    c.phone = udtCustomer.Phone;
    c.mailAddress = udtCustomer.MailAddress;
    c.mailAddress2 = udtCustomer.MailAddress2;
    c.mailCity = udtCustomer.MailCity;
    c.mailState = udtCustomer.MailState;
    c.mailZip = udtCustomer.MailZip;
    ui.KORVA_CustSelect1->ShowCustomer(c);
}

// --- the steps of forgetting a customer

void KORVA_Bankruptcy::forgetReceiptNumber() {
    if (udtCustomer.PmtReceiptNbr.empty()) return;
    const std::string number = udtCustomer.PmtReceiptNbr;
    udtCustomer.PmtReceiptNbr.clear();
    mLib.globalServices->ReturnReceiptNumber(number, "R");
}

void KORVA_Bankruptcy::forgetCustomerRecord() {
    udtCustomer = mUdtBlankCustomer;
    mUdtRequests = mUdtRequestsInitial;
    mBlnChangedElsewhere = false;
}

void KORVA_Bankruptcy::forgetBindEmpty(ForgetState& state) {
    records::RebindGrid(*ui.mSdgBankruptcy[ars], rsEmptyAccntRecv->Clone(), &state.oldArs, false,
                        false, sink());
    records::RebindGrid(*ui.mSdgBankruptcy[FILINGS], rsEmptyBankruptcyCase->Clone(),
                        &state.oldCases, false, false, sink());
}

void KORVA_Bankruptcy::forgetRecordsets() {
    for (records::RecordsetPtr* rs : {&rsBankruptcyCase, &rsAccntRecv, &rsBankruptcyAR}) {
        records::IgnoreErrors([&] {
            if (*rs && (*rs)->IsOpen()) (*rs)->CancelBatch(records::Affect::All);
        });
        records::IgnoreErrors([&] {
            if (*rs) (*rs)->Close();
        });
    }
    rsBankruptcyCase = records::NewBankruptcyCaseRS(sink());
    rsAccntRecv = records::NewAccntRecvRS(sink());
    rsBankruptcyAR = records::NewAccntRecvRS(sink());
}

void KORVA_Bankruptcy::forgetTabs() {
    ui.SSTab1->setTabEnabled(2, false);
    ui.SSTab1->setTabEnabled(1, false);
    ui.SSTab1->setTabEnabled(0, true);
    ui.SSTab1->setCurrentIndex(0);
}

void KORVA_Bankruptcy::forgetRebind(ForgetState& state) {
    for (platform::DataGrid* grid : ui.mSdgBankruptcy) {
        records::IgnoreErrors([&] {
            grid->Refresh();
            grid->ReBind();
        });
    }
    for (records::RecordsetPtr* old : {&state.oldArs, &state.oldCases}) {
        records::IgnoreErrors([&] {
            if (*old) (*old)->Close();
        });
        old->reset();
    }
}
