// The text side of the value rules: the text of a value, Trim, date serials and the formats.
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>

#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace records {

namespace {

// Range of date serials: 1 Jan 100 .. 31 Dec 9999.
constexpr double kFirstSerial = -657434.0;
constexpr double kLastSerialEnd = 2958466.0;
constexpr long long kEpochDays = 25569;  // days from 1899-12-30 to 1970-01-01

[[noreturn]] void ThrowOverflow() {
    throw Error(err::Overflow, "Overflow");
}

long long FloorDiv(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

namespace chr = std::chrono;

// A day of the proleptic Gregorian calendar (not necessarily a valid one).
chr::year_month_day Civil(long long y, int m, int d) {
    return {chr::year{static_cast<int>(y)}, chr::month{static_cast<unsigned>(m)},
            chr::day{static_cast<unsigned>(d)}};
}

// Days since 1970-01-01.
long long DaysFromCivil(long long y, int m, int d) {
    return chr::sys_days{Civil(y, m, d)}.time_since_epoch().count();
}

void CivilFromDays(long long z, int& y, int& m, int& d) {
    const chr::year_month_day day{chr::sys_days{chr::days{z}}};
    y = static_cast<int>(day.year());
    m = static_cast<int>(static_cast<unsigned>(day.month()));
    d = static_cast<int>(static_cast<unsigned>(day.day()));
}

// A day index (0 = 1899-12-30) and a time of day; negative days carry a positive time.
Date MakeDate(long long dayIndex, int seconds) {
    const double frac = seconds / 86400.0;
    const double serial = static_cast<double>(dayIndex) + (dayIndex < 0 ? -frac : frac);
    if (!(serial >= kFirstSerial && serial < kLastSerialEnd)) ThrowOverflow();
    return Date{serial};
}

std::string Pad(long long n, int width) {
    std::string s = std::to_string(n < 0 ? -n : n);
    if (static_cast<int>(s.size()) < width)
        s.insert(0, static_cast<std::size_t>(width) - s.size(), '0');
    return n < 0 ? "-" + s : s;
}

// Formats d with a pattern of runs of d, m and y in either letter case; anything else is literal.
std::string FormatWith(Date date, std::string_view pattern) {
    const DateParts p = SplitDate(date);
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char c = pattern[i];
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) ++run;
        const char letter = static_cast<char>(std::tolower(c));
        if (letter == 'd' && run <= 2) {
            out += Pad(p.day, static_cast<int>(run));
        } else if (letter == 'm' && run <= 2) {
            out += Pad(p.month, static_cast<int>(run));
        } else if (letter == 'y' && (run == 2 || run == 4)) {
            out += run == 2 ? Pad(p.year % 100, 2) : Pad(p.year, 4);
        } else {
            out.append(pattern.substr(i, run));
        }
        i += run;
    }
    return out;
}

std::string TimeText(const DateParts& p) {
    const int h12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
    return std::to_string(h12) + ":" + Pad(p.minute, 2) + ":" + Pad(p.second, 2) +
           (p.hour < 12 ? " AM" : " PM");
}

std::string DoubleText(double x) {
    if (x == 0.0) return "0";
    if (std::isnan(x)) return "NaN";
    if (std::isinf(x)) return x < 0 ? "-Infinity" : "Infinity";
    char buf[400];
    const double mag = std::fabs(x);
    // ordinary magnitudes print plainly; very large or small ones with an exponent ("1E+20")
    const bool plain = mag >= 1e-5 && mag < 1e15;
    const auto r = std::to_chars(buf, buf + sizeof buf, x,
                                 plain ? std::chars_format::fixed : std::chars_format::scientific);
    std::string s(buf, static_cast<std::size_t>(r.ptr - buf));
    for (char& c : s) {
        if (c == 'e') c = 'E';
    }
    return s;
}

std::string CurrencyText(Currency c) {
    const bool negative = c.units < 0;
    const std::uint64_t mag =
        negative ? 0 - static_cast<std::uint64_t>(c.units) : static_cast<std::uint64_t>(c.units);
    std::string s = std::to_string(mag / 10000);
    std::string frac = Pad(static_cast<long long>(mag % 10000), 4);
    while (!frac.empty() && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) s += "." + frac;
    return negative ? "-" + s : s;
}

bool ReadInt(std::string_view s, std::size_t& i, int minDigits, int maxDigits, int& out) {
    int n = 0, count = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9' && count < maxDigits) {
        n = n * 10 + (s[i++] - '0');
        ++count;
    }
    out = n;
    return count >= minDigits && !(i < s.size() && s[i] >= '0' && s[i] <= '9');
}

bool Expect(std::string_view s, std::size_t& i, char c) {
    if (i < s.size() && s[i] == c) {
        ++i;
        return true;
    }
    return false;
}

// " h:mm[:ss][ AM|PM]" after a date; seconds of the day, or -1 when malformed.
int ReadTime(std::string_view s, std::size_t i) {
    int h = 0, mi = 0, sec = 0;
    if (!ReadInt(s, i, 1, 2, h) || !Expect(s, i, ':') || !ReadInt(s, i, 2, 2, mi)) return -1;
    if (Expect(s, i, ':') && !ReadInt(s, i, 2, 2, sec)) return -1;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size()) {
        const std::string rest = ToUpperAscii(s.substr(i));
        if (rest != "AM" && rest != "PM") return -1;
        if (h < 1 || h > 12) return -1;
        h = h % 12 + (rest == "PM" ? 12 : 0);
    }
    if (h > 23 || mi > 59 || sec > 59) return -1;
    return h * 3600 + mi * 60 + sec;
}

}  // namespace

std::string TextOf(const Value& v) {
    switch (v.type()) {
        case Value::Type::Empty:
        case Value::Type::Null:
            return {};
        case Value::Type::Boolean:
            return v.boolean() ? "True" : "False";
        case Value::Type::Long:
            return std::to_string(v.whole());
        case Value::Type::Double:
            return DoubleText(v.real());
        case Value::Type::Currency:
            return CurrencyText(v.currency());
        case Value::Type::Date: {
            const DateParts p = SplitDate(v.date());
            std::string s = FormatDate(v.date(), "mm/dd/yyyy");
            if (p.hour != 0 || p.minute != 0 || p.second != 0) s += " " + TimeText(p);
            return s;
        }
        case Value::Type::Text:
            return v.text();
        case Value::Type::Bytes:
            return std::string(v.bytes().begin(), v.bytes().end());
    }
    return {};
}

std::string Trim(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(' ') - first + 1));
}

Value Trim(const Value& v) {
    if (v.isNull()) return Value::Null();
    return Value(Trim(TextOf(v)));
}

Date DateSerial(int year, int month, int day) {
    // months and days out of range roll over into the next or previous year and month
    const long long m0 = static_cast<long long>(month) - 1;
    const long long y = year + FloorDiv(m0, 12);
    const int m = static_cast<int>(m0 - FloorDiv(m0, 12) * 12) + 1;
    if (y < 100 || y > 9999) ThrowOverflow();
    return MakeDate(DaysFromCivil(y, m, 1) + kEpochDays + (static_cast<long long>(day) - 1), 0);
}

DateParts SplitDate(Date d) {
    if (!(d.serial >= kFirstSerial && d.serial < kLastSerialEnd)) ThrowOverflow();
    auto day = static_cast<long long>(std::trunc(d.serial));
    auto seconds = static_cast<long long>(
        std::llround(std::fabs(d.serial - static_cast<double>(day)) * 86400.0));
    if (seconds >= 86400) {  // rounds up to the next midnight
        seconds = 0;
        day += 1;
    }
    DateParts p;
    CivilFromDays(day - kEpochDays, p.year, p.month, p.day);
    p.hour = static_cast<int>(seconds / 3600);
    p.minute = static_cast<int>(seconds / 60 % 60);
    p.second = static_cast<int>(seconds % 60);
    return p;
}

std::optional<Date> ParseDate(std::string_view text) {
    const std::string t = Trim(text);
    const std::string_view s(t);
    std::size_t i = 0;
    int y = 0, m = 0, d = 0;
    if (s.size() >= 5 && s[4] == '-') {
        if (!ReadInt(s, i, 4, 4, y) || !Expect(s, i, '-') || !ReadInt(s, i, 1, 2, m) ||
            !Expect(s, i, '-') || !ReadInt(s, i, 1, 2, d)) {
            return std::nullopt;
        }
    } else if (!ReadInt(s, i, 1, 2, m) || !Expect(s, i, '/') || !ReadInt(s, i, 1, 2, d) ||
               !Expect(s, i, '/') || !ReadInt(s, i, 4, 4, y)) {
        return std::nullopt;
    }
    if (y < 100 || !Civil(y, m, d).ok()) return std::nullopt;
    int seconds = 0;
    if (i < s.size()) {
        if (s[i] != ' ') return std::nullopt;
        while (i < s.size() && s[i] == ' ') ++i;
        seconds = ReadTime(s, i);
        if (seconds < 0) return std::nullopt;
    }
    return MakeDate(DaysFromCivil(y, m, d) + kEpochDays, seconds);
}

std::string FormatDate(Date d, std::string_view pattern) {
    return FormatWith(d, pattern);
}

std::string ZeroFill(std::int64_t n, int digits) {
    const std::uint64_t mag =
        n < 0 ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    std::string s = std::to_string(mag);
    if (static_cast<int>(s.size()) < digits)
        s.insert(0, static_cast<std::size_t>(digits) - s.size(), '0');
    return n < 0 ? "-" + s : s;
}

}  // namespace records
