#pragma once
// The add/update dialog over the real common library and transport, with a scripted back end
// that records the requests, scripted message boxes, and case and receivable record sets set up
// the way the main document hands them over.

#include <memory>
#include <string>
#include <vector>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "platform/binding/korva_dtp.h"
#include "platform/binding/korva_phone.h"
#include "platform/common/library_fixture.h"
#include "platform/common/recording_status_line.h"
#include "platform/common/scripted_backend.h"
#include "platform/common/transport.h"
#include "platform/widgets/scripted_interaction.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace addupdate_testing {

using records::Value;
using testing_support::waitUntil;

inline Value day(int y, int m, int d) {
    return Value(records::DateSerial(y, m, d));
}

using testing_support::RecordingReporter;

struct CaseRow {
    std::string cust, caseId, status;
    Value notify, filing, claim, close;
    std::string trustee, comment;
};

struct ArRow {
    std::int64_t number;
    std::int64_t check;
    std::string type;
    Value issued;
    long balanceDollars;
};

class AddUpdateDialogTest : public testing_support::LibraryTest {
  protected:
    void SetUp() override {
        backEnd = std::make_shared<testing_support::ScriptedBackEnd>();
        buildLibrary(backEnd);

        cases = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
        addCase({"1002", "BK-1", "O", day(2023, 5, 2), day(2023, 6, 1), day(2023, 6, 3), Value(),
                 "Ada Trustee", "Filed in June"});
        addCase({"1002", "BK-9", "D", day(2021, 1, 4), day(2021, 1, 5), day(2021, 2, 1), Value(),
                 "", "Dismissed"});
        addCase({"1002", "BK-7", "W", day(2019, 1, 4), day(2019, 1, 5), day(2019, 2, 1),
                 day(2020, 1, 1), "Old Trustee", "Written off"});
        addCase({"1003", "BK-2", "O", day(2022, 1, 4), day(2022, 1, 5), day(2022, 2, 1), Value(),
                 "", "Other customer"});
        cases->UpdateBatch();

        ars = records::OpenLayoutRecordset(records::kLayoutAccntRecv);
        addAr({7, 1, "FEE", day(2023, 3, 1), 100});
        addAr({1234567, 10, "TX", day(2022, 11, 5), 250});
        addAr({55, 2, "FEE", day(2023, 6, 2), 40});  // issued after the court filing of BK-1
        addAr({56, 3, "FEE", Value::Null(), 10});    // no issue date
        ars->UpdateBatch();

        customer.CustID = "1002";
        customer.CustName = "Harbour Fisheries";
        customer.AsgnOfficerID = "101";
    }

    void TearDown() override {
        dialog.reset();
        QApplication::processEvents();
    }

    void addCase(const CaseRow& c) {
        cases->AddNew();
        cases->Set("CUST_ID", Value(c.cust));
        cases->Set("CASE_ID", Value(c.caseId));
        cases->Set("STTS_CD", Value(c.status));
        cases->Set("NTFCTN_DT", c.notify);
        cases->Set("CRT_FILE_DT", c.filing);
        cases->Set("CLM_FILE_DT", c.claim);
        cases->Set("CRT_CLSE_DT", c.close);
        if (!c.trustee.empty()) cases->Set("TRSTE_NM", Value(c.trustee));
        cases->Set("BNKRPTCY_CMMT_TXT", Value(c.comment));
        cases->Set("TRSTE_PHN_NBR", Value("5035550199"));
        cases->Set("ASGN_OFCR_ID", Value(102));
        cases->Update();
    }
    void addAr(const ArRow& a) {
        ars->AddNew();
        ars->Set("Cust_ID", Value("1002"));
        ars->Set("ACCT_RCVBL_NBR", Value(a.number));
        ars->Set("ACCT_RCVBL_CK_NBR", Value(a.check));
        ars->Set("ACCT_RCVBL_TYP_CD", Value(a.type));
        ars->Set("TRNSCTN_DT", a.issued);
        ars->Set("TRNSCTN_NBR", Value("T" + std::to_string(a.number)));
        ars->Set("ACCT_RCVBL_BAL_AMT", Value(records::CurrencyFromUnits(a.balanceDollars)));
        ars->Update();
    }

    // The receivables of the given rows (0-based, load order), as the document filters them.
    records::RecordsetPtr receivables(const std::vector<int>& rows) {
        const std::vector<records::Bookmark> all = ars->VisibleBookmarks();
        std::vector<records::Bookmark> chosen;
        for (int r : rows) chosen.push_back(all.at(static_cast<std::size_t>(r)));
        records::RecordsetPtr clone = ars->Clone();
        clone->SetFilter(chosen);
        if (clone->RecordCount() > 0) clone->MoveFirst();
        return clone;
    }

    frmBankruptcyAddUpdate& openAdd(const std::vector<int>& arRows = {0, 1}) {
        caseClone = cases->Clone();
        caseClone->SetFilter("[Cust_ID]='" + customer.CustID + "' ");
        if (caseClone->RecordCount() > 0) {
            caseClone->MoveLast();
            caseClone->MoveNext();
        }
        return open(arRows.empty() ? nullptr : receivables(arRows));
    }

    frmBankruptcyAddUpdate& openEdit(const std::string& caseId) {
        caseClone = cases->Clone();
        caseClone->SetFilter("[Cust_ID]='" + customer.CustID + "' " + " AND [Case_ID]='" + caseId +
                             "'");
        if (caseClone->RecordCount() > 0) caseClone->MoveFirst();
        return open(nullptr);
    }

    frmBankruptcyAddUpdate& open(records::RecordsetPtr arClone) {
        dialog = std::make_unique<frmBankruptcyAddUpdate>(parts.library, interaction);
        QObject::connect(dialog.get(), &frmBankruptcyAddUpdate::SentMessage,
                         [this](const std::string& theme, const std::string& key) {
                             sent.push_back({theme, key});
                             requestsBeforeSend = backEnd->count("Handle:");
                             stampAtSend = records::TextOf(caseClone->Get("Theme"));
                             editAtSend = caseClone->GetEditMode();
                         });
        dialog->SetCustomerRecord(customer);
        dialog->SetRecordset(caseClone);
        dialog->SetRecordsetAR(arClone);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    // --- the user's entries
    void pick(int index, const QVariant& date) { dialog->datePicker(index)->enter(date); }
    void typeInto(QWidget* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) plain->selectAll();
        QTest::keyClicks(box, text);
    }
    // A complete new case BK-5 filed 06/01/2023, claim 06/10/2023.
    void fillValidCase(const QString& caseId = QStringLiteral("BK-5")) {
        typeInto(dialog->caseNumberBox(), caseId);
        pick(0, QDate(2023, 5, 20));
        pick(1, QDate(2023, 6, 1));
        pick(2, QDate(2023, 6, 10));
        typeInto(dialog->commentBox(), QStringLiteral("Chapter 7 petition"));
    }
    // Save refused by the rules: the text of its box (answered OK), "" when none was shown.
    std::string saveRefused() {
        interaction->queueAnswer(platform::MsgAnswer::OK);
        const std::size_t before = interaction->boxes().size();
        dialog->mCmdAddBankruptcy_Click(0);
        return interaction->boxes().size() > before ? interaction->boxes().at(before).text
                                                    : std::string();
    }
    // Save that passes the rules: no box, the dialog hides.
    void saveAccepted() {
        const std::size_t before = interaction->boxes().size();
        dialog->mCmdAddBankruptcy_Click(0);
        ASSERT_EQ(interaction->boxes().size(), before)
            << "refused: " << interaction->boxes().back().text;
        ASSERT_FALSE(dialog->isVisible());
    }
    bool waitForRequest() {
        return waitUntil([&] { return backEnd->count("Handle:ADDUPDATE") > 0; });
    }

    std::shared_ptr<testing_support::ScriptedBackEnd> backEnd;
    messaging::CustomerRecord customer;
    records::RecordsetPtr cases, ars, caseClone;
    std::unique_ptr<frmBankruptcyAddUpdate> dialog;

    std::vector<std::pair<std::string, std::string>> sent;
    int requestsBeforeSend = -1;
    std::string stampAtSend;
    records::EditMode editAtSend = records::EditMode::Add;
};

// The rules' sentences in their order, each ended by CR LF.
inline std::string sentences(std::initializer_list<const char*> lines) {
    std::string out;
    for (const char* line : lines) out += std::string(line) + "\r\n";
    return out + std::string(70, ' ');
}

}  // namespace addupdate_testing
