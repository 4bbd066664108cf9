#include "messaging/date_serials.h"

#include <cmath>

#include <gtest/gtest.h>

#include "records/errors.h"

namespace messaging {
namespace {

// One rule both ways: the whole part is the day, the fraction's magnitude the time of day, also
// before 1899-12-30; outside the years 100..9999 there is no day.
TEST(DateSerials, DaysAndTimesFollowTheEngineBothWays) {
    const std::pair<double, QDateTime> cases[] = {{38051.75, {QDate(2004, 3, 5), QTime(18, 0)}},
                                                  {-1.25, {QDate(1899, 12, 29), QTime(6, 0)}},
                                                  {-657434.0, {QDate(100, 1, 1), QTime(0, 0)}},
                                                  {2958465.5, {QDate(9999, 12, 31), QTime(12, 0)}}};
    for (const auto& [serial, moment] : cases) {
        SCOPED_TRACE(serial);
        EXPECT_EQ(QDateFromSerial(records::Date{serial}), moment.date());
        EXPECT_EQ(QDateTimeFromSerial(records::Date{serial}), moment);
        EXPECT_DOUBLE_EQ(SerialFromQDateTime(moment).serial, serial);
        EXPECT_EQ(SerialFromQDate(moment.date()).serial, std::trunc(serial));
    }
    for (const double serial : {-657435.0, 2958466.0}) {
        EXPECT_FALSE(QDateFromSerial(records::Date{serial}).isValid()) << serial;
        EXPECT_FALSE(QDateTimeFromSerial(records::Date{serial}).isValid()) << serial;
    }
    for (const QDate& d : {QDate(), QDate(99, 12, 31), QDate(10000, 1, 1)}) {
        EXPECT_THROW(SerialFromQDate(d), records::Error) << d.toString().toStdString();
    }
}

}  // namespace
}  // namespace messaging
