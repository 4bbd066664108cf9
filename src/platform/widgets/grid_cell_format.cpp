#include "platform/widgets/grid_cell_format.h"

#include <algorithm>
#include <cmath>

#include "messaging/date_serials.h"
#include "platform/binding/display_formats.h"
#include "platform/widgets/grid_columns.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace platform {
namespace {

using Type = records::Value::Type;

bool isNumber(const records::Value& v) {
    return v.type() == Type::Long || v.type() == Type::Double || v.type() == Type::Currency;
}

bool allDigits(const QString& s) {
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c.isDigit(); });
}

QString digitsOfNumber(const records::Value& v) {
    switch (v.type()) {
        case Type::Long:
            return QString::number(std::llabs(v.whole()));
        case Type::Double:
            return QString::number(std::llround(std::fabs(v.real())));
        case Type::Currency:
            return QString::number(std::llabs(v.currency().units) / records::Currency::kScale);
        default:
            return QString();
    }
}

}  // namespace

QString formatCell(const records::Value& value, const GridColumn& column, const QLocale& locale) {
    if (value.isNothing()) return QString();
    const std::string& format = column.NumberFormat();
    const QString pattern = QString::fromStdString(format);
    const bool placeholders = pattern.contains(QLatin1Char('#'));

    switch (value.type()) {
        case Type::Text: {
            QString text = QString::fromStdString(value.text());
            const QString trimmed = text.trimmed();
            if (placeholders && allDigits(trimmed)) return fillPlaceholders(trimmed, pattern);
            return text;
        }
        case Type::Date:
            if (format.empty() || records::EqualsIgnoreCase(format, "Short Date"))
                return formatShortDate(value, locale);
            if (records::EqualsIgnoreCase(format, "Long Date"))
                return locale.toString(messaging::QDateFromSerial(value.date()),
                                       QLocale::LongFormat);
            return QString::fromStdString(records::FormatDate(value.date(), format));
        default:
            break;
    }
    if (isNumber(value)) {
        if (records::EqualsIgnoreCase(format, "CURRENCY")) return formatCurrency(value, locale);
        if (placeholders) return fillPlaceholders(digitsOfNumber(value), pattern);
    }
    return QString::fromStdString(records::TextOf(value));
}

Qt::Alignment cellAlignment(const records::Value& value, const GridColumn& column) {
    Qt::Alignment horizontal = column.Alignment() & Qt::AlignHorizontal_Mask;
    if (!horizontal) horizontal = isNumber(value) ? Qt::AlignRight : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}

}  // namespace platform
