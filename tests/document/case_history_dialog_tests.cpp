// "Case History": opened for the current case from the case grid (Ctrl+H, its context menu) and
// from the case receivables dialog; asks the back end while it is open, lists newest first, and
// tells a time-out or a failure as the other inquiries do.

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>

#include "dialogs/casehistory/frm_bankruptcy_case_history.h"
#include "document_fixture.h"

namespace document_testing {
namespace {

struct Change {
    int day, hour, minute;  // in December 2026
    const char* user;
    long officer;  // 0: not an officer
    const char* action;
    const char* changes;
};

class CaseHistoryDialogTest : public DocumentTest {
  protected:
    void SetUp() override {
        DocumentTest::SetUp();
        // The answer lists the changes oldest first: the dialog shows them newest first.
        answerAlsoWith("CASEHIST", records::kLayoutCaseHistory, [this](records::Recordset& rows) {
            long id = 0;
            for (const Change& c : changes) {
                rows.AddNew();
                rows.Set("CUST_ID", Value("1002"));
                rows.Set("CASE_ID", Value("BK-200"));
                rows.Set("HIST_ID", Value(static_cast<std::int64_t>(++id)));
                rows.Set("CHNG_DT",
                         Value(records::Date{records::DateSerial(2026, 12, c.day).serial +
                                             (c.hour * 60 + c.minute) / 1440.0}));
                rows.Set("USER_NM", Value(c.user));
                if (c.officer) rows.Set("OFCR_ID", Value(static_cast<std::int64_t>(c.officer)));
                rows.Set("ACTN_TXT", Value(c.action));
                rows.Set("CHNG_TXT", Value(c.changes));
                rows.Update();
            }
        });
        changes = {{1, 9, 5, "demo", 0, "Added", "Status: Open; Trustee: Ada Trustee"},
                   {6, 14, 30, "manager", 101, "Updated",
                    "Trustee: Ada Trustee \u2192 Zed Trustee; Comment: (none) \u2192 Moved"}};
        open();
        ASSERT_TRUE(selectAndWait("1002"));
        tabs()->setCurrentIndex(2);
    }

    void selectCase() {
        clickSelector(grid(KORVA_Bankruptcy::FILINGS), 0);
        ASSERT_EQ(doc->Customer().CaseID, "BK-200");
    }

    // What the history dialog showed; it waits up to 3 s for wantRows rows, then OK closes it.
    struct Seen {
        QString title, caseLabel, changesBox;
        long rowsAtOpen = -1;
        std::vector<std::vector<QString>> cells;  // When, Who, Action, Changes
    };
    std::function<void(QDialog&)> readHistory(Seen& seen, long wantRows) {
        return [this, &seen, wantRows](QDialog& d) {
            auto& dialog = dynamic_cast<frmBankruptcyCaseHistory&>(d);
            seen.title = dialog.windowTitle();
            seen.caseLabel = dialog.CaseNumberLabel()->text();
            platform::DataGrid& g = *dialog.Grid();
            seen.rowsAtOpen = g.Rows();
            if (wantRows > 0) waitUntil([&] { return g.Rows() >= wantRows; }, 3000);
            for (int row = 0; row < g.Rows(); ++row) {
                seen.cells.push_back({g.CellText(row, "When"), g.CellText(row, "Who"),
                                      g.CellText(row, "Action"), g.CellText(row, "Changes")});
            }
            seen.changesBox = dialog.ChangesBox()->toPlainText();
            QTest::mouseClick(dialog.findChild<QPushButton*>("mCmdCaseHistory(0)"), Qt::LeftButton);
        };
    }

    std::vector<Change> changes;
};

TEST_F(CaseHistoryDialogTest, ATimeOutOrAFailureIsToldAndTheListStaysEmpty) {
    selectCase();
    // A time-out while the dialog is open: the combined time-out box, the dialog stays.
    fault("CASEHIST=drop");
    std::string boxText;
    bool stillOpen = false;
    long rows = -1;
    interaction->queueModal([&](QDialog& d) {
        auto& dialog = dynamic_cast<frmBankruptcyCaseHistory&>(d);
        parts.clock->advance(61);
        interaction->queueAnswer(platform::MsgAnswer::OK);
        doc->CheckTimeouts();
        if (const auto* box = interaction->lastBox()) boxText = box->text;
        stillOpen = d.isVisible();
        rows = dialog.Grid()->Rows();
        dialog.mCmdCaseHistory_Click(0);
    });
    doc->CaseHistoryCommand()->trigger();
    EXPECT_NE(boxText.find("The system has not responded to your request(s)."), std::string::npos);
    EXPECT_NE(boxText.find("Bankruptcy Case History Inquiry Message failed to respond."),
              std::string::npos);
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(rows, 0);
    EXPECT_TRUE(doc->IsIdle());
    EXPECT_FALSE(interaction->IsBusyPointer());
    EXPECT_EQ(status(), "Ready ...");

    // The back end refuses: its notification is shown, the list stays empty.
    clearFaults();
    changes.clear();
    backEnd->problems["CASEHIST"] = {
        {"NOCASE", "Customer 1002 has no bankruptcy case 'BK-200'.", "CASEHIST: key:CASE_ID", ""}};
    Seen seen;
    interaction->queueAnswer(platform::MsgAnswer::OK);
    interaction->queueModal([&](QDialog& d) {
        waitUntil([&] { return doc->IsIdle(); }, 3000);
        readHistory(seen, 0)(d);
    });
    doc->CaseHistoryCommand()->trigger();
    EXPECT_TRUE(seen.cells.empty());
    const auto sent = backEnd->requestsOf("CASEHIST").back().criteria;  // the current case's
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].value + "|" + sent[1].keyName + "=" + sent[1].value,
              "1002|key:CASE_ID=BK-200");
    const auto* box = interaction->lastBox();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(box->text.find("An Bankruptcy Case History Inquiry message returned the following "
                             "error:"),
              std::string::npos)
        << box->text;
    EXPECT_NE(box->text.find("NOCASE: Customer 1002 has no bankruptcy case 'BK-200'."),
              std::string::npos);
    EXPECT_TRUE(statusSeen("Query Not Successful."));
    EXPECT_TRUE(interaction->failures().empty());
}

}  // namespace
}  // namespace document_testing
