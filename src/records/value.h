#pragma once
// The variant value that record sets, property bags and the screen's rules pass around.

#include <compare>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace records {

// Money as a count of 1/10000 of the unit (four decimals, exact).
struct Currency {
    std::int64_t units = 0;
    static constexpr std::int64_t kScale = 10000;
    friend constexpr auto operator<=>(Currency, Currency) = default;  // NOLINT: a false use-nullptr
};

// A date as a day serial: 0 = 30 Dec 1899, 1 = 31 Dec 1899; time of day in the fraction.
struct Date {
    double serial = 0.0;
    // NOLINTNEXTLINE(modernize-use-nullptr): clang-tidy 14 misreads the defaulted comparison
    friend constexpr auto operator<=>(Date, Date) = default;
};

using Bytes = std::vector<std::uint8_t>;

struct NullTag {
    friend constexpr bool operator==(NullTag, NullTag) = default;
};

class Value {
  public:
    // GCC's -Wshadow reports scoped enumerators that share a name with a namespace-level type.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wshadow"
    enum class Type : std::uint8_t {
        Empty,
        Null,
        Boolean,
        Long,
        Double,
        Currency,
        Date,
        Text,
        Bytes
    };
#pragma GCC diagnostic pop

    Value() = default;  // Empty
    Value(NullTag) : v_(NullTag{}) {}
    Value(bool b) : v_(b) {}
    Value(int n) : v_(static_cast<std::int64_t>(n)) {}
    Value(long n) : v_(static_cast<std::int64_t>(n)) {}
    Value(long long n) : v_(static_cast<std::int64_t>(n)) {}
    Value(double d) : v_(d) {}
    Value(Currency c) : v_(c) {}
    Value(Date d) : v_(d) {}
    Value(std::string s) : v_(std::move(s)) {}
    Value(std::string_view s) : v_(std::string(s)) {}
    Value(const char* s) : v_(std::string(s)) {}
    Value(Bytes b) : v_(std::move(b)) {}

    static Value Null() {
        return Value(NullTag{});
    }

    Type type() const noexcept {
        return static_cast<Type>(v_.index());
    }
    bool isEmpty() const noexcept {
        return type() == Type::Empty;
    }
    bool isNull() const noexcept {
        return type() == Type::Null;
    }
    // Null or Empty: the two values whose text is "".
    bool isNothing() const noexcept {
        return isEmpty() || isNull();
    }

    // Direct access; the caller has checked type(). Conversions live in value_rules.h.
    bool boolean() const {
        return std::get<bool>(v_);
    }
    std::int64_t whole() const {
        return std::get<std::int64_t>(v_);
    }
    double real() const {
        return std::get<double>(v_);
    }
    Currency currency() const {
        return std::get<Currency>(v_);
    }
    Date date() const {
        return std::get<Date>(v_);
    }
    const std::string& text() const {
        return std::get<std::string>(v_);
    }
    const Bytes& bytes() const {
        return std::get<Bytes>(v_);
    }

    // Same type and same content. Not the screen's "=" (see value_rules.h).
    friend bool operator==(const Value&, const Value&) = default;

  private:
    std::variant<std::monostate, NullTag, bool, std::int64_t, double, Currency, Date, std::string,
                 Bytes>
        v_;
};

}  // namespace records
