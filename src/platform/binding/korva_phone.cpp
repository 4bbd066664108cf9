#include "platform/binding/korva_phone.h"

#include <QHBoxLayout>
#include <QLineEdit>

namespace platform {

namespace {
constexpr QChar kBlank = QLatin1Char('_');
}

QString digitsOf(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) out += c;
    }
    return out;
}

QString maskedPhoneText(const QString& digits) {
    QString out = QStringLiteral("(___) ___ - ____");
    const QString d = digits.left(KORVA_Phone::kDigits);
    qsizetype next = d.size();
    for (qsizetype i = out.size(); i-- > 0 && next > 0;) {
        if (out[i] == kBlank) out[i] = d[--next];
    }
    return out;
}

KORVA_Phone::KORVA_Phone(QWidget* parent) : QWidget(parent), edit_(new QLineEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit_);
    // The mask's 9s are optional digits (a seven-digit number is a number too): Qt writes them 0.
    edit_->setInputMask(QString::fromLatin1(kMask).replace(QLatin1Char('9'), QLatin1Char('0')) +
                        QStringLiteral(";_"));
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);

    connect(edit_, &QLineEdit::textChanged, this, &KORVA_Phone::textChangedInBox);
    connect(edit_, &QLineEdit::textEdited, this, [this] { emit Edited(); });
    connect(edit_, &QLineEdit::editingFinished, this, &KORVA_Phone::editingFinished);
}

QString KORVA_Phone::PhoneNum() const {
    return digitsOf(edit_->text());
}

void KORVA_Phone::setPhoneNum(const QString& number) {
    showDigits(digitsOf(number));
    committed_ = PhoneNum();
}

void KORVA_Phone::Refresh() {
    showDigits(PhoneNum());
}

void KORVA_Phone::enter(const QString& number) {
    const QString before = PhoneNum();
    showDigits(digitsOf(number));
    if (PhoneNum() != before) emit Edited();
    editingFinished();
}

void KORVA_Phone::showDigits(const QString& digits) {
    ++updating_;
    edit_->setText(maskedPhoneText(digits));
    --updating_;
    textChangedInBox();
}

void KORVA_Phone::textChangedInBox() {
    const QString now = PhoneNum();
    if (now == last_) return;
    last_ = now;
    emit PhoneNumChanged(now);
}

void KORVA_Phone::editingFinished() {
    const QString now = PhoneNum();
    if (now == committed_) return;
    committed_ = now;
    emit Change();
}

}  // namespace platform
