// The screen state handed from one unload to the next show: what comes back, what the file
// holds, and that it is handed over once.

#include <QLabel>
#include <QPointer>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "persistence_fixture.h"
#include "platform/widgets/host_shell.h"

namespace document_testing {
namespace {

TEST_F(PersistenceTest, TheFileHoldsThreeImagesAndTheBagsWithTheirDefaults) {
    open();
    ASSERT_TRUE(selectAndWait("1004"));
    // No selection, no filter on the cases, the receivables filtered and positioned.
    records::RecordsetPtr ars = doc->AccntRecvRecordset();
    ars->SetFilter("ACCT_RCVBL_TYP_CD = 'TX'");
    ars->MoveNext();
    const long position = ars->AbsolutePosition();
    doc->CaseRecordset()->MoveFirst();
    doc->CaseRecordset()->MovePrevious();  // before the first row
    unload();

    const StateFile state =
        readState(folder.filePath("KORVA_Bankruptcy_Persist.xml").toStdString());
    EXPECT_EQ(state.cases->RecordCount(), 3);
    EXPECT_EQ(state.ars->RecordCount(), 40) << "a filtered record set is saved whole";
    EXPECT_EQ(state.main.ReadProperty("rsAccntRecv_FILTER"), Value("ACCT_RCVBL_TYP_CD = 'TX'"));
    EXPECT_EQ(state.main.ReadProperty("rsAccntRecv_POSITION"), Value(position));
    EXPECT_FALSE(state.main.Contains("rsBankruptcyCase_FILTER"));
    EXPECT_FALSE(state.main.Contains("rsBankruptcyCase_POSITION"));
    EXPECT_FALSE(state.main.Contains("rsBankruptcyAR_FILTER"));

    const records::PropertyBag customer = state.bag("udtCustomer_CONTENTS");
    EXPECT_EQ(customer.ReadProperty("CustID"), Value("1004"));
    EXPECT_FALSE(customer.Contains("PmtReceiptNbr"));
    EXPECT_FALSE(customer.Contains("IsBankruptcyManager"));
    const records::PropertyBag layout = state.bag("ScreenLayout_CONTENTS");
    EXPECT_EQ(layout.ReadProperty("SSTab1_Tab"), Value(0));
    EXPECT_EQ(layout.ReadProperty("SSTab1_TabEnabled(2)"), Value(true));
    EXPECT_EQ(layout.ReadProperty("mOptBankruptcy(0)"), Value(true));
    EXPECT_EQ(layout.ReadProperty("mTxtBankruptcy_Text"), Value("101"));
    for (const char* name : {"ARS.SelBookmarks", "FILINGS.SelBookmarks"}) {
        const records::PropertyBag selection = state.bag(name);
        EXPECT_EQ(selection.ReadProperty("UBound"), Value(-1L)) << name;
        EXPECT_EQ(selection.Count(), 1u) << name;
    }

    // Restored: the filter and the position come back.
    open();
    EXPECT_TRUE(doc->AccntRecvRecordset()->HasCriteriaFilter());
    EXPECT_EQ(doc->AccntRecvRecordset()->RecordCount(), 14);
    EXPECT_FALSE(doc->CaseRecordset()->HasFilter());
    EXPECT_EQ(reporter->errors, std::vector<std::string>{});
}

TEST_F(PersistenceTest, ThreeSelectedRowsAreStoredAsNumberedBookmarks) {
    open();
    ASSERT_TRUE(selectAndWait("1004"));
    platform::DataGrid& arGrid = grid(KORVA_Bankruptcy::ars);
    const std::vector<records::Bookmark> picked = {*arGrid.BookmarkAt(5), *arGrid.BookmarkAt(1),
                                                   *arGrid.BookmarkAt(9)};
    for (records::Bookmark b : picked) arGrid.SelBookmarks().Add(b);
    typeOfficer("");
    unload();
    const StateFile state =
        readState(folder.filePath("KORVA_Bankruptcy_Persist.xml").toStdString());
    // An empty officer box is not stored; its mark is.
    EXPECT_FALSE(state.bag("ScreenLayout_CONTENTS").Contains("mTxtBankruptcy_Text"));
    EXPECT_TRUE(state.bag("ScreenLayout_CONTENTS").Contains("mTxtBankruptcy_BackColor"));
    const records::PropertyBag selection = state.bag("ARS.SelBookmarks");
    EXPECT_EQ(selection.ReadProperty("UBound"), Value(2L));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(selection.ReadProperty(std::to_string(i)),
                  Value(picked[static_cast<std::size_t>(i)]));
}

TEST_F(PersistenceTest, AHeldReceiptNumberIsHandedBackBeforeTheStateIsWritten) {
    // A state whose customer holds receipt number 4711 (a process dialog had asked for it).
    open();
    ASSERT_TRUE(selectAndWait("1004"));
    unload();
    const std::string path = folder.filePath("KORVA_Bankruptcy_Persist.xml").toStdString();
    StateFile state = readState(path);
    records::PropertyBag customer = state.bag("udtCustomer_CONTENTS");
    customer.WriteProperty("PmtReceiptNbr", "4711", "");
    state.setBag("udtCustomer_CONTENTS", customer);
    writeFile(path, stateBytes(state));

    open();
    ASSERT_EQ(doc->Customer().PmtReceiptNbr, "4711");
    unload();
    EXPECT_EQ(backEnd->count("ReturnNumber:"), 1);
    EXPECT_EQ(backEnd->count("ReturnNumber:R:4711"), 1);
    EXPECT_FALSE(readState(path).bag("udtCustomer_CONTENTS").Contains("PmtReceiptNbr"));
}

// The host closes the document while one of its dialogs is open: the dialog closes first as its
// Cancel would, the state kept holds nothing that only the dialog staged, a receipt number it
// drew is handed back, and the document goes once the procedure that showed the dialog left.
// Every dialog is closed this way by a scenario; the process dialog's drawn receipt going back and
// the state file without staged rows are checked here.
TEST_F(PersistenceTest, ClosingWithTheProcessDialogOpenClosesItFirst) {
    std::string receipt;
    platform::HostShell shell;
    doc = std::make_unique<KORVA_Bankruptcy>(parts.library, interaction);
    struct Unhost {  // a test that stops early deletes the document before the shell
        std::unique_ptr<KORVA_Bankruptcy>& doc;
        ~Unhost() { doc.reset(); }
    } unhost{doc};
    shell.HostDocument(doc.get());
    shell.resize(900, 600);
    shell.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&shell));
    showWorkingState();
    doc->ValidateCommandButtons();
    tabs()->setCurrentIndex(2);
    ASSERT_TRUE(command(3)->isEnabled());

    QPointer<KORVA_Bankruptcy> alive(doc.get());
    QPointer<QDialog> dialog;
    bool closed = false;
    interaction->queueModal([&](QDialog& d) {
        dialog = &d;
        auto& process = static_cast<frmBankruptcyProcess&>(d);
        QTest::keyClicks(process.EntryBox(frmBankruptcyProcess::kAmount), "250");
        receipt = process.DataLabel(7)->text().toStdString();  // the drawn receipt
        // The shell owns the document from here.
        doc.release();
        closed = shell.CloseHostedDocument();
    });
    command(3)->click();
    QApplication::processEvents();
    EXPECT_TRUE(closed);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_TRUE(alive.isNull());
    EXPECT_EQ(interaction->failures(), std::vector<std::string>{});

    const StateFile state =
        readState(folder.filePath("KORVA_Bankruptcy_Persist.xml").toStdString());
    const records::RecordsetPtr rows = state.cases->Clone();
    for (rows->MoveFirst(); !rows->IsEOF(); rows->MoveNext()) {
        constexpr int staged =
            records::status::New | records::status::Modified | records::status::Deleted;
        EXPECT_EQ(rows->Status() & staged, 0) << records::TextOf(rows->Get("CASE_ID"));
    }
    ASSERT_FALSE(receipt.empty());
    EXPECT_EQ(backEnd->count("ReturnNumber:R:" + receipt), 1);
}

}  // namespace
}  // namespace document_testing
