#include "records/value_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "records/errors.h"
#include "recordset_fixture.h"

namespace records {
namespace {

using testing::ErrorOf;
constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();

TEST(ValueRules, IsNumericReadsEveryNumberForm) {
    for (const char* text : {" 12", "12 ", "1.5", "-3", "+3", "1,000", "$12", "$-1,234.50", "1e3",
                             "1D3", "1E-2", "(5)", "12-", ".5", "5.", "&H1F", "&O17", "1e-400"}) {
        EXPECT_TRUE(IsNumeric(Value(text))) << '"' << text << '"';
    }
    for (const char* text : {"", " ", "abc", "12a", "45 Help", ".", "1e", "1.2.3", "(5", "-5-",
                             "(-5)", ",5", "&HZZ", "1e400", "--5", "$"}) {
        EXPECT_FALSE(IsNumeric(Value(text))) << '"' << text << '"';
    }
    for (const Value& v : {Value(), Value(true), Value(Currency{5})}) EXPECT_TRUE(IsNumeric(v));
    for (const Value& v : {Value::Null(), Value(DateSerial(2024, 3, 7)), Value(Bytes{1, 2})}) {
        EXPECT_FALSE(IsNumeric(v));
    }
}

// CDbl reads the whole text as a number; Val reads the leading number and stops.
TEST(ValueRules, NumbersFromTexts) {
    struct Case {
        const char* text;
        double cdbl, val;  // NAN: CDbl is not asked
    };
    // clang-format off
    const Case cases[] = {
        {" 12", 12, 12}, {"12-", -12, 12}, {"(5)", -5, 0}, {"1,000", 1000, 1}, {"$12", 12, 0},
        {"1D3", 1000, 1000}, {"0.05", 0.05, 0.05}, {"&H1F", 31, 31}, {"&HFFFF", -1, -1},
        {"&H10000", 65536, 65536}, {"$-1,234.50", -1234.5, 0}, {" 2 45 7", NAN, 2457},
        {" 1615 198th Street", NAN, 1615198}, {"&O10", NAN, 8}, {"&H", NAN, 0}, {"", NAN, 0},
        {"abc", NAN, 0}, {".", NAN, 0}, {"1.2.3", NAN, 1.2}, {"-3.5x", NAN, -3.5},
        {"1e3", NAN, 1000}, {"1e", NAN, 1}, {"2D2", NAN, 200}, {"50%", NAN, 50}, {"- 4", NAN, -4},
        {".5", NAN, 0.5}};
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (!std::isnan(c.cdbl)) {
            EXPECT_EQ(CDbl(Value(c.text)), c.cdbl);
        }
        EXPECT_EQ(Val(c.text), c.val);
    }
    EXPECT_EQ(Val(Value(12.5)), 12.5);
    EXPECT_EQ(ErrorOf([] { Val(Value::Null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(ErrorOf([] { Val("1e999"); }), err::Overflow);
}

TEST(ValueRules, WholeNumbersRoundHalfToEven) {
    struct Case {
        Value in;
        std::int64_t out;
    };
    // clang-format off
    const Case cases[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {-3.5, -4}, {2.4999, 2}, {"2.5", 2}, {" 7 ", 7},
        {Currency{25000}, 2}, {Currency{35000}, 4}, {Currency{-25000}, -2}, {Currency{-25001}, -3},
        {true, -1}, {Value(), 0}, {2147483647.4, 2147483647}, {-2147483648.0, -2147483648LL}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(CLng(c.in), c.out) << TextOf(c.in);
}

TEST(ValueRules, ConversionErrorsCarryTheirFixedNumbers) {
    EXPECT_EQ(ErrorOf([] { CLng(Value(2147483647.5)); }), err::Overflow);
    EXPECT_EQ(ErrorOf([] { CLng(Value(static_cast<long long>(1) << 31)); }), err::Overflow);
    EXPECT_EQ(ErrorOf([] { CLng(Value("abc")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CLng(Value("")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CLng(Value::Null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(ErrorOf([] { CCur(Value::Null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(ErrorOf([] { CCur(Value("12a")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CCur(Value(1e16)); }), err::Overflow);
    EXPECT_EQ(ErrorOf([] { CCur(Value("922337203685477.5808")); }), err::Overflow);
    EXPECT_EQ(ErrorOf([] { CDbl(Value(Bytes{1})); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CBool(Value("maybe")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CBool(Value::Null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(ErrorOf([] { CDate(Value("13/01/2024")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CDate(Value(1e9)); }), err::Overflow);
    EXPECT_EQ(ErrorOf([&] { AddCurrency(Currency{kMax}, Currency{1}); }), err::Overflow);
    EXPECT_EQ(ErrorOf([] { CurrencyFromUnits(std::int64_t{1} << 60); }), err::Overflow);
}

TEST(ValueRules, CurrencyKeepsFourDecimalsExactly) {
    struct Case {
        Value in;
        std::int64_t units;
    };
    // clang-format off
    const Case cases[] = {
        {1086.429176, 10864292}, {"1086.429176", 10864292}, {"0.00005", 0} /* tie: to even */,
        {"0.00015", 2}, {"0.000250001", 3}, {"-0.00025", -2}, {0.1, 1000}, {"$1,234.56", 12345600},
        {"(12.5)", -125000}, {"1e-9", 0}, {"922337203685477.5807", kMax},
        {"-922337203685477.5808", kMin}, {12, 120000}, {true, -10000}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(CCur(c.in).units, c.units) << TextOf(c.in);
    EXPECT_EQ(AddCurrency(Currency{15}, Currency{-20}).units, -5);
    EXPECT_EQ(CurrencyFromUnits(12, 5000).units, 125000);
    EXPECT_EQ(CurrencyToDouble(Currency{10864292}), 1086.4292);
}

TEST(ValueRules, BooleansFromValues) {
    for (const Value& v : {Value(" true "), Value("0.1"), Value(Currency{1})}) {
        EXPECT_TRUE(CBool(v)) << TextOf(v);
    }
    for (const Value& v : {Value("FALSE"), Value("0"), Value()}) EXPECT_FALSE(CBool(v));
}

TEST(ValueRules, TextOfEachKindAndTrim) {
    struct Case {
        Value in;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {Value(), ""}, {Value::Null(), ""}, {true, "True"}, {false, "False"}, {-42, "-42"},
        {Currency{125000}, "12.5"}, {Currency{10864292}, "1086.4292"}, {Currency{-5000}, "-0.5"},
        {Currency{kMin}, "-922337203685477.5808"}, {Currency{0}, "0"}, {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"}, {123456789.125, "123456789.125"}, {-0.0, "0"},
        {1e20, "1E+20"}, {1.5e-7, "1.5E-07"}, {DateSerial(2024, 3, 7), "03/07/2024"},
        {Date{45358.75}, "03/07/2024 6:00:00 PM"}, {Date{-1.25}, "12/29/1899 6:00:00 AM"},
        {"as is ", "as is "}};
    // clang-format on
    for (const auto& c : cases) EXPECT_EQ(TextOf(c.in), c.text);

    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");  // spaces only
    EXPECT_EQ(Trim("   "), "");
    EXPECT_TRUE(Trim(Value::Null()).isNull());
    EXPECT_EQ(Trim(Value(" 12 ")), Value("12"));
    EXPECT_EQ(Trim(Value()), Value(""));
}

TEST(ValueRules, DateSerialsAroundTheEpoch) {
    EXPECT_EQ(DateSerial(1899, 12, 30).serial, 0.0);
    EXPECT_EQ(DateSerial(1899, 12, 31).serial, 1.0);
    EXPECT_EQ(DateSerial(1900, 1, 1).serial, 2.0);
    EXPECT_EQ(DateSerial(2024, 3, 7).serial, 45358.0);
    EXPECT_EQ(DateSerial(100, 1, 1).serial, -657434.0);
    EXPECT_EQ(DateSerial(9999, 12, 31).serial, 2958465.0);
    // months and days roll over
    EXPECT_EQ(DateSerial(2023, 13, 1).serial, DateSerial(2024, 1, 1).serial);
    EXPECT_EQ(DateSerial(2024, 3, 0).serial, DateSerial(2024, 2, 29).serial);
    EXPECT_EQ(DateSerial(2024, 0, 1).serial, DateSerial(2023, 12, 1).serial);
    EXPECT_EQ(ErrorOf([] { DateSerial(10000, 1, 1); }), err::Overflow);

    auto parts = [](double serial) {
        const DateParts p = SplitDate(Date{serial});
        return std::vector<int>{p.year, p.month, p.day, p.hour};
    };
    EXPECT_EQ(parts(-1.25), (std::vector<int>{1899, 12, 29, 6}));  // a positive time of day
    EXPECT_EQ(parts(DateSerial(2000, 2, 29).serial + 0.5), (std::vector<int>{2000, 2, 29, 12}));
    EXPECT_EQ(parts(0.9999999999), (std::vector<int>{1899, 12, 31, 0}));  // next midnight
}

TEST(ValueRules, ParseDateAcceptsOnlyRealDatesAndFormats) {
    EXPECT_EQ(ParseDate("03/07/2024")->serial, 45358.0);
    EXPECT_EQ(ParseDate(" 3/7/2024 ")->serial, 45358.0);
    EXPECT_EQ(ParseDate("2024-03-07")->serial, 45358.0);
    EXPECT_EQ(ParseDate("03/07/2024 6:00:00 PM")->serial, 45358.75);
    EXPECT_EQ(ParseDate("03/07/2024 18:00")->serial, 45358.75);
    EXPECT_EQ(ParseDate("12/29/1899 6:00:00 AM")->serial, -1.25);
    EXPECT_EQ(ParseDate("02/29/2024")->serial, DateSerial(2024, 2, 29).serial);
    for (const char* bad :
         {"", "02/30/2024", "02/29/2023", "02/29/1900", "13/01/2024", "3/7/24", "2024-3-7x",
          "03/07/2024 25:00", "03/07/2024 13:00 PM", "03-07-2024", "abc"}) {
        EXPECT_FALSE(ParseDate(bad).has_value()) << bad;
    }
    // the text of a date reads back as the same date
    const Date d{45358.0 + 43201 / 86400.0};
    EXPECT_EQ(CDate(Value(TextOf(Value(d)))).serial, d.serial);

    const Date day = DateSerial(2024, 3, 7);
    EXPECT_EQ(FormatDate(day, "mm/dd/yyyy"), "03/07/2024");
    EXPECT_EQ(FormatDate(day, "MM/DD/YYYY"), "03/07/2024");
    EXPECT_EQ(FormatDate(day, "yyyy-mm-dd"), "2024-03-07");
    EXPECT_EQ(ZeroFill(1234, 7), "0001234");
    EXPECT_EQ(ZeroFill(12345678, 7), "12345678");
    EXPECT_EQ(ZeroFill(-5, 3), "-005");
}

// Each pair both ways round.
TEST(ValueRules, ValuesEqualAndCompareForSort) {
    struct Case {
        Value a, b;
        int result;
    };
    // ValuesEqual: 1 equal, 0 not; the screen's "=" keeps letter case and a text never equals
    // a number
    // clang-format off
    const Case equal[] = {
        {"abc", "abc", 1}, {"abc", "ABC", 0}, {"abc", "abc ", 0}, {5, 5.0, 1},
        {5, Currency{50000}, 1}, {5, Currency{50001}, 0}, {0.1, Currency{1000}, 1},
        {DateSerial(2024, 3, 7), 45358, 1}, {true, -1, 1}, {"5", 5, 0},
        {Value::Null(), Value::Null(), 0}, {Value::Null(), "", 0}, {Value(), "", 1},
        {Value(), 0, 1}, {Value(), Value(), 1}, {Bytes{1, 2}, Bytes{1, 2}, 1},
        {Bytes{1, 2}, Bytes{1, 3}, 0}};
    // CompareForSort's sign: Null first, numbers before texts, texts as texts ignoring case
    const Case order[] = {
        {Value::Null(), Value::Null(), 0}, {Value::Null(), -1e300, -1}, {Value::Null(), "", -1},
        {"abc", "ABD", -1}, {"ABC", "abc", 0}, {"ab", "abc", -1}, {"Z", "a", 1}, {2, 10, -1},
        {"2", "10", 1}, {1e300, "", -1}, {Currency{20001}, 2, 1}, {Currency{-20001}, -2, -1},
        {Currency{-20000}, -2, 0}, {kMax, 9.2233720368547758e18, -1} /* exact */,
        {DateSerial(2024, 3, 7), DateSerial(2024, 3, 8), -1},
        {DateSerial(2024, 3, 7), 45358.5, -1}, {std::nan(""), -1e300, -1}};
    // clang-format on
    for (const auto& c : equal) {
        EXPECT_EQ(ValuesEqual(c.a, c.b), c.result == 1) << TextOf(c.a) << " = " << TextOf(c.b);
        EXPECT_EQ(ValuesEqual(c.b, c.a), c.result == 1) << TextOf(c.b) << " = " << TextOf(c.a);
    }
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : order) {
        EXPECT_EQ(sign(CompareForSort(c.a, c.b)), c.result) << TextOf(c.a) << " vs " << TextOf(c.b);
        EXPECT_EQ(sign(CompareForSort(c.b, c.a)), -c.result)
            << TextOf(c.b) << " vs " << TextOf(c.a);
    }
}

}  // namespace
}  // namespace records
