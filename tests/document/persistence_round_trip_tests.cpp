// The screen state handed from one unload to the next show: what comes back, what the file
// holds, and that it is handed over once.

#include "persistence_fixture.h"

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

}  // namespace
}  // namespace document_testing
