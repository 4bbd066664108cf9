#pragma once
// Date serials and Qt's dates, one rule for the screen and the back end. A serial counts days
// from 1899-12-30; its whole part is the day and the magnitude of its fraction the time of day,
// also before 1899-12-30 (-1.25 is 1899-12-29 06:00), as the record-set engine reads it.

#include <QDate>
#include <QDateTime>

#include "records/value.h"

namespace messaging {

// The calendar day of a serial (its time of day dropped); an invalid QDate when the serial lies
// outside the years 100..9999.
QDate QDateFromSerial(records::Date d);
// The day and time of a serial, to the second; an invalid QDateTime outside the years 100..9999.
QDateTime QDateTimeFromSerial(records::Date d);

// The serial of a day; error 6 (overflow) for an invalid QDate or one outside the years 100..9999.
records::Date SerialFromQDate(const QDate& d);
// The serial of a moment, to the millisecond; error 6 as above.
records::Date SerialFromQDateTime(const QDateTime& moment);

}  // namespace messaging
