// Save: the row it completes and stages, the "ADDUPDATE" request the back end receives, the rows
// it takes out of the record sets, and Cancel and unload.
#include "dialogs/addupdate/dialog_fixture.h"
#include "dialogs/rows.h"

namespace addupdate_testing {
namespace {

using testing_rows::expectNull;
using testing_rows::expectTexts;

std::string text(const records::Recordset& rs, const char* field) {
    return records::TextOf(rs.Get(field));
}

TEST_F(AddUpdateDialogTest, AddSendsTheCaseAndItsReceivables) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    fillValidCase();
    typeInto(dlg.trusteeBox(), QStringLiteral("  Joan   Trustee "));
    dlg.phone()->enter(QStringLiteral("5035550123"));
    saveAccepted();
    ASSERT_TRUE(waitForRequest());

    // The owner heard of the request before it left, with the stamp already in the shared row.
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].first, std::string(messaging::kAppTitle) + "ADDUPDATE");
    EXPECT_EQ(requestsBeforeSend, 0);
    EXPECT_EQ(stampAtSend, sent[0].second);
    EXPECT_EQ(editAtSend, records::EditMode::None);

    const messaging::Request r = backEnd->lastRequest();
    EXPECT_EQ(r.messageKey, sent[0].second);
    testing_support::ExpectChangeRequestHeader(r);
    ASSERT_EQ(r.parts.size(), 2u);
    EXPECT_EQ(r.parts[0].name, "BANKRUPTCY");
    EXPECT_EQ(r.parts[1].name, "ACCOUNT");

    records::Recordset& c = *r.parts[0].rows;
    ASSERT_EQ(c.RecordCount(), 1);
    c.MoveFirst();
    expectTexts(c,
                "ACTION=ADD|CUST_ID=1002|CASE_ID=BK-5|STTS_CD=O|TRSTE_NM=Joan Trustee|"
                "TRSTE_PHN_NBR=5035550123|BNKRPTCY_CMMT_TXT=Chapter 7 petition|ASGN_OFCR_ID=101");
    EXPECT_EQ(c.Get("CRT_FILE_DT"), day(2023, 6, 1));
    EXPECT_EQ(c.Get("CLM_FILE_DT"), day(2023, 6, 10));
    EXPECT_EQ(c.Get("NTFCTN_DT"), day(2023, 5, 20));
    EXPECT_EQ(c.Get("TOT_BAL_DUE_AMT"), Value(records::CurrencyFromUnits(350)));
    expectNull(
        c, {"CRT_CLSE_DT", "FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT", "TOT_PYMT_AMT", "PYMT_CNT",
            "LST_PYMT_DT", "LST_RCPT_NBR", "LST_PYMT_AMT", "LST_FUND_RFRNC_NBR", "Theme"});

    records::Recordset& a = *r.parts[1].rows;
    ASSERT_EQ(a.RecordCount(), 2);
    a.MoveFirst();
    for (auto [number, check, type] :
         {std::tuple{"7", "1", "FEE"}, std::tuple{"1234567", "10", "TX"}}) {
        expectTexts(a, "ACTION=UPD|ACCT_RCVBL_NBR=" + std::string(number) +
                           "|ACCT_RCVBL_CK_NBR=" + check + "|ACCT_RCVBL_TYP_CD=" + type);
        expectNull(a, {"Cust_ID", "TRNSCTN_DT", "TRNSCTN_NBR", "CASE_ID", "ACCT_RCVBL_BAL_AMT"});
        a.MoveNext();
    }

    EXPECT_EQ(statusLine->lastText(), "Adding Bankruptcy Case BK-5 ...");
    EXPECT_EQ(dlg.CustomerRecord().CaseID, "BK-5");
    EXPECT_TRUE(dlg.Mode().empty());
}

TEST_F(AddUpdateDialogTest, ReusingADismissedNumberTakesTheDismissedRowOut) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    fillValidCase(QStringLiteral("BK-9"));
    saveAccepted();
    ASSERT_TRUE(waitForRequest());
    const std::string key = sent.at(0).second;
    const records::RecordsetPtr nine = cases->Clone();
    nine->SetFilter("[CASE_ID] = 'BK-9'");
    ASSERT_EQ(nine->RecordCount(), 1) << "only the new case is left";
    EXPECT_EQ(text(*nine, "STTS_CD"), "O");
    // The dismissed row comes back when the request fails.
    const records::RecordsetPtr stamped = cases->Clone();
    stamped->SetFilter("[Theme] = '" + key + "'");
    stamped->CancelBatch(records::Affect::All);
    nine->SetFilter("[CASE_ID] = 'BK-9'");
    ASSERT_EQ(nine->RecordCount(), 1);
    EXPECT_EQ(text(*nine, "STTS_CD"), "D");
    EXPECT_TRUE(nine->Get("Theme").isNull());
    (void)dlg;
}

TEST_F(AddUpdateDialogTest, UpdateSendsTheCaseAndTheCaseAsRead) {
    frmBankruptcyAddUpdate& dlg = openEdit("BK-1");
    caseClone->Set("ASGN_OFCR_ID", Value(0));  // an officer 0 travels as Null
    caseClone->Update();
    dlg.commentBox()->setFocus();
    dlg.commentBox()->setPlainText(QStringLiteral("Trustee\r\nchanged   to\n Joan "));
    typeInto(dlg.trusteeBox(), QStringLiteral("   "));
    pick(3, QDate(2024, 1, 10));
    EXPECT_EQ(saveRefused(), sentences({"A Trustee Name is required."}));
    pick(3, QVariant());
    saveAccepted();
    ASSERT_TRUE(waitForRequest());

    const messaging::Request r = backEnd->lastRequest();
    ASSERT_EQ(r.parts.size(), 2u);
    // The case as it was read: the row's values before this update.
    ASSERT_EQ(r.parts[1].name, "ORIGINAL");
    records::Recordset& read = *r.parts[1].rows;
    read.MoveFirst();
    expectTexts(read, "CASE_ID=BK-1|BNKRPTCY_CMMT_TXT=Filed in June");
    expectNull(read, {"ACTION"});
    records::Recordset& c = *r.parts[0].rows;
    c.MoveFirst();
    expectTexts(c, "ACTION=UPD|CASE_ID=BK-1|BNKRPTCY_CMMT_TXT=Trustee changed to Joan");
    // Blanks and officer 0 travel as Null; the balance due is not copied in an update.
    expectNull(c, {"TRSTE_NM", "ASGN_OFCR_ID", "TOT_BAL_DUE_AMT"});
    EXPECT_EQ(c.Get("CRT_FILE_DT"), day(2023, 6, 1));
    EXPECT_EQ(statusLine->lastText(), "Updating Bankruptcy Case BK-1 ...");

    // The edited row holds the new values, staged and stamped, its former ones kept.
    expectTexts(*caseClone,
                "ACTION=UPD|BNKRPTCY_CMMT_TXT=Trustee changed to Joan|Theme=" + sent.at(0).second);
    EXPECT_EQ(records::TextOf(caseClone->OriginalValue("BNKRPTCY_CMMT_TXT")), "Filed in June");
}

TEST_F(AddUpdateDialogTest, CommentsLoseLineBreaksAndRunsOfBlanks) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    fillValidCase();
    dlg.commentBox()->setFocus();
    dlg.commentBox()->setPlainText(QStringLiteral("  First line\r\n\r\nsecond    line\n"));
    saveAccepted();
    // Trimmed before the breaks became blanks: the final break stays as one blank in the row,
    // and the request trims it.
    EXPECT_EQ(text(*caseClone, "BNKRPTCY_CMMT_TXT"), "First line second line ");
    ASSERT_TRUE(waitForRequest());
    records::Recordset& c = *backEnd->lastRequest().parts.at(0).rows;
    c.MoveFirst();
    EXPECT_EQ(text(c, "BNKRPTCY_CMMT_TXT"), "First line second line");
    // A comment longer than the box allows is cut when the user enters it.
    openAdd();
    dialog->commentBox()->setFocus();
    dialog->commentBox()->setPlainText(QString(300, QLatin1Char('x')));
    EXPECT_EQ(dialog->commentBox()->toPlainText().size(), frmBankruptcyAddUpdate::kCommentLength);
}

TEST_F(AddUpdateDialogTest, AListenerMayStopTheSave) {
    frmBankruptcyAddUpdate& dlg = openAdd();
    fillValidCase();
    int heard = 0;
    QObject::connect(
        &dlg, &frmBankruptcyAddUpdate::AddBankruptcy,
        [&](records::RecordsetPtr rs, records::Bookmark b, records::RecordsetPtr ar, bool* cancel) {
            ++heard;
            EXPECT_EQ(rs, caseClone);
            EXPECT_EQ(b, caseClone->GetBookmark());
            EXPECT_EQ(ar->RecordCount(), 2);
            EXPECT_EQ(text(*rs, "CASE_ID"), "BK-5");  // the row is complete
            *cancel = true;
        });
    dlg.mCmdAddBankruptcy_Click(0);
    EXPECT_EQ(heard, 1);
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(dlg.Mode(), "ADD");
    EXPECT_TRUE(sent.empty());
    EXPECT_NE(caseClone->GetEditMode(), records::EditMode::None) << "the edit is still pending";
    EXPECT_EQ(ars->RecordCount(), 4);
}

TEST_F(AddUpdateDialogTest, CancelAndClosingWithdrawOnlyTheDialogsRow) {
    // A row staged by an earlier request of the same customer must survive.
    cases->MoveFirst();
    cases->Set("TRSTE_NM", Value("Pending Change"));
    cases->Update();

    frmBankruptcyAddUpdate& dlg = openAdd();
    fillValidCase();
    EXPECT_EQ(cases->RecordCount(), 5);
    dlg.mCmdAddBankruptcy_Click(1);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(cases->RecordCount(), 4);
    cases->MoveFirst();
    EXPECT_EQ(text(*cases, "TRSTE_NM"), "Pending Change");

    openAdd();
    EXPECT_EQ(cases->RecordCount(), 5);
    dialog->close();  // the window's close button
    EXPECT_EQ(cases->RecordCount(), 4);

    // Cancelling an update that a listener stopped withdraws the written values, and only them.
    frmBankruptcyAddUpdate& edit = openEdit("BK-1");
    QObject::connect(&edit, &frmBankruptcyAddUpdate::UpdateBankruptcy,
                     [](records::RecordsetPtr, records::Bookmark, records::RecordsetPtr,
                        bool* cancel) { *cancel = true; });
    typeInto(edit.commentBox(), QStringLiteral("Changed"));
    edit.mCmdAddBankruptcy_Click(0);
    EXPECT_EQ(text(*caseClone, "BNKRPTCY_CMMT_TXT"), "Changed");
    edit.mCmdAddBankruptcy_Click(1);
    EXPECT_EQ(text(*caseClone, "BNKRPTCY_CMMT_TXT"), "Filed in June");
    EXPECT_EQ(text(*caseClone, "TRSTE_NM"), "Pending Change");
    EXPECT_EQ(backEnd->count("Handle:"), 0);
}

}  // namespace
}  // namespace addupdate_testing
