#include <gtest/gtest.h>

#include "recordset_fixture.h"

namespace records::testing {
namespace {

RecordsetPtr Rows(LockType lock = LockType::BatchOptimistic) {
    auto rs = PeopleRs(lock);
    for (const char* n : {"a", "b", "c"}) AddPerson(rs, n, 1, Money(10));
    if (lock == LockType::BatchOptimistic) rs->UpdateBatch();
    rs->MoveFirst();
    return rs;
}

TEST(StagingTest, UpdateStagesUntilTheBatchIsWrittenOrCancelled) {
    auto rs = Rows();
    EXPECT_EQ(rs->Status(), status::Unmodified);
    rs->Set("Name", "a2");
    rs->Set("Amt", 12.5);  // converted to the field's type
    EXPECT_EQ(rs->GetEditMode(), EditMode::InProgress);
    EXPECT_EQ(rs->Get("Name"), Value("a2"));
    rs->Update();
    EXPECT_EQ(rs->GetEditMode(), EditMode::None);
    EXPECT_EQ(rs->Status(), status::Modified);
    EXPECT_EQ(rs->Get("Amt"), Money(12.5));
    EXPECT_EQ(rs->OriginalValue("Name"), Value("a"));
    EXPECT_EQ(rs->UnderlyingValue("Amt"), Money(10));
    rs->Set("Name", "a3");  // a second edit keeps the first originals
    rs->Update();
    EXPECT_EQ(rs->OriginalValue("Name"), Value("a"));

    rs->CancelBatch(Affect::Current);
    EXPECT_EQ(rs->Get("Name"), Value("a"));
    EXPECT_EQ(rs->Get("Amt"), Money(10));
    EXPECT_EQ(rs->Status(), status::Unmodified);

    rs->Set("Name", "final");
    rs->UpdateBatch(Affect::Current);  // settles the pending edit first
    EXPECT_EQ(rs->Status(), status::Unmodified);
    EXPECT_EQ(rs->OriginalValue("Name"), Value("final"));
    rs->CancelBatch();
    EXPECT_EQ(rs->Get("Name"), Value("final"));

    auto now = Rows(LockType::Optimistic);  // without batch locking changes are final at once
    now->Set("Name", "now");
    now->Update();
    EXPECT_EQ(now->Status(), status::Unmodified);
    EXPECT_EQ(now->OriginalValue("Name"), Value("now"));
    now->Delete();
    now->CancelBatch();
    EXPECT_EQ(Texts(now, "Name"), (Names{"b", "c"}));
}

TEST(StagingTest, ValuesAreConvertedToTheFieldTypeOrRefused) {
    auto rs = Rows();
    rs->Set("Num", "42");
    EXPECT_EQ(rs->Get("Num"), Value(42));
    rs->Set("Num", 2.5);  // banker's rounding
    EXPECT_EQ(rs->Get("Num"), Value(2));
    rs->Set("Name", 7);
    EXPECT_EQ(rs->Get("Name"), Value("7"));
    rs->Set("Dt", "2024-02-29");
    EXPECT_EQ(rs->Get("Dt"), Value(DateSerial(2024, 2, 29)));
    rs->Set("Note", Value());  // Empty is stored as Null
    EXPECT_TRUE(rs->Get("Note").isNull());
    EXPECT_EQ(ErrorOf([&] { rs->Set("Num", "abc"); }), err::DataConversion);
    EXPECT_TRUE(Says([&] { rs->Set("Num", "abc"); }, "'Num'"));
    EXPECT_EQ(ErrorOf([&] { rs->Set("Amt", Bytes{1, 2}); }), err::DataConversion);
    EXPECT_EQ(ErrorOf([&] { rs->Set("Nope", 1); }), err::ItemNotFound);
    rs->Set("Any", Bytes{1, 2});
    EXPECT_EQ(rs->Get("Any"), Value(Bytes{1, 2}));
}

TEST(StagingTest, CancelUpdateWithdrawsThePendingEditOnly) {
    auto rs = Rows();
    EXPECT_EQ(ErrorOf([&] { rs->CancelUpdate(); }), err::IllegalOperation);
    rs->Set("Name", "x");
    rs->Set("Num", 5);
    rs->Move(0);  // leaves the edit pending
    rs->CancelUpdate();
    EXPECT_EQ(rs->Get("Name"), Value("a"));
    EXPECT_EQ(rs->Status(), status::Unmodified);

    rs->SetAbsolutePosition(2);
    rs->AddNew();
    EXPECT_EQ(rs->GetEditMode(), EditMode::Add);
    EXPECT_TRUE(rs->HasCurrentRow());
    EXPECT_TRUE(rs->Get("Name").isNull());
    rs->CancelUpdate();  // back to the row that was current
    EXPECT_EQ(rs->Get("Name"), Value("b"));
    EXPECT_EQ(rs->RecordCount(), 3);

    // a new row cancelled under the cursor leaves it nowhere until the next move
    auto c = rs->Clone();
    AddPerson(c, "new", 9);
    const Bookmark added = c->GetBookmark();
    c->MoveFirst();
    rs->SetBookmark(added);
    rs->CancelBatch(Affect::Current);
    EXPECT_EQ(rs->AbsolutePosition(), position::Unknown);
    EXPECT_FALSE(rs->HasCurrentRow());
    EXPECT_EQ(rs->RecordCount(), 3);
    EXPECT_EQ(c->RecordCount(), 3);
    EXPECT_EQ(c->Get("Name"), Value("a"));
    rs->MoveFirst();
    EXPECT_EQ(rs->Get("Name"), Value("a"));
}

TEST(StagingTest, AddedRowsHaveBookmarksBeforeUpdateAndStayCurrentLast) {
    auto rs = Rows();
    rs->SetSort("Name DESC");
    rs->AddNew();
    const Bookmark b = rs->GetBookmark();
    EXPECT_EQ(b, 4);
    rs->Set("Name", "zz");
    EXPECT_EQ(rs->RecordCount(), 3);
    rs->Update();
    EXPECT_EQ(rs->RecordCount(), 4);
    EXPECT_EQ(rs->GetBookmark(), b);
    EXPECT_EQ(rs->AbsolutePosition(), 4);
    EXPECT_EQ(rs->Status(), status::New);
    EXPECT_TRUE(rs->OriginalValue("Name").isNull());
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());

    EXPECT_EQ(ErrorOf([&] { rs->AddNew({"Name", "Num"}, {Value("x")}); }), err::InvalidArgument);
    EXPECT_EQ(ErrorOf([&] { rs->AddNew({"Nope"}, {Value("x")}); }), err::ItemNotFound);
    EXPECT_EQ(rs->RecordCount(), 4);
    // AddNew during an edit updates the edit first
    rs->MoveFirst();
    rs->Set("Num", 77);
    rs->AddNew();
    rs->CancelUpdate();
    rs->MoveFirst();
    EXPECT_EQ(rs->Get("Num"), Value(77));
}

// AddNew with lists converts every value before anything changes; during a pending edit it
// updates that edit first, then adds the row, which becomes current.
TEST(StagingTest, AddNewWithListsConvertsFirstAndSettlesAPendingEdit) {
    auto rs = Rows();
    const long before = rs->RecordCount();
    rs->MoveFirst();
    const Bookmark first = rs->GetBookmark();
    rs->Set("Note", "pending");
    EXPECT_EQ(ErrorOf([&] {
                  rs->AddNew({"Name", "Num"}, {Value("bad"), Value("abc")});
              }),
              err::DataConversion);
    EXPECT_EQ(rs->RecordCount(), before);
    EXPECT_EQ(rs->GetEditMode(), EditMode::InProgress);  // the edit is still pending
    EXPECT_EQ(rs->Get("Note"), Value("pending"));

    rs->AddNew({"num", "Name", "Amt"}, {Value("12"), Value("conv"), Value(2)});
    EXPECT_EQ(rs->GetEditMode(), EditMode::None);
    EXPECT_EQ(rs->RecordCount(), before + 1);
    EXPECT_EQ(rs->Get("Num"), Value(12));  // text converted to the field's type
    EXPECT_EQ(rs->Get("Amt"), Value(Currency{20000}));
    EXPECT_TRUE(rs->Get("Note").isNull());
    EXPECT_EQ(rs->Status(), status::New);
    rs->SetBookmark(first);
    EXPECT_EQ(rs->Get("Note"), Value("pending"));  // updated on the way
    EXPECT_EQ(rs->Status(), status::Modified);

    rs->AddNew({"Name"}, {Value("plain")});  // no edit pending: straight into the store
    EXPECT_EQ(rs->Get("Name"), Value("plain"));
    EXPECT_EQ(rs->AbsolutePosition(), rs->RecordCount());
    rs->CancelBatch();
    EXPECT_EQ(rs->RecordCount(), before);
}

TEST(StagingTest, DeletedRowStaysCurrentUnreadableUntilTheNextMove) {
    auto rs = Rows();
    rs->SetAbsolutePosition(2);
    rs->Delete();
    EXPECT_EQ(rs->RecordCount(), 2);
    EXPECT_FALSE(rs->HasCurrentRow());
    EXPECT_FALSE(rs->IsEOF());
    EXPECT_EQ(rs->Status(), status::Deleted);
    EXPECT_EQ(ErrorOf([&] { rs->Get("Name"); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Set("Name", "x"); }), err::NoCurrentRecord);
    EXPECT_EQ(rs->AbsolutePosition(), position::Unknown);
    rs->MoveNext();
    EXPECT_EQ(rs->Get("Name"), Value("c"));

    rs->CancelBatch();
    EXPECT_EQ(Texts(rs, "Name"), (Names{"a", "b", "c"}));
    EXPECT_EQ(rs->Get("Name"), Value("c"));  // the cursor kept its row

    // deleting every row from the last one backwards, as an empty copy is made
    rs->MoveLast();
    while (rs->RecordCount() >= 1) {
        rs->Delete();
        rs->MovePrevious();
    }
    EXPECT_TRUE(rs->IsBOF());
    EXPECT_TRUE(rs->IsEOF());
    rs->UpdateBatch();
    rs->CancelBatch();
    EXPECT_EQ(rs->RecordCount(), 0);
}

TEST(StagingTest, AffectScopesOfBatches) {
    auto rs = Rows();
    for (int i = 0; i < 3; ++i) {
        rs->SetAbsolutePosition(i + 1);
        rs->Set("Num", 100 + i);
        rs->Update();
    }
    rs->SetFilter("[Num] >= 101");
    rs->CancelBatch(Affect::All);  // only the rows the criteria filter shows
    rs->ClearFilter();
    EXPECT_EQ(Texts(rs, "Num"), (Names{"100", "1", "1"}));

    rs->SetFilter(std::vector<Bookmark>{2, 3});
    EXPECT_EQ(ErrorOf([&] {
                  rs->ClearFilter();
                  rs->UpdateBatch(Affect::Group);
              }),
              err::InvalidArgument);
    rs->SetFilter(std::vector<Bookmark>{1});
    rs->MoveFirst();
    rs->Delete();
    rs->CancelBatch(Affect::Group);  // the listed rows, deleted ones included
    EXPECT_EQ(rs->RecordCount(), 1);
    rs->ClearFilter();
    EXPECT_EQ(Texts(rs, "Num"), (Names{"1", "1", "1"}));

    rs->MoveFirst();
    rs->Set("Num", 5);
    rs->Update();
    rs->SetFilter("[Num] = 99");
    rs->UpdateBatch(Affect::AllChapters);  // every row of the store
    rs->ClearFilter();
    EXPECT_EQ(rs->Status(), status::Unmodified);
}

}  // namespace
}  // namespace records::testing
