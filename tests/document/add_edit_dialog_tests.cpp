// "Add Bankruptcy" and "Edit Bankruptcy Data": the checks before the dialog opens, what the
// dialog is handed, the case grid afterwards, and the staged rows until the answer, the
// refusal or the time-out.

#include <functional>

#include <QDialog>
#include <QPlainTextEdit>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "document_fixture.h"
#include "platform/binding/korva_dtp.h"

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
