#include "records/value_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "records/errors.h"
#include "recordset_fixture.h"

namespace records {
namespace {

using testing::ErrorOf;

TEST(ValueRules, IsNumericReadsEveryNumberForm) {
    struct Case {
        const char* text;
        bool numeric;
    };
    const Case cases[] = {
        {" 12", true},    {"12 ", true},      {"1.5", true},        {"-3", true},  {"+3", true},
        {"1,000", true},  {"$12", true},      {"$-1,234.50", true}, {"1e3", true}, {"1D3", true},
        {"1E-2", true},   {"(5)", true},      {"12-", true},        {".5", true},  {"5.", true},
        {"&H1F", true},   {"&O17", true},     {"", false},          {" ", false},  {"abc", false},
        {"12a", false},   {"45 Help", false}, {".", false},         {"1e", false}, {"1.2.3", false},
        {"(5", false},    {"-5-", false},     {"(-5)", false},      {",5", false}, {"&HZZ", false},
        {"1e400", false}, {"1e-400", true},   {"--5", false},       {"$", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsNumeric(Value(c.text)), c.numeric) << '"' << c.text << '"';
    }
}

TEST(ValueRules, IsNumericOfNonTextKinds) {
    EXPECT_TRUE(IsNumeric(Value()));  // Empty
    EXPECT_FALSE(IsNumeric(Value::Null()));
    EXPECT_TRUE(IsNumeric(Value(true)));
    EXPECT_TRUE(IsNumeric(Value(Currency{5})));
    EXPECT_FALSE(IsNumeric(Value(DateSerial(2024, 3, 7))));
    EXPECT_FALSE(IsNumeric(Value(Bytes{1, 2})));
}

TEST(ValueRules, NumericTextsConvertToTheirValue) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {{" 12", 12},
                          {"12-", -12},
                          {"(5)", -5},
                          {"1,000", 1000},
                          {"$12", 12},
                          {"1D3", 1000},
                          {"0.05", 0.05},
                          {"&H1F", 31},
                          {"&HFFFF", -1},
                          {"&H10000", 65536},
                          {"$-1,234.50", -1234.5}};
    for (const auto& c : cases) EXPECT_EQ(CDbl(Value(c.text)), c.value) << c.text;
}

TEST(ValueRules, ValReadsTheLeadingNumber) {
    struct Case {
        const char* text;
        double value;
    };
    const Case cases[] = {
        {" 2 45 7", 2457}, {" 1615 198th Street", 1615198},
        {"&HFFFF", -1},    {"&O10", 8},
        {"&H", 0},         {"", 0},
        {"abc", 0},        {".", 0},
        {"1.2.3", 1.2},    {"$12", 0},
        {"1,000", 1},      {"-3.5x", -3.5},
        {"1e3", 1000},     {"1e", 1},
        {"2D2", 200},      {"50%", 50},
        {"- 4", -4},       {".5", 0.5},
    };
    for (const auto& c : cases) EXPECT_EQ(Val(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(Val(Value(12.5)), 12.5);
    EXPECT_EQ(ErrorOf([] { Val(Value::Null()); }), err::InvalidUseOfNull);
    EXPECT_EQ(ErrorOf([] { Val("1e999"); }), err::Overflow);
}

TEST(ValueRules, WholeNumbersRoundHalfToEven) {
    struct Case {
        Value in;
        std::int64_t out;
    };
    const Case cases[] = {{0.5, 0},
                          {1.5, 2},
                          {2.5, 2},
                          {-2.5, -2},
                          {-3.5, -4},
                          {2.4999, 2},
                          {"2.5", 2},
                          {" 7 ", 7},
                          {Currency{25000}, 2},
                          {Currency{35000}, 4},
                          {Currency{-25000}, -2},
                          {Currency{-25001}, -3},
                          {true, -1},
                          {Value(), 0},
                          {2147483647.4, 2147483647},
                          {-2147483648.0, -2147483648LL}};
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
    EXPECT_EQ(ErrorOf([] { CDate(Value("13/01/2024")); }), err::TypeMismatch);
    EXPECT_EQ(ErrorOf([] { CDate(Value(1e9)); }), err::Overflow);
}

TEST(ValueRules, CurrencyKeepsFourDecimalsExactly) {
    struct Case {
        Value in;
        std::int64_t units;
    };
    const Case cases[] = {
        {1086.429176, 10864292},
        {"1086.429176", 10864292},
        {"0.00005", 0},  // tie: to even
        {"0.00015", 2},
        {"0.000150001", 2},
        {"-0.00025", -2},
        {0.1, 1000},
        {"$1,234.56", 12345600},
        {"(12.5)", -125000},
        {"1e-9", 0},
        {"922337203685477.5807", std::numeric_limits<std::int64_t>::max()},
        {"-922337203685477.5808", std::numeric_limits<std::int64_t>::min()},
        {12, 120000},
        {true, -10000},
    };
    for (const auto& c : cases) EXPECT_EQ(CCur(c.in).units, c.units) << TextOf(c.in);
}

TEST(ValueRules, CurrencyArithmeticOverflows) {
    EXPECT_EQ(AddCurrency(Currency{15}, Currency{-20}).units, -5);
    const Currency top{std::numeric_limits<std::int64_t>::max()};
    EXPECT_EQ(ErrorOf([&] { AddCurrency(top, Currency{1}); }), err::Overflow);
    EXPECT_EQ(CurrencyFromUnits(12, 5000).units, 125000);
    EXPECT_EQ(ErrorOf([] { CurrencyFromUnits(std::int64_t{1} << 60); }), err::Overflow);
    EXPECT_EQ(CurrencyToDouble(Currency{10864292}), 1086.4292);
}

TEST(ValueRules, BooleansFromValues) {
    EXPECT_TRUE(CBool(Value(" true ")));
    EXPECT_FALSE(CBool(Value("FALSE")));
    EXPECT_TRUE(CBool(Value("0.1")));
    EXPECT_FALSE(CBool(Value("0")));
    EXPECT_FALSE(CBool(Value()));
    EXPECT_TRUE(CBool(Value(Currency{1})));
    EXPECT_EQ(ErrorOf([] { CBool(Value::Null()); }), err::InvalidUseOfNull);
}

TEST(ValueRules, TextOfEachKind) {
    struct Case {
        Value in;
        const char* text;
    };
    const Case cases[] = {
        {Value(), ""},
        {Value::Null(), ""},
        {true, "True"},
        {false, "False"},
        {-42, "-42"},
        {Currency{125000}, "12.5"},
        {Currency{10864292}, "1086.4292"},
        {Currency{-5000}, "-0.5"},
        {Currency{std::numeric_limits<std::int64_t>::min()}, "-922337203685477.5808"},
        {Currency{0}, "0"},
        {0.1, "0.1"},
        {1.0 / 3.0, "0.3333333333333333"},
        {123456789.125, "123456789.125"},
        {-0.0, "0"},
        {1e20, "1E+20"},
        {1.5e-7, "1.5E-07"},
        {DateSerial(2024, 3, 7), "03/07/2024"},
        {Date{45358.75}, "03/07/2024 6:00:00 PM"},
        {Date{-1.25}, "12/29/1899 6:00:00 AM"},
        {"as is ", "as is "},
    };
    for (const auto& c : cases) EXPECT_EQ(TextOf(c.in), c.text);
}

TEST(ValueRules, TrimRemovesSpacesOnly) {
    EXPECT_EQ(Trim("  a b  "), "a b");
    EXPECT_EQ(Trim("\ta\t"), "\ta\t");
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

    const DateParts p = SplitDate(Date{-1.25});  // the fraction is a positive time of day
    EXPECT_EQ(p.year, 1899);
    EXPECT_EQ(p.month, 12);
    EXPECT_EQ(p.day, 29);
    EXPECT_EQ(p.hour, 6);
    const DateParts leap = SplitDate(Date{DateSerial(2000, 2, 29).serial + 0.5});
    EXPECT_EQ(leap.month * 100 + leap.day, 229);
    EXPECT_EQ(leap.hour, 12);
    const DateParts carry = SplitDate(Date{0.9999999999});  // rounds to next midnight
    EXPECT_EQ(carry.day, 31);
    EXPECT_EQ(carry.hour, 0);
}

TEST(ValueRules, ParseDateAcceptsOnlyRealDates) {
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
}

TEST(ValueRules, DateFormats) {
    const Date d = DateSerial(2024, 3, 7);
    EXPECT_EQ(FormatDate(d, "mm/dd/yyyy"), "03/07/2024");
    EXPECT_EQ(FormatDate(d, "MM/DD/YYYY"), "03/07/2024");
    EXPECT_EQ(FormatDate(d, "yyyy-mm-dd"), "2024-03-07");
}

TEST(ValueRules, ZeroFill) {
    EXPECT_EQ(ZeroFill(1234, 7), "0001234");
    EXPECT_EQ(ZeroFill(12345678, 7), "12345678");
    EXPECT_EQ(ZeroFill(-5, 3), "-005");
}

TEST(ValueRules, ValuesEqualComparesLikeTheScreen) {
    struct Case {
        Value a, b;
        bool equal;
    };
    const Case cases[] = {
        {"abc", "abc", true},
        {"abc", "ABC", false},  // the screen's "=" keeps letter case
        {"abc", "abc ", false},
        {5, 5.0, true},
        {5, Currency{50000}, true},
        {5, Currency{50001}, false},
        {0.1, Currency{1000}, true},
        {DateSerial(2024, 3, 7), 45358, true},
        {true, -1, true},
        {"5", 5, false},  // a text never equals a number
        {Value::Null(), Value::Null(), false},
        {Value::Null(), "", false},
        {Value(), "", true},
        {Value(), 0, true},
        {Value(), Value(), true},
        {Bytes{1, 2}, Bytes{1, 2}, true},
        {Bytes{1, 2}, Bytes{1, 3}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ValuesEqual(c.a, c.b), c.equal) << TextOf(c.a) << " = " << TextOf(c.b);
        EXPECT_EQ(ValuesEqual(c.b, c.a), c.equal) << TextOf(c.b) << " = " << TextOf(c.a);
    }
}

TEST(ValueRules, CompareForSortOrdersAcrossKinds) {
    struct Case {
        Value a, b;
        int sign;
    };
    const Case cases[] = {
        {Value::Null(), Value::Null(), 0},
        {Value::Null(), -1e300, -1},
        {Value::Null(), "", -1},
        {"abc", "ABD", -1},
        {"ABC", "abc", 0},
        {"ab", "abc", -1},
        {"Z", "a", 1},
        {2, 10, -1},
        {"2", "10", 1},   // texts compare as texts
        {1e300, "", -1},  // numbers before texts
        {Currency{20001}, 2, 1},
        {Currency{-20001}, -2, -1},
        {Currency{-20000}, -2, 0},
        {std::numeric_limits<std::int64_t>::max(), 9.2233720368547758e18, -1},  // exact
        {DateSerial(2024, 3, 7), DateSerial(2024, 3, 8), -1},
        {DateSerial(2024, 3, 7), 45358.5, -1},
        {std::nan(""), -1e300, -1},
    };
    auto sign = [](int v) { return (v > 0) - (v < 0); };
    for (const auto& c : cases) {
        EXPECT_EQ(sign(CompareForSort(c.a, c.b)), c.sign) << TextOf(c.a) << " vs " << TextOf(c.b);
        EXPECT_EQ(sign(CompareForSort(c.b, c.a)), -c.sign) << TextOf(c.b) << " vs " << TextOf(c.a);
    }
}

}  // namespace
}  // namespace records
