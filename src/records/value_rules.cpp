#include "records/value_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "records/errors.h"
#include "records/text_util.h"

namespace records {

namespace {

constexpr std::int64_t kScale = Currency::kScale;

[[noreturn]] void ThrowNull() {
    throw Error(err::InvalidUseOfNull, "Invalid use of Null");
}
[[noreturn]] void ThrowMismatch() {
    throw Error(err::TypeMismatch, "Type mismatch");
}
[[noreturn]] void ThrowOverflow() {
    throw Error(err::Overflow, "Overflow");
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A number read from text, kept exact: value = (negative ? -1 : 1) * digits * 10^exponent.
struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, no leading zeros; empty means zero
    long exponent = 0;
};

// The number a text reads as, whole: the value rules' number grammar (blanks around,
// sign leading or trailing or parentheses, "$", thousands commas, E or D exponent, &H / &O).
std::optional<Decimal> ReadNumber(std::string_view s);

void AppendDigit(Decimal& d, char c) {
    if (c == '0' && d.digits.empty()) return;
    d.digits.push_back(c);
}

std::optional<Decimal> ReadRadix(std::string_view s) {
    // "&H1F" / "&O17": whole numbers; values that fit 16 bits read as 16-bit, else 32-bit.
    if (s.size() < 3 || s[0] != '&') return std::nullopt;
    const char kind = AsciiUpper(s[1]);
    const int base = kind == 'H' ? 16 : kind == 'O' ? 8 : 0;
    if (base == 0) return std::nullopt;
    std::uint64_t v = 0;
    for (char c : s.substr(2)) {
        int digit = -1;
        if (IsDigit(c))
            digit = c - '0';
        else if (base == 16 && AsciiUpper(c) >= 'A' && AsciiUpper(c) <= 'F')
            digit = AsciiUpper(c) - 'A' + 10;
        if (digit < 0 || digit >= base) return std::nullopt;
        v = v * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
        if (v > 0xFFFFFFFFu) return std::nullopt;
    }
    std::int64_t n = v <= 0xFFFFu ? static_cast<std::int16_t>(v) : static_cast<std::int32_t>(v);
    Decimal d;
    d.negative = n < 0;
    for (char c : std::to_string(n < 0 ? -n : n)) AppendDigit(d, c);
    return d;
}

std::optional<Decimal> ReadNumber(std::string_view s) {
    std::size_t i = 0, n = s.size();
    auto skipBlanks = [&] {
        while (i < n && IsBlank(s[i])) ++i;
    };
    while (n > 0 && IsBlank(s[n - 1])) --n;
    skipBlanks();
    if (i < n && s[i] == '&') return ReadRadix(s.substr(i, n - i));

    Decimal d;
    bool paren = false, sign = false, dollar = false;
    auto takeSign = [&] {
        if (i < n && (s[i] == '+' || s[i] == '-') && !sign && !paren) {
            sign = true;
            d.negative = s[i] == '-';
            ++i;
            skipBlanks();
            return true;
        }
        return false;
    };
    if (i < n && s[i] == '(') {
        paren = true;
        ++i;
        skipBlanks();
    }
    takeSign();
    if (i < n && s[i] == '$') {
        dollar = true;
        ++i;
        skipBlanks();
        takeSign();
    }

    bool anyDigit = false, point = false;
    while (i < n) {
        const char c = s[i];
        if (IsDigit(c)) {
            anyDigit = true;
            AppendDigit(d, c);
            if (point) --d.exponent;
        } else if (c == '.' && !point) {
            point = true;
        } else if (c == ',' && anyDigit && !point) {
            // thousands separator, placed loosely as the runtime allows
        } else {
            break;
        }
        ++i;
    }
    if (!anyDigit) return std::nullopt;

    if (i < n && (AsciiUpper(s[i]) == 'E' || AsciiUpper(s[i]) == 'D')) {
        ++i;
        bool expNegative = false;
        if (i < n && (s[i] == '+' || s[i] == '-')) expNegative = s[i++] == '-';
        if (i >= n || !IsDigit(s[i])) return std::nullopt;
        long e = 0;
        while (i < n && IsDigit(s[i])) {
            if (e < 100000) e = e * 10 + (s[i] - '0');  // saturates far beyond any range
            ++i;
        }
        d.exponent += expNegative ? -e : e;
    }
    skipBlanks();
    if (i < n && (s[i] == '+' || s[i] == '-') && !sign && !paren) {
        d.negative = s[i] == '-';
        ++i;
        skipBlanks();
    }
    if (paren) {
        if (i >= n || s[i] != ')') return std::nullopt;
        d.negative = true;
        ++i;
        skipBlanks();
    }
    (void)dollar;
    if (i != n) return std::nullopt;
    return d;
}

// The nearest double, or nullopt when out of range.
std::optional<double> ToDouble(const Decimal& d) {
    if (d.digits.empty()) return 0.0;
    const std::string text = d.digits + "e" + std::to_string(d.exponent);
    double v = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec == std::errc::result_out_of_range) {
        // underflow reads as zero, overflow is out of range
        if (d.exponent + static_cast<long>(d.digits.size()) < 0) return d.negative ? -0.0 : 0.0;
        return std::nullopt;
    }
    if (r.ec != std::errc() || !std::isfinite(v)) return std::nullopt;
    return d.negative ? -v : v;
}

// Exact rounding to 1/10000 with ties to even; overflow is error 6.
Currency ToCurrency(const Decimal& d) {
    if (d.digits.empty()) return Currency{};
    const long shift = d.exponent + 4;  // units = digits * 10^shift
    std::string kept = d.digits;
    int roundUp = 0;
    if (shift < 0) {
        const auto drop = static_cast<std::size_t>(-shift);
        if (drop > kept.size()) return Currency{};
        const std::string dropped = kept.substr(kept.size() - drop);
        kept.resize(kept.size() - drop);
        const bool restZero = dropped.find_first_not_of('0', 1) == std::string::npos;
        const char first = dropped[0];
        const bool lastOdd = !kept.empty() && ((kept.back() - '0') % 2 == 1);
        roundUp = (first > '5' || (first == '5' && (!restZero || lastOdd))) ? 1 : 0;
    } else {
        if (shift > 19) ThrowOverflow();
        kept.append(static_cast<std::size_t>(shift), '0');
    }
    if (kept.size() > 19) ThrowOverflow();
    std::uint64_t mag = 0;
    for (char c : kept) mag = mag * 10 + static_cast<std::uint64_t>(c - '0');
    mag += static_cast<std::uint64_t>(roundUp);
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (mag > limit + (d.negative ? 1u : 0u)) ThrowOverflow();
    if (d.negative) return Currency{static_cast<std::int64_t>(0 - mag)};
    return Currency{static_cast<std::int64_t>(mag)};
}

// The shortest decimal that reads back as the same double, as a Decimal.
Decimal DecimalOfDouble(double x) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::scientific);
    return *ReadNumber(std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)));
}

Decimal ReadOrMismatch(const std::string& text) {
    auto d = ReadNumber(text);
    if (!d) ThrowMismatch();
    return *d;
}

double RoundEven(double x) {
    return std::nearbyint(x);
}  // default rounding mode: ties to even

std::int64_t BoolNumber(bool b) {
    return b ? -1 : 0;
}

}  // namespace

// --- numbers

bool IsNumeric(const Value& v) {
    switch (v.type()) {
        case Value::Type::Empty:
        case Value::Type::Boolean:
        case Value::Type::Long:
        case Value::Type::Double:
        case Value::Type::Currency:
            return true;
        case Value::Type::Text: {
            const auto d = ReadNumber(v.text());
            return d && ToDouble(*d).has_value();
        }
        default:
            return false;
    }
}

double Val(std::string_view text) {
    std::string s;  // blanks anywhere are skipped
    for (char c : text) {
        if (!IsBlank(c)) s.push_back(c);
    }
    if (s.size() >= 2 && s[0] == '&' && (AsciiUpper(s[1]) == 'H' || AsciiUpper(s[1]) == 'O')) {
        const int base = AsciiUpper(s[1]) == 'H' ? 16 : 8;
        std::size_t end = 2;
        while (end < s.size() &&
               (base == 16 ? std::isxdigit(static_cast<unsigned char>(s[end])) != 0
                           : (s[end] >= '0' && s[end] <= '7'))) {
            ++end;
        }
        if (end == 2) return 0.0;
        const auto d = ReadRadix(s.substr(0, end));
        if (!d) ThrowOverflow();
        return *ToDouble(*d);
    }
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    const std::size_t digitsStart = i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i])) ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && s[digitsStart] == '.')) return 0.0;
    std::size_t end = i;
    if (i < s.size() && (AsciiUpper(s[i]) == 'E' || AsciiUpper(s[i]) == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j])) ++j;
            end = j;
        }
    }
    const auto d = ReadNumber(std::string_view(s).substr(0, end));
    if (!d) return 0.0;
    const auto x = ToDouble(*d);
    if (!x) ThrowOverflow();
    return *x;
}

double Val(const Value& v) {
    if (v.isNull()) ThrowNull();
    return Val(TextOf(v));
}

double CDbl(const Value& v) {
    switch (v.type()) {
        case Value::Type::Empty:
            return 0.0;
        case Value::Type::Null:
            ThrowNull();
        case Value::Type::Boolean:
            return static_cast<double>(BoolNumber(v.boolean()));
        case Value::Type::Long:
            return static_cast<double>(v.whole());
        case Value::Type::Double:
            return v.real();
        case Value::Type::Currency:
            return CurrencyToDouble(v.currency());
        case Value::Type::Date:
            return v.date().serial;
        case Value::Type::Text: {
            const auto x = ToDouble(ReadOrMismatch(v.text()));
            if (!x) ThrowOverflow();
            return *x;
        }
        case Value::Type::Bytes:
            break;
    }
    ThrowMismatch();
}

std::int64_t CLng(const Value& v) {
    if (v.type() == Value::Type::Currency) {
        // exact: units / 10000 with ties to even
        const std::int64_t u = v.currency().units;
        std::int64_t q = u / kScale, r = u % kScale;
        if (r < 0) r = -r;
        if (r > kScale / 2 || (r == kScale / 2 && q % 2 != 0)) q += u < 0 ? -1 : 1;
        if (q < std::numeric_limits<std::int32_t>::min() ||
            q > std::numeric_limits<std::int32_t>::max())
            ThrowOverflow();
        return q;
    }
    if (v.type() == Value::Type::Long) {
        const std::int64_t n = v.whole();
        if (n < std::numeric_limits<std::int32_t>::min() ||
            n > std::numeric_limits<std::int32_t>::max())
            ThrowOverflow();
        return n;
    }
    const double r = RoundEven(CDbl(v));
    if (!(r >= -2147483648.0 && r <= 2147483647.0)) ThrowOverflow();
    return static_cast<std::int64_t>(r);
}

Currency CCur(const Value& v) {
    switch (v.type()) {
        case Value::Type::Empty:
            return Currency{};
        case Value::Type::Null:
            ThrowNull();
        case Value::Type::Boolean:
            return Currency{BoolNumber(v.boolean()) * kScale};
        case Value::Type::Long:
            return CurrencyFromUnits(v.whole());
        case Value::Type::Currency:
            return v.currency();
        case Value::Type::Double:
        case Value::Type::Date: {
            const double x = v.type() == Value::Type::Double ? v.real() : v.date().serial;
            if (!std::isfinite(x)) ThrowOverflow();
            return ToCurrency(DecimalOfDouble(x));
        }
        case Value::Type::Text:
            return ToCurrency(ReadOrMismatch(v.text()));
        case Value::Type::Bytes:
            break;
    }
    ThrowMismatch();
}

bool CBool(const Value& v) {
    switch (v.type()) {
        case Value::Type::Empty:
            return false;
        case Value::Type::Null:
            ThrowNull();
        case Value::Type::Boolean:
            return v.boolean();
        case Value::Type::Long:
            return v.whole() != 0;
        case Value::Type::Currency:
            return v.currency().units != 0;
        case Value::Type::Double:
            return v.real() != 0.0;
        case Value::Type::Date:
            return v.date().serial != 0.0;
        case Value::Type::Text: {
            const std::string t = Trim(v.text());
            if (EqualsIgnoreCase(t, "True")) return true;
            if (EqualsIgnoreCase(t, "False")) return false;
            const auto d = ReadNumber(t);
            if (!d) ThrowMismatch();
            return !d->digits.empty();
        }
        case Value::Type::Bytes:
            break;
    }
    ThrowMismatch();
}

Date CDate(const Value& v) {
    switch (v.type()) {
        case Value::Type::Date:
            return v.date();
        case Value::Type::Null:
            ThrowNull();
        case Value::Type::Text: {
            const auto d = ParseDate(v.text());
            if (!d) ThrowMismatch();
            return *d;
        }
        case Value::Type::Bytes:
            ThrowMismatch();
        default:
            break;
    }
    const double x = CDbl(v);
    if (!(x >= -657434.0 && x < 2958466.0)) ThrowOverflow();
    return Date{x};
}

Currency AddCurrency(Currency a, Currency b) {
    std::int64_t sum = 0;
    if (__builtin_add_overflow(a.units, b.units, &sum)) ThrowOverflow();
    return Currency{sum};
}

double CurrencyToDouble(Currency c) {
    return static_cast<double>(c.units) / static_cast<double>(kScale);
}

Currency CurrencyFromUnits(std::int64_t wholeUnits, std::int64_t tenThousandths) {
    std::int64_t scaled = 0, sum = 0;
    if (__builtin_mul_overflow(wholeUnits, kScale, &scaled) ||
        __builtin_add_overflow(scaled, tenThousandths, &sum)) {
        ThrowOverflow();
    }
    return Currency{sum};
}

// --- comparisons

namespace {

// Sort rank of the kinds of value; numbers of every kind share one rank.
int Rank(const Value& v) {
    switch (v.type()) {
        case Value::Type::Null:
            return 0;
        case Value::Type::Empty:
            return 1;
        case Value::Type::Text:
            return 3;
        case Value::Type::Bytes:
            return 4;
        default:
            return 2;
    }
}

template <class T>
int Sign(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

bool IsWhole(const Value& v) {
    return v.type() == Value::Type::Long || v.type() == Value::Type::Boolean;
}
std::int64_t WholeOf(const Value& v) {
    return v.type() == Value::Type::Long ? v.whole() : BoolNumber(v.boolean());
}

// Doubles with NaN ordered before every number, so sorting stays a strict weak order.
int CompareReals(long double a, long double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) == std::isnan(b) ? 0 : (std::isnan(a) ? -1 : 1);
    return Sign(a, b);
}

// a whole number against a currency amount, exactly
int CompareWholeCurrency(std::int64_t n, Currency c) {
    std::int64_t q = c.units / kScale, r = c.units % kScale;
    if (r < 0) {
        q -= 1;
        r += kScale;
    }
    if (n != q) return Sign(n, q);
    return r > 0 ? -1 : 0;
}

int CompareNumbers(const Value& a, const Value& b) {
    const bool aCur = a.type() == Value::Type::Currency, bCur = b.type() == Value::Type::Currency;
    if (IsWhole(a) && IsWhole(b)) return Sign(WholeOf(a), WholeOf(b));
    if (aCur && bCur) return Sign(a.currency().units, b.currency().units);
    if (IsWhole(a) && bCur) return CompareWholeCurrency(WholeOf(a), b.currency());
    if (aCur && IsWhole(b)) return -CompareWholeCurrency(WholeOf(b), a.currency());
    // a double or a date on one side: currency compares as its double, as the runtime does
    auto real = [](const Value& v) -> long double {
        if (IsWhole(v)) return static_cast<long double>(WholeOf(v));
        return CDbl(v);
    };
    return CompareReals(real(a), real(b));
}

}  // namespace

bool ValuesEqual(const Value& a, const Value& b) {
    if (a.isNull() || b.isNull()) return false;
    // Empty acts as "" beside a text and as 0 beside a number
    if (a.isEmpty() || b.isEmpty()) {
        const Value& other = a.isEmpty() ? b : a;
        if (other.isEmpty()) return true;
        if (other.type() == Value::Type::Text) return other.text().empty();
        if (Rank(other) == 2) return CompareNumbers(other, Value(0)) == 0;
        return false;
    }
    const int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return false;  // a text is never equal to a number
    if (ra == 2) return CompareNumbers(a, b) == 0;
    return a == b;
}

int CompareForSort(const Value& a, const Value& b) {
    const int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    switch (ra) {
        case 2:
            return CompareNumbers(a, b);
        case 3:
            return CompareTextNoCase(a.text(), b.text());
        case 4: {
            const Bytes &x = a.bytes(), &y = b.bytes();
            if (std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end())) return -1;
            return std::lexicographical_compare(y.begin(), y.end(), x.begin(), x.end()) ? 1 : 0;
        }
        default:
            return 0;  // Null with Null, Empty with Empty
    }
}

}  // namespace records
