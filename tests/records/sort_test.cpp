#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "recordset_fixture.h"

namespace records::testing {
namespace {

RecordsetPtr Sample() {
    auto rs = PeopleRs();
    AddPerson(rs, "delta", 3, Money(1), Value(DateSerial(2024, 5, 1)));
    AddPerson(rs, "Alpha", Value::Null(), Money(-2), Value(DateSerial(2023, 1, 1)));
    AddPerson(rs, "charlie", 1, Value::Null(), Value(DateSerial(2024, 5, 1)));
    AddPerson(rs, "BRAVO", 3, Money(1), Value::Null());
    AddPerson(rs, "alpha", 1, Money(0.5), Value(DateSerial(2022, 7, 4)));
    rs->UpdateBatch();
    return rs;
}

TEST(SortTest, OrdersByKeysWithNullsFirstAndTiesInLoadOrder) {
    auto rs = Sample();
    struct Case {
        const char* sort;
        Names names;
    };
    const Case cases[] = {
        {"Name", {"Alpha", "alpha", "BRAVO", "charlie", "delta"}},  // letter case ignored, stable
        {"Name DESC", {"delta", "charlie", "BRAVO", "Alpha", "alpha"}},
        {"Num ASC", {"Alpha", "charlie", "alpha", "delta", "BRAVO"}},
        {"Num DESC", {"Alpha", "delta", "BRAVO", "charlie", "alpha"}},  // Null first both ways
        {"Num ASC, Name DESC", {"Alpha", "charlie", "alpha", "delta", "BRAVO"}},
        {"[Num] DESC, [Name]", {"Alpha", "BRAVO", "delta", "alpha", "charlie"}},
        {"Amt", {"charlie", "Alpha", "alpha", "delta", "BRAVO"}},
        {"Dt DESC, Amt", {"BRAVO", "charlie", "delta", "Alpha", "alpha"}},
        {"  num   asc ,  name  ", {"Alpha", "alpha", "charlie", "BRAVO", "delta"}},
        {"", {"delta", "Alpha", "charlie", "BRAVO", "alpha"}},  // back to load order
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sort);
        rs->SetSort(c.sort);
        EXPECT_EQ(Texts(rs, "Name"), c.names);
        EXPECT_EQ(rs->Sort(), c.sort);
    }
    rs->SetSort("Num");  // a row added through another view takes its sorted place
    AddPerson(rs->Clone(), "nil", Value::Null());
    EXPECT_EQ(Texts(rs, "Name"), (Names{"Alpha", "nil", "charlie", "alpha", "delta", "BRAVO"}));
}

TEST(SortTest, MalformedSortsAreErrorsAndKeepTheOrder) {
    auto rs = Sample();
    rs->SetSort("Num");
    const Names before = Texts(rs, "Name");
    for (const char* bad :
         {"Nope", "Num UP", "Num,", ", Num", "Num ASC DESC", "[Num", "Num,,Name"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ErrorOf([&] { rs->SetSort(bad); }), err::BadFilter);
        EXPECT_EQ(Texts(rs, "Name"), before);
        EXPECT_EQ(rs->Sort(), "Num");
    }
}

TEST(SortTest, SortKeepsTheCurrentRowAndTheFilter) {
    auto rs = Sample();
    rs->SetFilter("[Num] <> Null");
    rs->SetAbsolutePosition(2);  // charlie
    const Bookmark current = rs->GetBookmark();
    rs->SetSort("Name DESC");
    EXPECT_EQ(rs->GetBookmark(), current);
    EXPECT_EQ(rs->AbsolutePosition(), 2);
    EXPECT_EQ(Texts(rs, "Name"), (Names{"delta", "charlie", "BRAVO", "alpha"}));
    AddPerson(rs->Clone(), "nil", Value::Null());  // added elsewhere, not admitted by the filter
    EXPECT_EQ(rs->RecordCount(), 4);
    rs->SetSort("Name");
    EXPECT_EQ(rs->GetBookmark(), current);
    EXPECT_EQ(rs->AbsolutePosition(), 3);
}

// A clone given its source's sort sorts the rows as they are now: an edit since the source's
// sort leaves the source's rows where they were, but not the clone's.
TEST(SortTest, CloneSortedLikeItsSourceSortsTheRowsAsTheyAreNow) {
    auto rs = Sample();
    rs->SetSort("Num DESC, Name");
    rs->SetAbsolutePosition(2);
    rs->Set("Num", 0);  // BRAVO now belongs after the 1s
    rs->Update();
    auto fresh = rs->Clone();
    fresh->SetSort("Num DESC, Name");
    EXPECT_EQ(Texts(fresh, "Name"), (Names{"Alpha", "delta", "alpha", "charlie", "BRAVO"}));
}

// Many random rows (enough for the radix path): the engine's order must equal a stable sort by
// the value rules' comparison (Null first in either direction). Texts share long prefixes and
// differ in letter case, trailing zero bytes and beyond the first 64 bytes, to exercise the
// 8-byte images and the runs they leave undecided.
TEST(SortTest, AgreesWithAReferenceSortOnRandomRows) {
    std::mt19937 rng(20240607);
    auto rs = PeopleRs();
    const std::string stems[] = {"abcdefgh",
                                 "ABCDEFGH",
                                 "abcdefg",
                                 "zz",
                                 "",
                                 "abcdefghij",
                                 "b",
                                 std::string("abcdefgh\0", 9),
                                 std::string(70, 'q')};
    for (int i = 0; i < 2500; ++i) {
        Value name = rng() % 10 == 0
                         ? Value::Null()
                         : Value(stems[rng() % 9] +
                                 std::string(rng() % 3, static_cast<char>('a' + rng() % 3)));
        Value num = rng() % 8 == 0 ? Value::Null() : Value(static_cast<int>(rng() % 21) - 10);
        Value amt =
            rng() % 8 == 0 ? Value::Null() : Value(Currency{static_cast<long long>(rng() % 7) - 3});
        Value dt =
            rng() % 8 == 0 ? Value::Null() : Value(Date{static_cast<double>(rng() % 5) - 2.5});
        const int kind = static_cast<int>(rng() % 4), pick = static_cast<int>(rng() % 5);
        const Value any = kind == 0   ? Value::Null()
                          : kind == 1 ? Value(pick)
                          : kind == 2 ? Value(pick / 2.0)
                                      : Value(std::string(1, static_cast<char>('a' + pick % 3)));
        AddPerson(rs, name, num, amt, dt, Value::Null(), any);
    }
    const int fields[] = {rs->FieldIndex("Name"), rs->FieldIndex("Num"), rs->FieldIndex("Amt"),
                          rs->FieldIndex("Dt"), rs->FieldIndex("Any")};
    const char* names[] = {"Name", "Num", "Amt", "Dt", "Any"};
    const std::vector<Bookmark> load = rs->VisibleBookmarks();
    for (int trial = 0; trial < 30; ++trial) {
        const int k1 = static_cast<int>(rng() % 5), k2 = static_cast<int>(rng() % 5);
        const bool d1 = rng() % 2, d2 = rng() % 2;
        const std::string expr = std::string(names[k1]) + (d1 ? " DESC" : "") + ", " + names[k2] +
                                 (d2 ? " DESC" : " ASC");
        SCOPED_TRACE(expr);
        rs->SetSort(expr);
        std::vector<Bookmark> expected = load;
        auto cmp = [&](Bookmark a, Bookmark b, int f, bool desc) {
            const Value x = rs->ValueAt(a, f), y = rs->ValueAt(b, f);
            if (x.isNull() || y.isNull())
                return x.isNull() == y.isNull() ? 0 : (x.isNull() ? -1 : 1);
            const int c = CompareForSort(x, y);
            return desc ? -c : c;
        };
        std::stable_sort(expected.begin(), expected.end(), [&](Bookmark a, Bookmark b) {
            int c = cmp(a, b, fields[k1], d1);
            if (c == 0) c = cmp(a, b, fields[k2], d2);
            return c < 0;
        });
        ASSERT_EQ(rs->VisibleBookmarks(), expected);
    }
}

}  // namespace
}  // namespace records::testing
