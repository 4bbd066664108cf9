// Layout objects (including the layout-name query) and the answer store.
#include <gtest/gtest.h>

#include "platform/common/answer_store.h"
#include "platform/common/layout_dtd.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace {

std::vector<std::string> names(const records::RecordsetPtr& rs) {
    std::vector<std::string> out;
    for (rs->MoveFirst(); !rs->IsEOF(); rs->MoveNext())
        out.push_back(records::TextOf(rs->Get("Name")));
    return out;
}

TEST(LayoutDtd, NameQueryListsTheLayoutsInNameOrder) {
    const std::string query =
        " SELECT MSysObjects.Name FROM MSysObjects "
        " WHERE ( (MSysObjects.Name NOT Like \"MSys*\" ) "
        " AND (MSysObjects.Type=1) ) "
        " ORDER BY MSysObjects.Name ; ";
    EXPECT_EQ(records::LayoutNameQuery(), query);
    EXPECT_TRUE(records::IsLayoutNameQuery(
        "select msysobjects.name  from msysobjects where ( (msysobjects.name not like \"msys*\" )"
        " and (msysobjects.type=1) )\n order by msysobjects.name ;"));
    platform::LayoutDtd dtd;
    dtd.SetDTDName(query);
    dtd.OpenRecordset();
    ASSERT_EQ(dtd.FieldCount(), 1);
    EXPECT_EQ(names(dtd.Recordset()),
              (std::vector<std::string>{"ACNTSRCVBL", "BANKRUPTCY", "CASEHISTORY", "HALBERON",
                                        "NOTIFICATION"}));
}

TEST(LayoutDtd, RowsAddedAndFinishedAreFinal) {
    platform::LayoutDtd dtd;
    dtd.SetDTDName("notification");
    EXPECT_EQ(dtd.FieldCount(), 4);  // known before the record set opens
    dtd.OpenRecordset();
    for (const char* code : {"A", "B"}) {
        dtd.AddRow();
        dtd.Recordset()->Set("COMPLETION_CD", records::Value(code));
    }
    dtd.FinishRows();
    auto rs = dtd.Recordset();
    EXPECT_EQ(rs->GetEditMode(), records::EditMode::None);
    rs->CancelBatch();  // nothing staged is left to cancel
    ASSERT_EQ(rs->RecordCount(), 2);
    rs->MoveLast();
    EXPECT_EQ(records::TextOf(rs->Get("COMPLETION_CD")), "B");
    dtd.OpenRecordset();  // opening again starts afresh
    EXPECT_EQ(dtd.Recordset()->RecordCount(), 0);

    platform::LayoutDtd unknown;  // an unknown layout has no fields and does not open
    unknown.SetDTDName("NOSUCH");
    EXPECT_EQ(unknown.FieldCount(), 0);
    EXPECT_THROW(unknown.OpenRecordset(), records::Error);
}

messaging::Answer answer(const std::string& theme, const std::string& key, int rows) {
    auto rs = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
    for (int i = 0; i < rows; ++i) {
        rs->AddNew();
        rs->Set("CASE_ID", records::Value(key + "-" + std::to_string(i)));
        rs->Update();
    }
    rs->UpdateBatch();
    return messaging::Answer{theme, key, {{"BANKRUPTCY", rs}}};
}

TEST(AnswerStore, EmptyKeyGivesTheLatestAnswerOfTheThemeAndEachReaderItsOwnView) {
    platform::MemoryAnswerStore store(8);
    store.put(answer("T.CASES", "k1", 1));
    store.put(answer("T.CASES", "k2", 2));
    store.put(answer("T.OPENARS", "k3", 3));
    auto latest = store.GetPart("BANKRUPTCY", "T.CASES", "");
    ASSERT_TRUE(latest);
    EXPECT_EQ(latest->MessageKey(), "k2");
    EXPECT_EQ(latest->Recordset()->RecordCount(), 2);
    auto first = store.GetPart("bankruptcy", "T.CASES", "k1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Recordset()->RecordCount(), 1);
    EXPECT_FALSE(store.GetPart("NOTIFICATION", "T.CASES", "k2"));
    EXPECT_FALSE(store.GetPart("BANKRUPTCY", "T.CASES", "k3"));  // key of another theme
    EXPECT_FALSE(store.GetPart("BANKRUPTCY", "T.CASEARS", ""));

    // each reader gets its own view
    auto a = store.GetPart("BANKRUPTCY", "T.CASES", "k2");
    a->Recordset()->SetSort("CASE_ID DESC");
    a->Recordset()->MoveFirst();
    EXPECT_EQ(records::TextOf(a->Recordset()->Get("CASE_ID")), "k2-1");
    auto b = store.GetPart("BANKRUPTCY", "T.CASES", "k2");
    b->Recordset()->MoveFirst();
    EXPECT_EQ(records::TextOf(b->Recordset()->Get("CASE_ID")), "k2-0");
}

TEST(AnswerStore, KeepsABoundedNumberOfAnswers) {
    platform::MemoryAnswerStore store(2);
    for (const char* key : {"k1", "k2", "k3"}) store.put(answer("T.CASES", key, 1));
    EXPECT_EQ(store.size(), 2u);
    EXPECT_FALSE(store.GetPart("BANKRUPTCY", "T.CASES", "k1"));
}

}  // namespace
