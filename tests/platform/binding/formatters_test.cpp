// The value formatters.
#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

#include "platform/binding/display_formats.h"
#include "platform/binding/formatters.h"
#include "records/errors.h"
#include "records/value_rules.h"
#include "value_printer.h"

namespace platform {
namespace {

using records::Value;

Value formatted(const DataFormat& f, Value v) {
    f.Format(v);
    return v;
}
Value unformatted(const DataFormat& f, Value v) {
    f.UnFormat(v);
    return v;
}
const QLocale kUs(QLocale::English, QLocale::UnitedStates);

TEST(Text1sp, TrimsFirstThenTurnsLineBreaksAndRunsOfBlanksIntoOneBlank) {
    // the trailing break outlives the trim; tabs are not blanks here
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {{"  a\r\n\r\nb   c \r\n", "a b c "},
        {"\r\nx", " x"}, {"plain", "plain"}, {"   ", ""}, {"a\tb", "a\tb"},
        {"one\rtwo\nthree", "one two three"}, {"", ""}};
    // clang-format on
    const DataFormat f = makeText1spFormat();
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(text1sp(in), out) << in;
        EXPECT_EQ(formatted(f, Value(in)), Value(out)) << in;
        EXPECT_EQ(unformatted(f, Value(in)), Value(out)) << in;
    }
}

TEST(PhoneFormat, EntryAndMaskFormats) {
    const DataFormat entry = makePhoneFormat();
    EXPECT_EQ(formatted(entry, Value()), Value(""));
    EXPECT_EQ(formatted(entry, Value::Null()), Value(""));
    EXPECT_EQ(formatted(entry, Value("  5551234567 ")), Value("5551234567"));
    EXPECT_EQ(unformatted(entry, Value(" 5551234 ")), Value("5551234"));

    const DataFormat f = makePhoneMaskFormat();
    EXPECT_EQ(formatted(f, Value(" 5551234567 ")), Value("(555) 123 - 4567"));
    EXPECT_EQ(formatted(f, Value::Null()), Value(""));
    EXPECT_EQ(formatted(f, Value("555-CALL")), Value("555-CALL"));  // no number: shown as it is
    for (const char* number : {"5551234567", "5551234"}) {          // both forms round trip
        EXPECT_EQ(unformatted(f, formatted(f, Value(number))), Value(number));
    }

    // the rest goes where the first # stands
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {{"5551234567", "(555) 123 - 4567"},
        {"  5551234567 ", "(555) 123 - 4567"}, {"5551234", "      555 - 1234"},
        {"1234", "       - 1234"}, {"", "       - "}, {"555-CALL", "      555- - CALL"},
        {"15551234567", "      1555123 - 4567"}};
    // clang-format on
    for (const auto& [phone, shown] : cases) EXPECT_EQ(formatPhone(phone), shown) << phone;
    EXPECT_EQ(
        fillPlaceholders(QStringLiteral("123456789012"), QString::fromLatin1(kPhonePatternTen)),
        QStringLiteral("(12345) 678 - 9012"));
}

TEST(DateFormat, FixedFormShowsDatesAndNullAsEmptyTextAndReadsBack) {
    const DataFormat f = makeDateFormat("mm/dd/yyyy", kUs);
    const Value march5(records::DateSerial(2004, 3, 5));
    EXPECT_EQ(formatted(f, march5), Value("03/05/2004"));
    EXPECT_EQ(formatted(f, Value::Null()), Value(""));
    EXPECT_EQ(formatted(f, Value("2004-03-05")), Value("03/05/2004"));

    EXPECT_EQ(unformatted(f, Value("03/05/2004")), march5);
    EXPECT_EQ(unformatted(f, Value("  ")), Value::Null());
    EXPECT_EQ(unformatted(f, Value::Null()), Value::Null());
    EXPECT_EQ(unformatted(f, march5), march5);  // a picker hands a date already
    try {
        unformatted(f, Value("02/30/2004"));
        FAIL() << "an impossible date was accepted";
    } catch (const records::Error& e) {
        EXPECT_EQ(e.Number(), records::err::TypeMismatch);
    }
    EXPECT_THROW(DataFormat("dd-mmm"), records::Error);  // an unknown named format
}

TEST(CurrencyFormat, ShowsTwoDecimalsAndReadsTheFormBack) {
    const DataFormat f = makeCurrencyFormat(kUs);
    EXPECT_EQ(formatted(f, Value(records::Currency{12345000})), Value("$1,234.50"));
    EXPECT_EQ(formatted(f, Value(-5)), Value("($5.00)"));
    EXPECT_EQ(formatted(f, Value(records::Currency{1050})), Value("$0.11"));  // half away from 0
    EXPECT_EQ(formatted(f, Value::Null()), Value(""));
    EXPECT_EQ(formatted(f, Value("abc")), Value("abc"));

    EXPECT_EQ(unformatted(f, Value("$1,234.50")), Value(records::Currency{12345000}));
    EXPECT_EQ(unformatted(f, Value("($5.00)")), Value(records::Currency{-50000}));
    EXPECT_EQ(unformatted(f, Value("")), Value::Null());
    EXPECT_EQ(unformatted(f, Value("abc")), Value("abc"));  // left for the field to refuse
}

TEST(DataFormatOrder, FormatHandlerSeesTheNamedFormsResultAndUnFormatHandlerRunsFirst) {
    DataFormat f("mm/dd/yyyy", kUs);
    f.setFormatHandler([](Value& v) { v = Value("[" + records::TextOf(v) + "]"); });
    f.setUnFormatHandler([](Value& v) {
        std::string t = records::TextOf(v);
        v = Value(t.substr(1, t.size() - 2));
    });
    const Value shown = formatted(f, Value(records::DateSerial(2024, 3, 7)));
    EXPECT_EQ(shown, Value("[03/07/2024]"));
    EXPECT_EQ(unformatted(f, shown), Value(records::DateSerial(2024, 3, 7)));
}

}  // namespace
}  // namespace platform
