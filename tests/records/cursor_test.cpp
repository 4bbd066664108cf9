#include <gtest/gtest.h>

#include "records/stream.h"
#include "recordset_fixture.h"

namespace records::testing {
namespace {

RecordsetPtr ThreeRows() {
    auto rs = PeopleRs();
    AddPerson(rs, "a", 1);
    AddPerson(rs, "b", 2);
    AddPerson(rs, "c", 3);
    rs->UpdateBatch();
    rs->MoveFirst();
    return rs;
}

TEST(CursorTest, WalkingPastEitherEndLandsThereOnceThenFails) {
    auto rs = ThreeRows();
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_FALSE(rs->IsBOF());
    rs->MoveNext();
    rs->MoveNext();
    EXPECT_EQ(rs->Get("Name"), Value("c"));
    rs->MoveNext();
    EXPECT_TRUE(rs->IsEOF());
    EXPECT_FALSE(rs->IsBOF());
    EXPECT_EQ(rs->AbsolutePosition(), position::EOF_);
    EXPECT_EQ(ErrorOf([&] { rs->MoveNext(); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Move(2); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Move(0); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Get("Name"); }), err::NoCurrentRecord);
    rs->MovePrevious();
    EXPECT_EQ(rs->Get("Name"), Value("c"));

    rs->MoveFirst();
    rs->MovePrevious();
    EXPECT_TRUE(rs->IsBOF());
    EXPECT_EQ(rs->AbsolutePosition(), position::BOF);
    EXPECT_EQ(ErrorOf([&] { rs->MovePrevious(); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->Move(-1); }), err::NoCurrentRecord);
    rs->MoveNext();
    EXPECT_EQ(rs->Get("Name"), Value("a"));
}

TEST(CursorTest, RelativeMovesOvershootToTheEndsWithoutError) {
    auto rs = ThreeRows();
    rs->Move(2);
    EXPECT_EQ(rs->AbsolutePosition(), 3);
    rs->Move(-1);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    rs->Move(10);
    EXPECT_TRUE(rs->IsEOF());
    rs->Move(-10);
    EXPECT_TRUE(rs->IsBOF());
    rs->Move(1, Bookmark{3});
    EXPECT_TRUE(rs->IsEOF());
    rs->Move(-2, Bookmark{3});
    EXPECT_EQ(rs->GetBookmark(), 1);
    EXPECT_EQ(ErrorOf([&] { rs->Move(1, Bookmark{42}); }), err::InvalidArgument);
}

TEST(CursorTest, AbsolutePositionAndBookmarksSetTheRow) {
    auto rs = ThreeRows();
    rs->SetAbsolutePosition(3);
    EXPECT_EQ(rs->Get("Name"), Value("c"));
    EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(0); }), err::InvalidArgument);
    EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(4); }), err::InvalidArgument);
    EXPECT_EQ(rs->Get("Name"), Value("c"));
    rs->SetBookmark(2);
    EXPECT_EQ(rs->Get("Name"), Value("b"));
    rs->SetFilter("[Name] <> 'b'");
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(2); }), err::InvalidArgument);
    EXPECT_EQ(rs->VisibleIndexOf(3), 1);
    EXPECT_EQ(rs->VisibleIndexOf(2), -1);
}

TEST(CursorTest, MoveByZeroDoesNotCommitButOtherMovesDo) {
    auto rs = ThreeRows();
    rs->Set("Name", "A1");
    rs->Move(0);
    EXPECT_EQ(rs->GetEditMode(), EditMode::InProgress);
    EXPECT_EQ(rs->Status(), status::Unmodified);
    rs->CancelUpdate();  // withdraws all of it
    EXPECT_EQ(rs->Get("Name"), Value("a"));

    rs->Set("Name", "A2");
    rs->MoveNext();
    EXPECT_EQ(rs->GetEditMode(), EditMode::None);
    rs->MovePrevious();
    EXPECT_EQ(rs->Get("Name"), Value("A2"));
    EXPECT_EQ(rs->Status(), status::Modified);
}

// Fields appended while closed are the definition; Close releases the fields with the rows, so
// a record set closed and defined again has exactly the new fields, however it was opened.
TEST(CursorTest, CloseReleasesTheFieldsOfAnOpenedSet) {
    auto rs = Recordset::Create();
    rs->AppendField("F", FieldType::Text);
    rs->AppendField("G", FieldType::Long);
    EXPECT_EQ(rs->FieldCount(), 2);  // the definition so far
    rs->Open();
    rs->AddNew({"F", "G"}, {Value("x"), Value(1)});
    rs->Close();
    EXPECT_EQ(rs->FieldCount(), 0);
    rs->AppendField("G", FieldType::Text);  // no clash with the released "G"
    rs->Open();
    ASSERT_EQ(rs->FieldCount(), 1);
    EXPECT_EQ(rs->Field(0).type, FieldType::Text);
    EXPECT_EQ(rs->RecordCount(), 0);

    // a set opened from a stream or from a source holds their fields until it closes
    Stream s;
    s.Open();
    PeopleRs()->Save(s);
    auto copy = Recordset::Create();
    copy->AppendField("Ignored", FieldType::Long);
    s.SetPosition(0);
    copy->Open(s);
    EXPECT_EQ(copy->FieldIndex("Ignored"), -1);
    EXPECT_EQ(copy->FieldCount(), 6);
    copy->Close();
    EXPECT_EQ(copy->FieldCount(), 0);
    copy->Open(*PeopleRs());
    EXPECT_EQ(copy->FieldCount(), 6);
    copy->Close();
    copy->AppendField("Name", FieldType::Long);
    copy->Open();
    EXPECT_EQ(copy->FieldCount(), 1);

    // an image that cannot be read leaves the set closed with its definition
    auto failed = Recordset::Create();
    failed->AppendField("Kept", FieldType::Text);
    s.SetPosition(s.Size());
    EXPECT_EQ(ErrorOf([&] { failed->Open(s); }), err::BadImage);
    EXPECT_EQ(failed->State(), kStateClosed);
    EXPECT_EQ(failed->FieldCount(), 1);
}

}  // namespace
}  // namespace records::testing
