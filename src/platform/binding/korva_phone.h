#pragma once
// `KORVA_Phone`: a phone number entry behind the mask "(999) 999 - 9999". PhoneNum is the digits
// entered ("" when none). Refresh shows the number again through the mask with its digits at the
// right end, so a seven-digit number reads "(___) 555 - 1234" however it was typed.

#include <QString>
#include <QWidget>

class QLineEdit;

namespace platform {

class KORVA_Phone : public QWidget {
    Q_OBJECT
    Q_CLASSINFO("UserEditSignal", "Edited()")
    Q_PROPERTY(QString PhoneNum READ PhoneNum WRITE setPhoneNum NOTIFY PhoneNumChanged USER true)

  public:
    static constexpr int kDigits = 10;
    static constexpr char kMask[] = "(999) 999 - 9999";

    explicit KORVA_Phone(QWidget* parent = nullptr);

    QString PhoneNum() const;
    // Keeps the digits of the text (the first ten) and shows them through the mask.
    void setPhoneNum(const QString& number);
    void Refresh();
    // The same as the user typing the number and leaving the box (for scenario drivers).
    void enter(const QString& number);

    QLineEdit* lineEdit() const noexcept { return edit_; }

  signals:
    // Every change of PhoneNum, by the program or the user.
    void PhoneNumChanged(const QString& number);
    // The user typed, deleted or pasted (each keystroke).
    void Edited();
    // The user finished an edit (left the box or pressed Enter) and the number differs from the
    // one before it.
    void Change();

  private:
    void textChangedInBox();
    void editingFinished();
    void showDigits(const QString& digits);

    QLineEdit* edit_;
    QString last_;       // PhoneNum as last reported by PhoneNumChanged
    QString committed_;  // PhoneNum at the start of the user's edit
    int updating_ = 0;
};

// The digits of a text, in order.
QString digitsOf(const QString& text);
// The masked text with the digits (at most ten) at the right end and blanks as "_".
QString maskedPhoneText(const QString& digits);

}  // namespace platform
