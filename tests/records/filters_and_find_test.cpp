#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "recordset_fixture.h"

namespace records::testing {
namespace {

class FilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        rs = PeopleRs();
        AddPerson(rs, "Alice", 10, Money(1.5), Value(DateSerial(2024, 1, 5)), "x", Value(5));
        AddPerson(rs, "bob", 20, Money(2), Value(DateSerial(2024, 2, 1)), Value::Null(),
                  Value("5"));
        AddPerson(rs, "Carol", Value::Null(), Money(3.25), Value::Null(), "O'Brien", Value(5.0));
        AddPerson(rs, "alice smith", 5, Money(-1), Value(DateSerial(2023, 12, 31)), "");
        AddPerson(rs, "Dave", 30, Value::Null(), Value(DateSerial(2024, 3, 1)), "z");
        rs->UpdateBatch();
    }
    RecordsetPtr rs;
};

struct FilterCase {
    const char* expression;
    Names names;
};

TEST_F(FilterTest, ExpressionsSelectTheRightRows) {
    // clang-format off
    const FilterCase cases[] = {
        {"[Name] = 'ALICE'", {"Alice"}}, {"Name = 'alice'", {"Alice"}},  // letter case, bare name
        {"[name]='alice'", {"Alice"}},  // field names ignore letter case too
        {"[Num] > 10", {"bob", "Dave"}},  // a Null field matches no comparison
        {"[Num] <> 10", {"bob", "alice smith", "Dave"}}, {"[Num] = Null", {"Carol"}},
        {"[Num] <> Null", {"Alice", "bob", "alice smith", "Dave"}},
        {"[Num] <= 10", {"Alice", "alice smith"}}, {"[Num] >= 20", {"bob", "Dave"}},
        {"[Num] < 10", {"alice smith"}}, {"[Num] = '20'", {"bob"}},  // a quoted number
        {"[Num] = 10.5", {}}, {"[Num] = -5", {}}, {"[Name] LIKE 'ali*'", {"Alice", "alice smith"}},
        {"[Name] LIKE '%SMI%'", {"alice smith"}}, {"[Name] LIKE 'bob'", {"bob"}},
        {"[Name] LIKE '*'", {"Alice", "bob", "Carol", "alice smith", "Dave"}},
        {"[Note] = 'O''Brien'", {"Carol"}}, {"[Note] = ''", {"alice smith"}},  // not Null
        {"[Note] < 'y'", {"Alice", "Carol", "alice smith"}},
        {"[Num] = 10 OR [Num] = 20 AND [Name] = 'nobody'", {"Alice"}},  // AND binds tighter
        {"([Num] = 10 OR [Num] = 20) AND [Name] <> 'nobody'", {"Alice", "bob"}},
        {"[Num] = 10 AND ([Name] = 'x' OR [Note] = 'x') OR [Name] = 'Dave'", {"Alice", "Dave"}},
        {"((([Num] = 30)))", {"Dave"}}, {"[Dt] >= #2024-02-01#", {"bob", "Dave"}},
        {"[Dt] < #01/10/2024#", {"Alice", "alice smith"}}, {"[Dt] = '2024-03-01'", {"Dave"}},
        {"[Amt] = 1.5", {"Alice"}}, {"[Amt] = $3.25", {"Carol"}}, {"[Amt] < 0", {"alice smith"}},
        {"[Amt] > 1.49995", {"Alice", "bob", "Carol"}},
        {"[Any] = 5", {"Alice", "Carol"}},  // numbers of any kind, not the text "5"
        {"[Any] = '5'", {"bob"}}, {"  [Num]=10  ", {"Alice"}}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expression);
        rs->SetFilter(c.expression);
        EXPECT_EQ(Texts(rs, "Name"), c.names);
        EXPECT_EQ(rs->RecordCount(), static_cast<long>(c.names.size()));
        // the totals cover the same rows, Null cells adding nothing
        EXPECT_EQ(rs->Sum("Num"), Value(static_cast<long long>(Total(rs, "Num"))));
        EXPECT_EQ(rs->Sum("Amt"), Value(Currency{Total(rs, "Amt")}));
    }
}

TEST_F(FilterTest, SumsTheRowsRecordCountCountsWithoutMovingTheCursor) {
    EXPECT_EQ(rs->Sum("Num"), Value(65));
    EXPECT_EQ(rs->Sum("amt"), Money(5.75));
    rs->SetBookmark(2);
    rs->Set("Num", 100);  // a pending edit counts as it reads
    EXPECT_EQ(rs->Sum("Num"), Value(145));
    EXPECT_EQ(rs->GetBookmark(), 2);
    rs->CancelUpdate();
    rs->Delete();  // a deleted row leaves the view
    EXPECT_EQ(rs->Sum("Num"), Value(45));
    rs->SetFilter("[Num] = 99");
    EXPECT_EQ(rs->Sum("Amt"), Money(0));
    rs->ClearFilter();
    EXPECT_EQ(ErrorOf([&] { (void)rs->Sum("Name"); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([&] { (void)rs->Sum("Nope"); }), err::ItemNotFound);
    rs->Set("Num", Value(std::numeric_limits<long long>::max()));  // the column widens
    rs->Update();
    EXPECT_EQ(ErrorOf([&] { (void)rs->Sum("Num"); }), err::Overflow);
}

TEST_F(FilterTest, MalformedExpressionsAreErrorsAndKeepTheFilterInForce) {
    rs->SetFilter("[Num] > 10");
    // clang-format off
    for (const char* e : {"[Name] =", "[Name] 'x'", "[Nope] = 1", "[Name] = 'x", "([Name] = 'x'",
             "[Name] = 'x')", "[Name] = 'x' AND", "AND [Name] = 'x'",
             "[Name] = 'x' OR OR [Num] = 1",
             "[Name] LIKE '*li'", "[Name] LIKE 'a*e'", "[Num] LIKE '1*'", "[Name] LIKE 5",
             "[Num] = 'abc'", "[Dt] = #13/45/2024#", "[Dt] = #2024-01-01", "[Num] > Null",
             "[Name] == 'x'", "[Name] = x", "[Name = 'x'", "[Name] ! 'x'", "()",
             "[Num] = 1 [Num] = 2", "[Name] = 'a' XOR [Name] = 'b'"}) {
        // clang-format on
        SCOPED_TRACE(e);
        const std::string why = DescriptionOf([&] { rs->SetFilter(e); });
        EXPECT_NE(why.find("Invalid filter expression"), std::string::npos) << why;
        EXPECT_EQ(ErrorOf([&] { rs->SetFilter(e); }), err::BadFilter);
        EXPECT_EQ(Texts(rs, "Name"), (Names{"bob", "Dave"}));
        EXPECT_EQ(rs->FilterValue(), Value("[Num] > 10"));
    }
    EXPECT_TRUE(Says([&] { rs->SetFilter("[Nope] = 1"); }, "unknown field 'Nope'"));

    // nesting is bounded but generous
    std::string deep = std::string(60, '(') + "[Num] = 10" + std::string(60, ')');
    rs->SetFilter(deep);
    EXPECT_EQ(rs->RecordCount(), 1);
    std::string tooDeep = std::string(5000, '(') + "[Num] = 10" + std::string(5000, ')');
    EXPECT_EQ(ErrorOf([&] { rs->SetFilter(tooDeep); }), err::BadFilter);
    std::string longChain = "[Num] = 0";
    for (int i = 0; i < 5000; ++i) longChain += " OR [Num] = " + std::to_string(i % 40);
    rs->SetFilter(longChain);
    EXPECT_EQ(rs->RecordCount(), 4);
}

TEST_F(FilterTest, SettingAndClearingMoveToTheFirstRowAndReadBack) {
    rs->MoveLast();
    rs->SetFilter("[Num] >= 10");
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_EQ(rs->Get("Name"), Value("Alice"));
    EXPECT_TRUE(rs->HasCriteriaFilter());
    EXPECT_EQ(rs->FilterValue(), Value("[Num] >= 10"));
    rs->MoveLast();
    rs->ClearFilter();
    EXPECT_EQ(rs->AbsolutePosition(), 1);
    EXPECT_EQ(rs->RecordCount(), 5);
    EXPECT_EQ(rs->FilterValue(), Value(0));

    rs->SetFilter(Value("[Num] = 30"));
    EXPECT_EQ(Texts(rs, "Name"), (Names{"Dave"}));
    rs->SetFilter(Value(0));
    EXPECT_FALSE(rs->HasFilter());
    rs->SetFilter("[Num] = 30");
    rs->SetFilter("");
    EXPECT_FALSE(rs->HasFilter());
    EXPECT_EQ(ErrorOf([&] { rs->SetFilter(Value(1)); }), err::FeatureNotAvailable);

    rs->SetFilter("[Num] = 99");
    EXPECT_TRUE(rs->IsBOF());
    EXPECT_TRUE(rs->IsEOF());

    // a bookmark filter keeps the sort order and reads as 0
    rs->SetSort("Num DESC");
    rs->SetFilter(std::vector<Bookmark>{1, 5, 4, 99, 1});  // unknown and repeated marks ignored
    EXPECT_EQ(Texts(rs, "Name"), (Names{"Dave", "Alice", "alice smith"}));
    EXPECT_TRUE(rs->HasFilter());
    EXPECT_FALSE(rs->HasCriteriaFilter());
    EXPECT_EQ(rs->FilterValue(), Value(0));
}

TEST_F(FilterTest, FindWalksForwardAndBackwardFromTheCursor) {
    rs->MoveFirst();
    EXPECT_TRUE(rs->Find("[Name] LIKE 'a*'"));
    EXPECT_EQ(rs->Get("Name"), Value("Alice"));  // the current row counts
    EXPECT_TRUE(rs->Find("[Name] LIKE 'a*'", 1));
    EXPECT_EQ(rs->Get("Name"), Value("alice smith"));
    EXPECT_FALSE(rs->Find("[Name] LIKE 'a*'", 1));
    EXPECT_TRUE(rs->IsEOF());

    rs->MoveLast();
    EXPECT_TRUE(rs->Find("[Num] < 25", 0, SearchDirection::Backward));
    EXPECT_EQ(rs->Get("Name"), Value("alice smith"));
    EXPECT_TRUE(rs->Find("[Num] < 25", 1, SearchDirection::Backward));
    EXPECT_EQ(rs->Get("Name"), Value("bob"));
    EXPECT_FALSE(rs->Find("[Num] = 99", 0, SearchDirection::Backward));
    EXPECT_TRUE(rs->IsBOF());

    EXPECT_TRUE(rs->Find("[Num] = 30", 0, SearchDirection::Forward, Bookmark{2}));
    EXPECT_EQ(rs->GetBookmark(), 5);
    EXPECT_EQ(ErrorOf([&] { rs->Find("[Num] = 1 AND [Num] = 2"); }), err::BadFilter);
    EXPECT_EQ(ErrorOf([&] { rs->Find("([Num] = 1)"); }), err::BadFilter);
}

// Enough rows that finds by "=" are answered from the index; the answers must match a scan.
TEST(FindIndexTest, IndexedFindsAgreeWithAScanThroughEdits) {
    auto rs = PeopleRs();
    for (int i = 0; i < 300; ++i) {
        AddPerson(rs, i % 3 ? "Row" : "row", i % 17, Money(i % 5),
                  Value(DateSerial(2024, 1, 1 + i % 9)));
    }
    rs->UpdateBatch();
    auto findAll = [&](const std::string& crit) {
        std::vector<Bookmark> found;
        rs->MoveFirst();
        while (rs->Find(crit)) {
            found.push_back(rs->GetBookmark());
            rs->MoveNext();
            if (rs->IsEOF()) break;
        }
        return found;
    };
    const int num = rs->FieldIndex("Num");
    auto numIs4 = [&] {  // a scan's answer
        std::vector<Bookmark> out;
        for (Bookmark b : rs->VisibleBookmarks()) {
            const Value v = rs->ValueAt(b, num);
            if (!v.isNull() && v.whole() == 4) out.push_back(b);
        }
        return out;
    };
    EXPECT_EQ(findAll("[Num] = 4"), numIs4());
    EXPECT_EQ(findAll("[Name] = 'ROW'").size(), 300u);
    EXPECT_EQ(findAll("[Amt] = 3").size(), 60u);
    EXPECT_EQ(findAll("[Dt] = #2024-01-03#").size(), 34u);

    // edits and additions after the index was built
    rs->SetAbsolutePosition(10);
    rs->Set("Num", 4);
    rs->Update();
    rs->SetAbsolutePosition(5);  // row 5 had Num 4
    rs->Set("Num", Value::Null());
    rs->Update();
    AddPerson(rs, "late", 4);
    EXPECT_EQ(findAll("[Num] = 4"), numIs4());
    rs->CancelBatch();
    EXPECT_EQ(findAll("[Num] = 4"), numIs4());

    // backward from the end
    rs->MoveLast();
    ASSERT_TRUE(rs->Find("[Num] = 4", 0, SearchDirection::Backward));
    EXPECT_EQ(rs->GetBookmark(), numIs4().back());
}

// Enough rows that filters with "=" are answered from the store's indexes; every filter must
// keep giving what a scan gives through edits, additions (beyond what the index covers),
// deletions and cancelled batches, on text, whole-number, currency and date fields.
TEST(FilterIndexTest, IndexedFiltersAgreeWithAScanThroughChanges) {
    auto rs = PeopleRs();
    auto add = [&](int i) {
        AddPerson(rs, i % 3 ? "Row" + std::to_string(i % 7) : "ROW" + std::to_string(i % 7),
                  i % 11 ? Value(i % 13) : Value::Null(), Money(i % 5),
                  Value(DateSerial(2024, 1, 1 + i % 9)));
    };
    for (int i = 0; i < 5000; ++i) add(i);
    rs->UpdateBatch();
    const int name = rs->FieldIndex("Name"), num = rs->FieldIndex("Num");
    const int amt = rs->FieldIndex("Amt"), dt = rs->FieldIndex("Dt");
    // the visible rows, in load order, whose cells equal the given values (nullptr: any)
    auto scan = [&](const Value* n, const Value* k, const Value* money, const Value* day) {
        auto all = rs->Clone();
        std::vector<Bookmark> out;
        auto same = [&](Bookmark b, int field, const Value* want) {
            if (!want) return true;
            const Value v = all->ValueAt(b, field);
            return !v.isNull() && CompareForSort(v, *want) == 0;
        };
        for (Bookmark b : all->VisibleBookmarks()) {
            if (same(b, name, n) && same(b, num, k) && same(b, amt, money) && same(b, dt, day)) {
                out.push_back(b);
            }
        }
        return out;
    };
    auto check = [&] {
        const std::tuple<const char*, int, int, int> cases[] = {
            {"row3", 3, 3, 4}, {"ROW1", 8, 3, 1}, {"Row5", 12, 2, 3}};
        for (const auto& [n, k, money, day] : cases) {
            const Value vn(n), vk(k), vm = Money(money), vd(DateSerial(2024, 1, day));
            const std::string all = "[Name] = '" + std::string(n) +
                                    "' AND [Num] = " + std::to_string(k) +
                                    " AND [Amt] = " + std::to_string(money) +
                                    " AND [Dt] = #2024-01-0" + std::to_string(day) + "#";
            SCOPED_TRACE(all);
            rs->SetFilter(all);
            const auto want = scan(&vn, &vk, &vm, &vd);
            EXPECT_FALSE(want.empty());
            EXPECT_EQ(rs->VisibleBookmarks(), want);
            rs->SetFilter("[Dt] = #2024-01-0" + std::to_string(day) +
                          "# AND [Amt] = " + std::to_string(money));
            EXPECT_EQ(rs->VisibleBookmarks(), scan(nullptr, nullptr, &vm, &vd));
            rs->SetFilter("[Num] = " + std::to_string(k) + " OR [Name] = '" + n + "'");
            EXPECT_EQ(rs->RecordCount(),
                      static_cast<long>(scan(&vn, nullptr, nullptr, nullptr).size() +
                                        scan(nullptr, &vk, nullptr, nullptr).size() -
                                        scan(&vn, &vk, nullptr, nullptr).size()));
        }
        rs->ClearFilter();
    };
    check();
    for (int i = 5000; i < 5100; ++i) add(i);  // beyond the rows the indexes were built over
    check();
    // edits: row 3 becomes a match of the first case, row 2 loses its number
    rs->SetAbsolutePosition(3);
    rs->Update({"Name", "Num", "Amt", "Dt"},
               {Value("ROW3"), Value(3), Money(3), Value(DateSerial(2024, 1, 4))});
    rs->SetAbsolutePosition(2);
    rs->Update({"Num"}, {Value::Null()});
    rs->SetAbsolutePosition(100);
    rs->Delete();
    check();
    rs->CancelBatch();
    check();
    for (int i = 5100; i < 9300; ++i) add(i);  // enough for the indexes to be built again
    rs->UpdateBatch();
    check();
}

}  // namespace
}  // namespace records::testing
