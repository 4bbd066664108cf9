#include "platform/widgets/regional_formats.h"

#include <cmath>
#include <cstdint>

#include "messaging/date_serials.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace platform {
namespace {

// Rounds a count of 1/10000 to whole cents, half away from zero.
std::int64_t roundToCents(std::int64_t units) {
    const std::int64_t half = units < 0 ? -50 : 50;
    return (units + half) / 100;
}

}  // namespace

void useUsFormsWithoutRegionalSettings() {
    if (QLocale::system().language() == QLocale::C) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
}

QString shortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) {
        format.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return format;
}

QString formatShortDate(const records::Value& v, const QLocale& locale) {
    using T = records::Value::Type;
    if (v.isNothing()) return QString();
    if (v.type() == T::Date) {
        return locale.toString(messaging::QDateFromSerial(v.date()), shortDateFormat(locale));
    }
    if (v.type() == T::Text) {
        if (const auto parsed = records::ParseDate(records::Trim(v.text()))) {
            return locale.toString(messaging::QDateFromSerial(*parsed), shortDateFormat(locale));
        }
    }
    return QString::fromStdString(records::TextOf(v));
}

QString formatShortDateTime(const records::Value& v, const QLocale& locale) {
    if (v.type() != records::Value::Type::Date) return formatShortDate(v, locale);
    const QDateTime moment = messaging::QDateTimeFromSerial(v.date());
    return locale.toString(moment.date(), shortDateFormat(locale)) + QLatin1Char(' ') +
           locale.toString(moment.time(), QLocale::ShortFormat);
}

QString formatCurrency(const records::Value& v, const QLocale& locale) {
    if (v.isNothing()) return QString();
    records::Currency amount;
    try {
        amount = records::CCur(v);
    } catch (const records::Error&) {  // not a number: shown as it is
        return QString::fromStdString(records::TextOf(v));
    }
    const std::int64_t cents = roundToCents(amount.units);
    return locale.toCurrencyString(static_cast<double>(cents) / 100.0, QString(), 2);
}

}  // namespace platform
