#include "platform/binding/display_formats.h"

#include <algorithm>
#include <cstdint>

#include "messaging/date_serials.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace platform {

QString shortDatePattern(const QLocale& locale) {
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy"))) {
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    }
    return pattern;
}

QString formatShortDate(const records::Value& v, const QLocale& locale) {
    using T = records::Value::Type;
    if (v.isNothing()) return QString();
    if (v.type() == T::Date) {
        return locale.toString(messaging::QDateFromSerial(v.date()), shortDatePattern(locale));
    }
    if (v.type() == T::Text) {
        if (const auto parsed = records::ParseDate(records::Trim(v.text()))) {
            return locale.toString(messaging::QDateFromSerial(*parsed), shortDatePattern(locale));
        }
    }
    return QString::fromStdString(records::TextOf(v));
}

QString formatShortDateTime(const records::Value& v, const QLocale& locale) {
    if (v.type() != records::Value::Type::Date) return formatShortDate(v, locale);
    const QDateTime moment = messaging::QDateTimeFromSerial(v.date());
    return locale.toString(moment.date(), shortDatePattern(locale)) + QLatin1Char(' ') +
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
    // Whole cents, half away from zero, before QLocale sees a double.
    const std::int64_t cents = (amount.units + (amount.units < 0 ? -50 : 50)) / 100;
    return locale.toCurrencyString(static_cast<double>(cents) / 100.0, QString(), 2);
}

void useUsFormsWithoutRegionalSettings() {
    if (QLocale::system().language() == QLocale::C) {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
}

QString fillPlaceholders(const QString& text, const QString& pattern) {
    const qsizetype first = pattern.indexOf(QLatin1Char('#'));
    QString reversed;
    qsizetype t = text.size();
    for (qsizetype p = pattern.size(); p-- > 0;) {
        if (pattern[p] != QLatin1Char('#')) {
            reversed.append(pattern[p]);
            continue;
        }
        if (t > 0) reversed.append(text[--t]);
        if (p == first) {
            while (t > 0) reversed.append(text[--t]);
        }
    }
    std::reverse(reversed.begin(), reversed.end());
    return reversed;
}

std::string formatPhone(const std::string& phone) {
    const QString trimmed = QString::fromStdString(records::Trim(phone));
    const char* pattern = trimmed.size() == 10 ? kPhonePatternTen : kPhonePatternOther;
    return fillPlaceholders(trimmed, QString::fromLatin1(pattern)).toStdString();
}

}  // namespace platform
