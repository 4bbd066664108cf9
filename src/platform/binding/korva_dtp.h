#pragma once
// `KORVA_DTP`: a date picker with a check box. Its Value is a date while the box is checked and
// Null (a null QVariant) while it is cleared. One tab stop: the date field has the focus, Space
// toggles the box, and typing or picking a date checks it.
//
// mindate and maxdate (date text "mm/dd/yyyy") bound what the user can pick. A value given by
// the program is shown as it is even outside them, so a stored date is never altered by being
// displayed.

#include <QDate>
#include <QString>
#include <QVariant>
#include <QWidget>

class QCheckBox;
class QDateEdit;

namespace platform {

class KORVA_DTP : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("UserEditSignal", "Change()")
    Q_PROPERTY(QVariant Value READ Value WRITE setValue NOTIFY ValueChanged USER true)
    Q_PROPERTY(QString mindate READ mindate WRITE setMindate)
    Q_PROPERTY(QString maxdate READ maxdate WRITE setMaxdate)

  public:
    explicit KORVA_DTP(QWidget* parent = nullptr);

    // A QDate, or a null QVariant when cleared.
    QVariant Value() const;
    // A QDate or QDateTime checks the box and shows the day; a text is read as "mm/dd/yyyy" (or
    // "yyyy-mm-dd"); a null value, an invalid date or a blank text clears the box. A text that is
    // no date clears it as well.
    void setValue(const QVariant& value);
    // The same as the user's pick (for scenario drivers): Change follows when the value differs.
    void enter(const QVariant& value);
    bool hasDate() const noexcept { return checked_; }
    // The day shown, also while cleared (then greyed).
    QDate date() const noexcept { return date_; }

    QString mindate() const;
    void setMindate(const QString& text);  // a text that is no date is ignored
    QString maxdate() const;
    void setMaxdate(const QString& text);
    QDate minimumDate() const noexcept { return min_; }
    void setMinimumDate(const QDate& d);
    QDate maximumDate() const noexcept { return max_; }
    void setMaximumDate(const QDate& d);

    QCheckBox* checkBox() const noexcept { return check_; }
    QDateEdit* dateEdit() const noexcept { return edit_; }

  signals:
    // Every change of Value, by the program or the user.
    void ValueChanged(const QVariant& value);
    // The user changed the date or the check box.
    void Change();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void userToggled(bool checked);
    void userEditedDate(const QDate& d);
    void present(bool checked, const QDate& d);
    void applyRange();
    void applyLook();

    QCheckBox* check_;
    QDateEdit* edit_;
    bool checked_ = false;
    QDate date_;
    QDate min_;
    QDate max_;
    int updating_ = 0;  // our own changes to the child widgets
};

// "mm/dd/yyyy" text of a day, and the day of such a text (invalid when it is none).
QString dateText(const QDate& d);
QDate dateFromText(const QString& text);

}  // namespace platform
