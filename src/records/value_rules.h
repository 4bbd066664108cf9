#pragma once
// The value rules the screen's procedures are written in terms of (conversions, comparisons,
// formats). One module, used everywhere. Failures throw records::Error with fixed numbers
// (6 overflow, 13 type mismatch, 94 invalid use of Null).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/value.h"

namespace records {

// True when the whole text reads as a number: blanks around it, a sign (leading, trailing or
// parentheses), "$", thousands commas, one decimal point, an exponent (E or D). Empty is numeric,
// Null and "" are not; Booleans and numbers are.
bool IsNumeric(const Value& v);

// The leading number of a text (blanks anywhere skipped, "&H"/"&O" prefixes read, "." only),
// 0 when there is none. Null is error 94.
double Val(std::string_view text);
double Val(const Value& v);
inline double Val(const std::string& text) {
    return Val(std::string_view(text));
}
inline double Val(const char* text) {
    return Val(std::string_view(text));
}

// Conversions with banker's rounding. Text goes through IsNumeric's reading. Null is 94,
// unreadable text 13, out of range 6. Empty gives 0.
Currency CCur(const Value& v);
std::int64_t CLng(const Value& v);  // range of a 32-bit whole number
double CDbl(const Value& v);
bool CBool(const Value& v);
Date CDate(const Value& v);  // dates, numbers as serials, texts "mm/dd/yyyy" or "yyyy-mm-dd"

// Currency arithmetic that overflows as error 6.
Currency AddCurrency(Currency a, Currency b);
double CurrencyToDouble(Currency c);
Currency CurrencyFromUnits(std::int64_t wholeUnits, std::int64_t tenThousandths = 0);

// "The text of a value": the value joined to the empty text. Null and Empty give "".
// Numbers print without a leading blank; Booleans as "True"/"False"; dates as "mm/dd/yyyy"
// (with the time when there is one); currency without trailing zeros.
std::string TextOf(const Value& v);

// Trim blanks (spaces only) at both ends; Trim of Null is Null.
std::string Trim(std::string_view s);
Value Trim(const Value& v);
inline std::string Trim(const std::string& s) {
    return Trim(std::string_view(s));
}
inline std::string Trim(const char* s) {
    return Trim(std::string_view(s));
}

// Date serials.
Date DateSerial(int year, int month, int day);
struct DateParts {
    int year = 1899, month = 12, day = 30, hour = 0, minute = 0, second = 0;
};
DateParts SplitDate(Date d);
// Parses "mm/dd/yyyy" (also m/d/yyyy) and "yyyy-mm-dd"; nullopt when not a date.
std::optional<Date> ParseDate(std::string_view text);

// Fixed formats "mm/dd/yyyy" and "MM/DD/YYYY" (both give 03/07/2024), also "yyyy-mm-dd".
std::string FormatDate(Date d, std::string_view pattern);

// Whole number zero-filled to `digits`, as the grids show receivable numbers.
std::string ZeroFill(std::int64_t n, int digits);

// The screen's "=" between two values: texts compare exactly, numbers by value, Null equals
// nothing (false).
bool ValuesEqual(const Value& a, const Value& b);

// Ordering used by filters, finds and sorts: Null first, texts without regard to letter case,
// numbers, currency and dates by value across kinds. Returns <0, 0, >0.
int CompareForSort(const Value& a, const Value& b);

}  // namespace records
