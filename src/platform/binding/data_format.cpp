#include "platform/binding/data_format.h"

#include <optional>

#include "messaging/date_serials.h"
#include "platform/binding/display_formats.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace platform {
namespace {

using records::Value;
using T = Value::Type;

bool sameText(const std::string& a, const char* b) {
    return QString::fromStdString(a).compare(QLatin1String(b), Qt::CaseInsensitive) == 0;
}

bool isBlank(const Value& v) {
    return v.isNothing() || (v.type() == T::Text && records::Trim(v.text()).empty());
}

// The date a value stands for when it is a date or a text that reads as one.
std::optional<records::Date> dateOf(const Value& v) {
    if (v.type() == T::Date) return v.date();
    if (v.type() == T::Text) return records::ParseDate(v.text());
    return std::nullopt;
}

// A currency text of the locale ("$1,234.50", "($5.00)") or any numeric text as an amount; any
// other text as it is.
Value currencyOf(const std::string& text, const QLocale& locale) {
    std::string t = records::Trim(text);
    const std::string symbol = locale.currencySymbol().toStdString();
    if (!symbol.empty() && symbol != "$") {
        for (auto pos = t.find(symbol); pos != std::string::npos; pos = t.find(symbol)) {
            t.erase(pos, symbol.size());
        }
    }
    if (!records::IsNumeric(Value(t))) return Value(text);
    return Value(records::CCur(Value(t)));
}

}  // namespace

DataFormat::DataFormat(std::string format, const QLocale& locale)
    : format_(std::move(format)), locale_(locale) {
    if (format_.empty()) {
        kind_ = Kind::None;
    } else if (sameText(format_, "mm/dd/yyyy") || sameText(format_, "yyyy-mm-dd")) {
        kind_ = Kind::FixedDate;
    } else if (sameText(format_, "Short Date")) {
        kind_ = Kind::ShortDate;
    } else if (sameText(format_, "Currency")) {
        kind_ = Kind::Currency;
    } else {
        throw records::Error(records::err::InvalidArgument,
                             "Unknown data format '" + format_ + "'");
    }
}

void DataFormat::Format(Value& v) const {
    switch (kind_) {
        case Kind::None:
            break;
        case Kind::FixedDate:
        case Kind::ShortDate:
            if (v.isNothing()) {
                v = Value(std::string());
            } else if (const auto d = dateOf(v)) {
                // The short date through the locale itself, which knows every pattern letter
                // (month names included), as the grids show it.
                v = Value(kind_ == Kind::FixedDate
                              ? records::FormatDate(*d, format_)
                              : formatShortDate(Value(*d), locale_).toStdString());
            }
            break;
        case Kind::Currency:
            if (v.isNothing()) {
                v = Value(std::string());
            } else if (records::IsNumeric(v)) {
                v = Value(formatCurrency(Value(records::CCur(v)), locale_).toStdString());
            }
            break;
    }
    if (onFormat_) onFormat_(v);
}

void DataFormat::UnFormat(Value& v) const {
    if (onUnFormat_) onUnFormat_(v);
    switch (kind_) {
        case Kind::None:
            break;
        case Kind::FixedDate:
        case Kind::ShortDate:
            if (isBlank(v)) {
                v = Value::Null();
            } else if (v.type() == T::Text) {
                std::optional<records::Date> d;
                if (kind_ == Kind::ShortDate) {
                    const QDate q = locale_.toDate(QString::fromStdString(records::Trim(v.text())),
                                                   shortDatePattern(locale_));
                    if (q.isValid()) d = messaging::SerialFromQDate(q);
                }
                if (!d) d = records::ParseDate(v.text());
                if (!d) throw records::Error(records::err::TypeMismatch, "Type mismatch");
                v = Value(*d);
            }
            break;
        case Kind::Currency:
            if (isBlank(v)) {
                v = Value::Null();
            } else if (v.type() == T::Text) {
                v = currencyOf(v.text(), locale_);
            } else if (records::IsNumeric(v)) {
                v = Value(records::CCur(v));
            }
            break;
    }
}

}  // namespace platform
