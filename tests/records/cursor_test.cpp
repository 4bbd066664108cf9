#include <gtest/gtest.h>

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

TEST(CursorTest, FieldsAreDefinedWhileClosedAndAnEmptySetHasNoRowToMoveTo) {
    auto rs = Recordset::Create();
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), err::ObjectClosed);
    rs->AppendField("F", FieldType::Text);
    EXPECT_EQ(ErrorOf([&] { rs->AppendField("f", FieldType::Long); }), err::InvalidArgument);
    rs->Open();
    EXPECT_EQ(ErrorOf([&] { rs->Open(); }), err::ObjectOpen);
    EXPECT_EQ(ErrorOf([&] { rs->MoveFirst(); }), err::NoCurrentRecord);
    EXPECT_EQ(ErrorOf([&] { rs->MoveLast(); }), err::NoCurrentRecord);
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

TEST(CursorTest, AbsolutePositionAndBookmarksSetTheRow) {
    auto rs = ThreeRows();
    rs->SetAbsolutePosition(3);
    EXPECT_EQ(rs->Get("Name"), Value("c"));
    EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(0); }), err::InvalidArgument);
    EXPECT_EQ(ErrorOf([&] { rs->SetAbsolutePosition(4); }), err::InvalidArgument);
    EXPECT_EQ(rs->Get("Name"), Value("c"));
    rs->SetBookmark(2);
    EXPECT_EQ(rs->Get("Name"), Value("b"));
    rs->Move(1, Bookmark{3});  // from the given row, not the current one
    EXPECT_TRUE(rs->IsEOF());
    rs->SetFilter("[Name] <> 'b'");
    EXPECT_EQ(ErrorOf([&] { rs->SetBookmark(2); }), err::InvalidArgument);
    EXPECT_EQ(rs->VisibleIndexOf(3), 1);
    EXPECT_EQ(rs->VisibleIndexOf(2), -1);
}

}  // namespace
}  // namespace records::testing
