#include <gtest/gtest.h>

#include "records/stream.h"
#include "recordset_fixture.h"

namespace records::testing {
namespace {

RecordsetPtr Four() {
    auto rs = PeopleRs();
    for (const char* n : {"a", "b", "c", "d"}) AddPerson(rs, n, 1);
    rs->UpdateBatch();
    return rs;
}

TEST(CloneTest, ClonesShareRowsButNotCursorFilterOrSort) {
    auto rs = Four();
    rs->SetSort("Name DESC");
    rs->SetFilter("[Name] <> 'a'");
    rs->MoveLast();
    auto c = rs->Clone();
    EXPECT_FALSE(c->HasFilter());
    EXPECT_EQ(c->Sort(), "");
    EXPECT_EQ(c->AbsolutePosition(), 1);
    EXPECT_EQ(Texts(c, "Name"), (Names{"a", "b", "c", "d"}));
    EXPECT_EQ(c->GetLockType(), LockType::BatchOptimistic);

    c->SetBookmark(rs->GetBookmark());  // bookmarks are shared
    c->Set("Note", "edited in the clone");
    c->Update();
    EXPECT_EQ(rs->Get("Note"), Value("edited in the clone"));
    EXPECT_EQ(rs->Status(), status::Modified);
    EXPECT_EQ(rs->AbsolutePosition(), 3);  // the source's cursor did not move

    // a read-only clone refuses changes
    auto ro = rs->Clone(LockType::ReadOnly);
    EXPECT_EQ(ErrorOf([&] { ro->Set("Name", "x"); }), err::FeatureNotAvailable);
    EXPECT_EQ(ErrorOf([&] { ro->AddNew(); }), err::FeatureNotAvailable);
    EXPECT_EQ(ErrorOf([&] { ro->Delete(); }), err::FeatureNotAvailable);
    EXPECT_EQ(ro->Get("Name"), Value("a"));
}

TEST(CloneTest, BookmarksCountFromOneInLoadOrderAndSurviveAReload) {
    auto rs = Four();
    EXPECT_EQ(rs->VisibleBookmarks(), (std::vector<Bookmark>{1, 2, 3, 4}));
    rs->SetBookmark(2);
    rs->Delete();
    rs->UpdateBatch();
    AddPerson(rs, "e", 2);
    EXPECT_EQ(rs->GetBookmark(), 5);  // never reused

    Stream s;
    s.Open();
    rs->Save(s);
    s.SetPosition(0);
    auto back = Recordset::Create();
    back->Open(s);
    EXPECT_EQ(back->VisibleBookmarks(), (std::vector<Bookmark>{1, 3, 4, 5}));
    back->SetBookmark(4);
    EXPECT_EQ(back->Get("Name"), Value("d"));
    AddPerson(back, "f", 3);
    EXPECT_EQ(back->GetBookmark(), 6);
    EXPECT_EQ(ErrorOf([&] { back->SetBookmark(2); }), err::InvalidArgument);
}

// A change made through one view is told to the others' subscribers.
TEST(CloneTest, EveryViewHearsOfRowsChangedThroughAnyOther) {
    auto rs = Four();
    std::vector<RowChange::Kind> heard;
    auto sub = rs->Subscribe([&](const RowChange& ch) { heard.push_back(ch.kind); });
    auto c = rs->Clone();
    c->Set("Num", 9);
    c->Update();
    EXPECT_EQ(heard, std::vector<RowChange::Kind>{RowChange::Kind::Changed});
}

TEST(CloneTest, DeletedRowsLeaveEveryViewAndComeBackOnCancel) {
    auto rs = Four();
    rs->SetFilter("[Name] >= 'b'");
    auto c = rs->Clone();
    c->SetSort("Name DESC");
    auto third = rs->Clone();
    third->SetBookmark(3);
    third->Delete();
    EXPECT_EQ(Texts(rs, "Name"), (Names{"b", "d"}));
    EXPECT_EQ(Texts(c, "Name"), (Names{"d", "b", "a"}));
    third->CancelBatch(Affect::Current);
    EXPECT_EQ(third->Get("Name"), Value("c"));  // back under the cursor
    EXPECT_EQ(Texts(rs, "Name"), (Names{"b", "c", "d"}));
    EXPECT_EQ(Texts(c, "Name"), (Names{"d", "c", "b", "a"}));
}

}  // namespace
}  // namespace records::testing
