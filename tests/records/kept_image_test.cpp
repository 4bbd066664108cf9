// An image saved at the end of a stream is kept as shared rows until its bytes are needed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/stream.h"
#include "recordset_fixture.h"

namespace records::testing {
namespace {

void SetAt(const RecordsetPtr& rs, Bookmark b, const std::string& field, Value v) {
    rs->SetBookmark(b);
    rs->Set(field, std::move(v));
    rs->Update();
}

TEST(KeptImage, TheSourceAndEveryRecordSetOpenedFromItChangeIndependently) {
    auto source = ManyPeople();
    const auto before = Cells(source);
    Stream s;
    s.Open();
    source->Save(s);
    auto first = OpenAt(s, 0);
    auto second = OpenAt(s, 0);
    EXPECT_EQ(Cells(first), before);

    // the source writes into the first, a middle and the last segment, widens a number column,
    // adds texts after the shared ones and drops a row for good
    SetAt(source, 1, "Name", Value("source changed the first"));
    SetAt(source, 5000, "Amt", Money(-1));
    SetAt(source, 9000, "Num", Value(static_cast<long long>(1) << 40));
    AddPerson(source, "a text the source added after saving", 1);
    source->SetBookmark(4500);
    source->Delete();
    source->UpdateBatch();
    // the first copy writes into the same rows and adds its own texts
    SetAt(first, 1, "Name", Value("first changed the first"));
    SetAt(first, 5000, "Dt", Value(Date{1.5}));
    AddPerson(first, "a text the first copy added", 2);
    first->UpdateBatch();

    // renaming every row leaves most of the source's text chunks unused: they are rewritten
    for (Bookmark b = 2; b <= 9000; ++b) {
        if (b != 4500) SetAt(source, b, "Name", Value("renamed " + std::to_string(b)));
    }

    EXPECT_EQ(Cells(second), before);
    EXPECT_EQ(Cells(Load(s.Buffer())), before) << "the bytes are those of the saved rows";
    EXPECT_EQ(TextOf(source->ValueAt(5999, 0)), "renamed 5999");
    EXPECT_EQ(TextOf(source->ValueAt(1, 0)), "source changed the first");
    EXPECT_EQ(TextOf(first->ValueAt(1, 0)), "first changed the first");
    EXPECT_EQ(first->ValueAt(5000, first->FieldIndex("Amt")), Money(1249.75));
    EXPECT_EQ(source->ValueAt(5000, source->FieldIndex("Dt")), Value(Date{45000.0 - 1}));
    first->MoveLast();
    EXPECT_EQ(TextOf(first->Get("Name")), "a text the first copy added");
    source->MoveLast();
    EXPECT_EQ(TextOf(source->Get("Name")), "a text the source added after saving");
    EXPECT_EQ(source->RecordCount(), 9000);
    EXPECT_EQ(first->RecordCount(), 9001);
    // and each of them still saves what it holds
    EXPECT_EQ(Cells(Load([&] {
                  Stream t;
                  t.Open();
                  first->Save(t);
                  return Bytes(t.Buffer());
              }())),
              Cells(first));
}

TEST(KeptImage, StreamsHoldingSeveralImagesOrCutShortBehaveAsBytes) {
    auto rs = ManyPeople(100);
    auto small = PeopleRs();
    AddPerson(small, "only", 1);
    small->UpdateBatch();
    Stream s;
    s.Open();
    rs->Save(s);
    const std::int64_t firstEnd = s.Position();
    small->Save(s);  // after a kept image: the first is written out, the second kept
    EXPECT_EQ(Cells(OpenAt(s, 0)), Cells(rs));
    EXPECT_EQ(s.Position(), firstEnd);
    EXPECT_EQ(Cells(OpenAt(s, firstEnd)), Cells(small));
    EXPECT_TRUE(s.AtEnd());

    Stream cut;
    cut.Open();
    rs->Save(cut);
    cut.SetPosition(0);
    cut.SetEOS();  // cut off before the image: nothing is left of it
    EXPECT_EQ(cut.Size(), 0);
    EXPECT_EQ(ErrorOf([&] { OpenAt(cut, 0); }), err::BadImage);

    Stream closed;
    closed.Open();
    rs->Save(closed);
    EXPECT_EQ(ErrorOf([&] { OpenAt(closed, closed.Size()); }), err::BadImage);  // past it
    closed.SetPosition(0);
    EXPECT_EQ(Cells(Load(closed.Read())), Cells(rs));  // reading writes the kept image out
    closed.Close();
    closed.Open();
    EXPECT_EQ(closed.Size(), 0);
}

}  // namespace
}  // namespace records::testing
