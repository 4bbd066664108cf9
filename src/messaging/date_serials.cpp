#include "messaging/date_serials.h"

#include <QTime>

#include "records/errors.h"
#include "records/value_rules.h"

namespace messaging {

QDate QDateFromSerial(records::Date d) {
    try {
        const records::DateParts p = records::SplitDate(d);
        return QDate(p.year, p.month, p.day);
    } catch (const records::Error&) {  // outside the serial range: no calendar day
        return QDate();
    }
}

QDateTime QDateTimeFromSerial(records::Date d) {
    try {
        const records::DateParts p = records::SplitDate(d);
        return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
    } catch (const records::Error&) {
        return QDateTime();
    }
}

records::Date SerialFromQDate(const QDate& d) {
    if (!d.isValid()) throw records::Error(records::err::Overflow, "Overflow");
    return records::DateSerial(d.year(), d.month(), d.day());
}

records::Date SerialFromQDateTime(const QDateTime& moment) {
    const records::Date day = SerialFromQDate(moment.date());
    const double time = moment.time().msecsSinceStartOfDay() / 86400000.0;
    return records::Date{day.serial < 0 ? day.serial - time : day.serial + time};
}

}  // namespace messaging
