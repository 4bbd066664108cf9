#pragma once
// Values between the record layouts and the database: dates as ISO days, money as whole
// ten-thousandths, texts as they were typed.

#include <QDate>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/value.h"

namespace backend {

// Column values read back from either engine (SQLite gives dates as text, PostgreSQL as dates).
QDate ReadDate(const QVariant& v);
std::optional<QString> ReadText(const QVariant& v);
std::optional<std::int64_t> ReadWhole(const QVariant& v);

// Record values from column values; SQL NULL gives Null.
records::Value DateValue(const QVariant& v);
records::Value TextValue(const QVariant& v);
records::Value WholeValue(const QVariant& v);
records::Value MoneyValue(const QVariant& units);

// Parameters: a missing value binds as SQL NULL.
QVariant TextParam(const std::optional<QString>& text);
QVariant WholeParam(const std::optional<std::int64_t>& n);
QVariant DateParam(const QDate& d);

// Characters (not bytes) of a UTF-8 text: what a field's size counts.
int CharacterCount(const std::string& utf8);

// A control character in a UTF-8 text (C0 such as NUL, DEL, C1): no field of ours takes one,
// and PostgreSQL refuses NUL outright. Tabs and line breaks are text: a comment pasted into the
// screen may carry them.
bool HasControlCharacter(std::string_view utf8);

// "YYYY-MM-DDTHH:MM:SSZ" of now, for the change stamps.
QString NowStamp();

}  // namespace backend
