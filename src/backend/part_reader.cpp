#include "backend/part_reader.h"

#include <cmath>

#include "backend/sql_values.h"
#include "messaging/date_serials.h"
#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace backend {
namespace {

bool IsNothing(const records::Value& v) {
    return v.isNothing();
}

std::string Quoted(const records::Value& v) {
    std::string text;
    records::IgnoreErrors([&] { text = records::TextOf(v); });
    if (text.size() > 60) text = text.substr(0, 57) + "...";
    return "'" + text + "'";
}

}  // namespace

PartRow::PartRow(const records::Recordset& rows, records::Bookmark bookmark,
                 const records::Layout& layout, std::string location, Problems& problems)
    : rows_(rows),
      bookmark_(bookmark),
      layout_(layout),
      location_(std::move(location)),
      problems_(problems) {}

std::string PartRow::where(std::string_view field) const {
    return location_ + "." + std::string(field);
}

bool PartRow::reported(std::string_view field) const {
    for (const auto& name : reported_) {
        if (records::EqualsIgnoreCase(name, field)) return true;
    }
    return false;
}

void PartRow::report(std::string_view field, const char* code, std::string message) {
    if (reported(field)) return;
    reported_.emplace_back(field);
    problems_.add(code, std::move(message), where(field));
}

records::Value PartRow::raw(std::string_view field) const {
    const int index = rows_.FieldIndex(field);
    if (index < 0) return records::Value::Null();
    return rows_.ValueAt(bookmark_, index);
}

std::optional<QString> PartRow::text(std::string_view field, bool trim) {
    const records::Value v = raw(field);
    if (IsNothing(v)) return std::nullopt;
    std::string s;
    if (v.type() == records::Value::Type::Text) {
        s = v.text();
    } else {
        try {
            s = records::TextOf(v);
        } catch (const records::Error&) {
            report(field, code::BadValue, std::string(field) + " must be a text.");
            return std::nullopt;
        }
    }
    if (HasControlCharacter(s)) {
        report(field, code::BadValue,
               std::string(field) +
                   " holds a control character (such as NUL);"
                   " texts may not carry one.");
        return std::nullopt;
    }
    const std::string trimmed = records::Trim(s);
    if (trimmed.empty()) return std::nullopt;
    if (trim) s = trimmed;
    for (const auto& def : layout_.fields) {
        if (!records::EqualsIgnoreCase(def.name, field) || def.size <= 0) continue;
        const int length = CharacterCount(s);
        if (length > def.size) {
            report(field, code::TooLong,
                   std::string(field) + " is " + std::to_string(length) +
                       " characters long; at most " + std::to_string(def.size) + " are allowed.");
            return std::nullopt;
        }
    }
    return QString::fromStdString(s);
}

std::optional<QDate> PartRow::date(std::string_view field) {
    const records::Value v = raw(field);
    if (IsNothing(v)) return std::nullopt;
    std::optional<records::Date> d;
    if (v.type() == records::Value::Type::Date) {
        d = v.date();
    } else if (v.type() == records::Value::Type::Text) {
        if (records::Trim(v.text()).empty()) return std::nullopt;
        d = records::ParseDate(records::Trim(v.text()));
    }
    if (!d || d->serial < -657434.0 || d->serial > 2958465.0) {
        report(field, code::BadDate,
               std::string(field) + " must be a date; " + Quoted(v) + " is not one.");
        return std::nullopt;
    }
    return messaging::QDateFromSerial(*d);
}

std::optional<std::int64_t> PartRow::whole(std::string_view field) {
    const records::Value v = raw(field);
    if (IsNothing(v)) return std::nullopt;
    if (v.type() == records::Value::Type::Long) return v.whole();
    if (v.type() == records::Value::Type::Text && records::Trim(v.text()).empty()) {
        return std::nullopt;
    }
    try {
        if (v.type() == records::Value::Type::Text || v.type() == records::Value::Type::Double ||
            v.type() == records::Value::Type::Currency) {
            const double d = records::CDbl(v);
            if (std::floor(d) == d && std::fabs(d) < 9.0e15) return static_cast<std::int64_t>(d);
        }
    } catch (const records::Error&) {  // reported below as not a whole number
    }
    report(field, code::BadValue,
           std::string(field) + " must be a whole number; " + Quoted(v) + " is not one.");
    return std::nullopt;
}

std::optional<std::int64_t> PartRow::money(std::string_view field) {
    const records::Value v = raw(field);
    if (IsNothing(v)) return std::nullopt;
    if (v.type() == records::Value::Type::Text && records::Trim(v.text()).empty()) {
        return std::nullopt;
    }
    try {
        return records::CCur(v).units;
    } catch (const records::Error&) {
        report(field, code::BadValue,
               std::string(field) + " must be an amount; " + Quoted(v) + " is not one.");
        return std::nullopt;
    }
}

void CheckTextSizes(PartRow& row, const records::Layout& layout) {
    for (const auto& def : layout.fields) {
        if (def.type == records::FieldType::Text && def.size > 0) row.text(def.name);
    }
}

std::vector<records::Bookmark> RowsOf(const records::Recordset& rows) {
    if (!rows.IsOpen()) return {};
    return rows.VisibleBookmarks();
}

}  // namespace backend
