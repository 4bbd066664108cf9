// "Add Bankruptcy" and "Edit Bankruptcy Data": the checks before the dialog opens, what the
// dialog is handed, the case grid afterwards, and the staged rows until the answer, the
// refusal or the time-out.

#include <algorithm>
#include <functional>

#include <QDialog>
#include <QPlainTextEdit>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "document_fixture.h"
#include "platform/binding/korva_dtp.h"
#include "platform/common/clock.h"

namespace document_testing {
namespace {

class AddEditTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        open();
        ASSERT_TRUE(selectAndWait("1002"));
    }

    // Clicks row selectors, the later ones with Ctrl held.
    void selectRows(platform::DataGrid& g, std::initializer_list<int> rows) {
        bool first = true;
        for (int row : rows) {
            g.ScrollToRow(row);
            const QRect r = g.SelectorRect(row);
            ASSERT_FALSE(r.isEmpty());
            QTest::mouseClick(g.selectorArea(), Qt::LeftButton,
                              first ? Qt::KeyboardModifiers() : Qt::ControlModifier,
                              g.selectorArea()->mapFrom(&g, r.center()));
            first = false;
        }
    }
    void chooseReceivables(std::initializer_list<int> rows) {
        typeOfficer(QStringLiteral("101"));
        tabs()->setCurrentIndex(1);
        selectRows(grid(KORVA_Bankruptcy::ars), rows);
        ASSERT_TRUE(command(0)->isEnabled());
    }
    // Fills in a valid new case inside the open dialog and saves it.
    static void enterCase(QDialog& d, const QString& caseId) {
        auto& dlg = static_cast<frmBankruptcyAddUpdate&>(d);
        dlg.caseNumberBox()->setFocus();
        QTest::keyClicks(dlg.caseNumberBox(), caseId);
        dlg.datePicker(0)->enter(QDate(2024, 1, 20));
        dlg.datePicker(1)->enter(QDate(2024, 2, 1));
        dlg.datePicker(2)->enter(QDate(2024, 2, 10));
        dlg.commentBox()->setFocus();
        QTest::keyClicks(dlg.commentBox(), QStringLiteral("Chapter 7"));
        dlg.command(0)->click();
    }
    std::optional<Value> caseField(const std::string& caseId, const char* field) {
        auto clone = doc->CaseRecordset()->Clone();
        if (!clone->Find("[CASE_ID] = '" + caseId + "'")) return std::nullopt;
        return clone->Get(field);
    }
    platform::DataGrid& cases() {
        tabs()->setCurrentIndex(2);
        return grid(KORVA_Bankruptcy::FILINGS);
    }
};

TEST_F(AddEditTest, MissingChoicesAreToldAndOpenNothing) {
    struct Case {
        std::function<void()> prepare;
        int command;
        const char* message;
    };
    const std::vector<Case> table = {
        {[&] { typeOfficer(QString()); }, 0,
         "No Officer Number chosen to be Assigned to the New Bankruptcy"},
        {[&] { typeOfficer(QStringLiteral("101")); }, 0,
         "No Accounts selected to belong in the New Bankruptcy"},
        {[&] { doc->KORVA_CustSelect1_ClearForm(); }, 0,
         "No Customer chosen to add a New Bankruptcy to."},
        {[] {}, 5, "No Customer chosen to Edit a Bankruptcy to."},
    };
    for (const Case& c : table) {
        c.prepare();
        interaction->queueAnswer(platform::MsgAnswer::OK);
        doc->DoDialogAddEditBankruptcy(c.command);
        ASSERT_NE(interaction->lastBox(), nullptr);
        EXPECT_EQ(interaction->lastBox()->text, c.message);
        EXPECT_EQ(interaction->lastBox()->icon, platform::MsgIcon::Exclamation);
    }
    EXPECT_TRUE(interaction->failures().empty()) << "no dialog was opened";
}

TEST_F(AddEditTest, AddedCaseIsShownAsAddingUntilItsAnswer) {
    chooseReceivables({0, 2});
    platform::DataGrid& arGrid = grid(KORVA_Bankruptcy::ars);
    const std::vector<records::Bookmark> chosen = arGrid.SelBookmarks().items();
    std::vector<records::Bookmark> handed;
    fault("ADDUPDATE=delay:400");
    interaction->queueModal([&](QDialog& d) {
        auto& dlg = static_cast<frmBankruptcyAddUpdate&>(d);
        EXPECT_EQ(dlg.Mode(), "ADD");
        for (records::Bookmark b : dlg.RecordsetAR()->VisibleBookmarks()) handed.push_back(b);
        enterCase(d, QStringLiteral("BK-300"));
    });
    command(0)->click();
    for (const auto& f : interaction->failures()) ADD_FAILURE() << f;
    std::vector<records::Bookmark> expected = chosen;
    std::sort(expected.begin(), expected.end());
    std::sort(handed.begin(), handed.end());
    EXPECT_EQ(handed, expected) << "exactly the selected receivables";

    // On its way: filed for the time-out watch under the row's stamp. What the grids show
    // meanwhile and after the answer is played by a scenario.
    const messaging::RequestEntry& slot = doc->Requests()[messaging::kAddUpdate];
    EXPECT_NE(slot.deadline, 0);
    EXPECT_EQ(caseField("BK-300", "Theme"), Value(slot.messageKey));
    EXPECT_EQ(arGrid.SelBookmarks().Count(), 0);
    EXPECT_FALSE(command(0)->isEnabled());
    EXPECT_EQ(doc->Customer().CaseID, "BK-200") << "the current case follows the case grid";

    ASSERT_TRUE(waitUntil([&] { return slot.deadline == 0; }));
    EXPECT_EQ(caseField("BK-300", "ACTION"), Value::Null());
    EXPECT_EQ(doc->CaseRecordset()->RecordCount(), 2);
    // The taken receivables are gone for good: a rollback of everything brings none back.
    doc->AccntRecvRecordset()->CancelBatch(records::Affect::All);
    EXPECT_EQ(doc->AccntRecvRecordset()->RecordCount(), 1);

    const auto requests = backEnd->requestsOf("ADDUPDATE");
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].parts.size(), 2u);
    EXPECT_EQ(requests[0].parts[1].rows->RecordCount(), 2);
}

TEST_F(AddEditTest, EditHandsTheCurrentCaseAloneAndARefusalRestoresIt) {
    tabs()->setCurrentIndex(1);
    selectRows(grid(KORVA_Bankruptcy::ars), {0});  // ignored by an edit
    platform::DataGrid& caseGrid = cases();
    selectRows(caseGrid, {0});
    ASSERT_TRUE(command(5)->isEnabled());
    backEnd->problems["ADDUPDATE"] = {{"BADDATE", "Bad date", "ADDUPDATE: BANKRUPTCY", ""}};
    fault("ADDUPDATE=delay:300");
    interaction->queueModal([&](QDialog& d) {
        auto& dlg = static_cast<frmBankruptcyAddUpdate&>(d);
        EXPECT_EQ(dlg.Mode(), "UPD");
        EXPECT_EQ(dlg.RecordsetAR(), nullptr);
        EXPECT_EQ(dlg.trusteeBox()->text(), QStringLiteral("Ada Trustee"));
        EXPECT_TRUE(dlg.datePicker(0)->isEnabled()) << "no notification date on file yet";
        EXPECT_FALSE(dlg.datePicker(1)->isEnabled());
        dlg.datePicker(0)->enter(QDate(2023, 5, 20));
        dlg.trusteeBox()->setFocus();
        dlg.trusteeBox()->selectAll();
        QTest::keyClicks(dlg.trusteeBox(), QStringLiteral("Bo Trustee"));
        dlg.commentBox()->setFocus();
        QTest::keyClicks(dlg.commentBox(), QStringLiteral("New trustee"));
        dlg.command(0)->click();
    });
    interaction->queueAnswer(platform::MsgAnswer::OK);
    command(5)->click();
    for (const auto& f : interaction->failures()) ADD_FAILURE() << f;
    EXPECT_EQ(caseGrid.CellText(0, "Status"), "Updating Open");
    EXPECT_EQ(caseGrid.CellText(0, "Trustee"), "Bo Trustee");
    EXPECT_EQ(caseGrid.SelBookmarks().Count(), 1) << "the case row stays selected";
    EXPECT_FALSE(command(5)->isEnabled()) << "a pending case is not edited again";

    ASSERT_TRUE(waitUntil([&] { return doc->Requests()[messaging::kAddUpdate].deadline == 0; }));
    EXPECT_EQ(caseGrid.CellText(0, "Status"), "Open");
    EXPECT_EQ(caseGrid.CellText(0, "Trustee"), "Ada Trustee");
    EXPECT_EQ(backEnd->requestsOf("ADDUPDATE").at(0).parts.size(), 2u);  // with the case as read
}

}  // namespace
}  // namespace document_testing
