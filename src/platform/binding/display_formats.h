#pragma once
// How the screen shows values, in one place on QLocale: short dates, amounts, digit patterns and
// phone numbers, for the grids, the dialogs' formatters and the row-formatting handlers alike.
// Tests pin en_US.

#include <string>

#include <QLocale>
#include <QString>

#include "records/value.h"

namespace platform {

// The locale's short date form, with a two-digit year widened to four: court and filing dates
// reach back decades, and "3/7/24" reads ambiguously in a collections file.
QString shortDatePattern(const QLocale& locale = QLocale());

// "Short Date": a date value (or a text that reads as a date) in the short date form; Null and
// Empty give ""; anything else its plain text.
QString formatShortDate(const records::Value& v, const QLocale& locale = QLocale());

// A moment (a date value with its time of day) as the short date and the locale's short time;
// Null and Empty give "".
QString formatShortDateTime(const records::Value& v, const QLocale& locale = QLocale());

// "CURRENCY": a number in the locale's currency form, two decimals, rounded half away from zero
// on the exact amount. Null and Empty give ""; a text that is not a number stays as it is.
QString formatCurrency(const records::Value& v, const QLocale& locale = QLocale());

// Makes the US forms the default where the system has no regional settings (the C locale of a
// bare server or container): otherwise dates would mix the C locale's "15 Aug 2019" with the
// fixed "mm/dd/yyyy" of the record formats, and amounts would show no currency sign.
void useUsFormsWithoutRegionalSettings();

// Digit placeholders: the characters of `text` fill the '#' of the pattern from the right,
// unused placeholders vanish, other characters stay; characters left over go where the first
// placeholder stands.
QString fillPlaceholders(const QString& text, const QString& pattern);

// The phone display patterns.
inline constexpr char kPhonePatternTen[] = "(###) ### - ####";
inline constexpr char kPhonePatternOther[] = "      ### - ####";

// A phone number for display, trimmed: ten characters through kPhonePatternTen, anything else
// through kPhonePatternOther.
std::string formatPhone(const std::string& phone);

}  // namespace platform
