// The date picker and the phone entry as a user and the dialogs drive them.
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/binding/korva_dtp.h"
#include "platform/binding/korva_phone.h"

namespace platform {
namespace {

TEST(KorvaDtp, PickingADayChecksTheBoxAndBoundsMustBeDates) {
    KORVA_DTP dtp;
    QSignalSpy userChange(&dtp, &KORVA_DTP::Change);  // the program's changes are not the user's
    dtp.setValue(QDateTime(QDate(2004, 3, 5), QTime(13, 30)));  // the day is taken
    dtp.setValue(QVariant());
    dtp.dateEdit()->setFocus();
    QTest::keyClick(dtp.dateEdit(), Qt::Key_Up);  // steps the month section up
    EXPECT_TRUE(dtp.hasDate());
    EXPECT_EQ(dtp.Value(), QVariant(QDate(2004, 4, 5)));  // the greyed day, a month on
    EXPECT_EQ(userChange.count(), 1);

    dtp.setEnabled(false);
    QTest::keyClick(dtp.dateEdit(), Qt::Key_Space);
    EXPECT_TRUE(dtp.hasDate());  // a disabled picker ignores the keyboard

    dtp.setMindate(QStringLiteral("01/15/2014"));
    dtp.setMindate(QStringLiteral("13/45/2014"));  // no date: ignored
    EXPECT_EQ(dtp.mindate(), "01/15/2014");
}

TEST(KorvaPhone, PhoneNumIsTheDigitsAndRefreshPutsThemAtTheRightEnd) {
    KORVA_Phone phone;
    phone.setPhoneNum(QStringLiteral("(555) 123-4567"));
    EXPECT_EQ(phone.PhoneNum(), "5551234567");
    EXPECT_EQ(phone.lineEdit()->displayText(), "(555) 123 - 4567");
    phone.setPhoneNum(QStringLiteral("5551234"));
    EXPECT_EQ(phone.lineEdit()->displayText(), "(___) 555 - 1234");
    phone.setPhoneNum(QString());
    EXPECT_EQ(phone.PhoneNum(), "");
    EXPECT_EQ(phone.lineEdit()->displayText(), "(___) ___ - ____");

    phone.lineEdit()->setFocus();
    phone.lineEdit()->setCursorPosition(0);
    QTest::keyClicks(phone.lineEdit(), QStringLiteral("5551234"));
    EXPECT_EQ(phone.PhoneNum(), "5551234");
    EXPECT_EQ(phone.lineEdit()->displayText(), "(555) 123 - 4___");
    phone.Refresh();
    EXPECT_EQ(phone.PhoneNum(), "5551234");
    EXPECT_EQ(phone.lineEdit()->displayText(), "(___) 555 - 1234");

    QTest::keyClicks(phone.lineEdit(), QStringLiteral("abc"));  // the mask takes digits only
    EXPECT_EQ(phone.PhoneNum(), "5551234");
}

TEST(KorvaPhone, ChangeComesWhenTheUserFinishesADifferentNumber) {
    KORVA_Phone phone;
    phone.setPhoneNum(QStringLiteral("5551234567"));
    QSignalSpy change(&phone, &KORVA_Phone::Change);
    QSignalSpy edited(&phone, &KORVA_Phone::Edited);
    QSignalSpy number(&phone, &KORVA_Phone::PhoneNumChanged);

    phone.Refresh();
    EXPECT_EQ(number.count(), 0);  // the same number shown again

    phone.lineEdit()->setCursorPosition(0);
    QTest::keyClicks(phone.lineEdit(), QStringLiteral("8"));
    EXPECT_EQ(edited.count(), 1);
    EXPECT_EQ(change.count(), 0);
    QTest::keyClick(phone.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(phone.PhoneNum(), "8551234567");
    QTest::keyClick(phone.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(change.count(), 1);  // nothing new since

    phone.setPhoneNum(QStringLiteral("5550000"));
    QTest::keyClick(phone.lineEdit(), Qt::Key_Return);
    EXPECT_EQ(change.count(), 1);  // set by the program
    EXPECT_EQ(edited.count(), 1);

    // enter() acts as the user would, on the phone and the date picker
    KORVA_DTP dtp;
    QSignalSpy dateChange(&dtp, &KORVA_DTP::Change);
    dtp.enter(QDate(2004, 3, 5));
    dtp.enter(QDate(2004, 3, 5));  // the same day again is no change
    EXPECT_EQ(dateChange.count(), 1);
    dtp.enter(QVariant());
    EXPECT_EQ(dateChange.count(), 2);
    EXPECT_FALSE(dtp.hasDate());

    phone.enter(QStringLiteral("555 1234"));
    EXPECT_EQ(phone.PhoneNum(), "5551234");
    EXPECT_EQ(edited.count(), 2);
    EXPECT_EQ(change.count(), 2);
}

}  // namespace
}  // namespace platform
