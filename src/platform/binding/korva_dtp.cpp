#include "platform/binding/korva_dtp.h"

#include <algorithm>

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPalette>

#include "messaging/date_serials.h"
#include "records/value_rules.h"

namespace platform {

QString dateText(const QDate& d) {
    return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : QString();
}

QDate dateFromText(const QString& text) {
    const auto parsed = records::ParseDate(text.toStdString());
    return parsed ? messaging::QDateFromSerial(*parsed) : QDate();
}

KORVA_DTP::KORVA_DTP(QWidget* parent)
    : QWidget(parent), check_(new QCheckBox(this)), edit_(new QDateEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(check_);
    layout->addWidget(edit_, 1);

    check_->setFocusPolicy(Qt::NoFocus);  // Space in the date field toggles it
    check_->setToolTip(tr("Clear the box for no date"));
    edit_->setDisplayFormat(QStringLiteral("MM/dd/yyyy"));
    edit_->setCalendarPopup(true);
    edit_->installEventFilter(this);
    setFocusProxy(edit_);
    setFocusPolicy(Qt::StrongFocus);

    min_ = edit_->minimumDate();
    max_ = edit_->maximumDate();
    date_ = QDate::currentDate();
    present(false, date_);

    connect(check_, &QCheckBox::toggled, this, &KORVA_DTP::userToggled);
    connect(edit_, &QDateEdit::dateChanged, this, &KORVA_DTP::userEditedDate);
}

QVariant KORVA_DTP::Value() const {
    return checked_ ? QVariant(date_) : QVariant();
}

void KORVA_DTP::setValue(const QVariant& value) {
    QDate d;
    switch (value.metaType().id()) {
        case QMetaType::QDate:
            d = value.toDate();
            break;
        case QMetaType::QDateTime:
            d = value.toDateTime().date();
            break;
        case QMetaType::QString:
            d = dateFromText(value.toString());
            break;
        default:
            break;
    }
    if (d.isValid()) {
        present(true, d);
    } else {
        present(false, date_);
    }
}

void KORVA_DTP::enter(const QVariant& value) {
    const QVariant before = Value();
    setValue(value);
    if (Value() != before) emit Change();
}

void KORVA_DTP::present(bool checked, const QDate& d) {
    const QVariant before = Value();
    checked_ = checked;
    date_ = d;
    {
        ++updating_;
        check_->setChecked(checked_);
        applyRange();
        edit_->setDate(date_);
        --updating_;
    }
    applyLook();
    if (Value() != before) emit ValueChanged(Value());
}

void KORVA_DTP::userToggled(bool checked) {
    if (updating_ > 0) return;
    checked_ = checked;
    applyLook();
    emit ValueChanged(Value());
    emit Change();
}

void KORVA_DTP::userEditedDate(const QDate& d) {
    if (updating_ > 0 || !d.isValid()) return;
    const QVariant before = Value();
    date_ = d;
    if (!checked_) {  // picking a day means there is one
        checked_ = true;
        ++updating_;
        check_->setChecked(true);
        --updating_;
        applyLook();
    }
    if (Value() != before) {
        emit ValueChanged(Value());
        emit Change();
    }
}

bool KORVA_DTP::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space && isEnabled()) {
        check_->toggle();  // goes through userToggled as a click would
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

QString KORVA_DTP::mindate() const {
    return dateText(min_);
}

void KORVA_DTP::setMindate(const QString& text) {
    setMinimumDate(dateFromText(text));
}

QString KORVA_DTP::maxdate() const {
    return dateText(max_);
}

void KORVA_DTP::setMaxdate(const QString& text) {
    setMaximumDate(dateFromText(text));
}

void KORVA_DTP::setMinimumDate(const QDate& d) {
    if (!d.isValid()) return;
    min_ = d;
    ++updating_;
    applyRange();
    --updating_;
}

void KORVA_DTP::setMaximumDate(const QDate& d) {
    if (!d.isValid()) return;
    max_ = d;
    ++updating_;
    applyRange();
    --updating_;
}

void KORVA_DTP::applyRange() {
    // Widened to hold the day shown, so setting a bound never moves it.
    QDate lo = min_;
    QDate hi = std::max(max_, min_);
    if (date_.isValid()) {
        lo = std::min(lo, date_);
        hi = std::max(hi, date_);
    }
    edit_->setDateRange(lo, hi);
    if (edit_->date() != date_ && date_.isValid()) edit_->setDate(date_);
}

void KORVA_DTP::applyLook() {
    // A cleared picker shows its day greyed.
    QPalette pal = edit_->palette();
    const QPalette base = palette();
    pal.setColor(QPalette::Text, checked_ ? base.color(QPalette::Text)
                                          : base.color(QPalette::Disabled, QPalette::Text));
    edit_->setPalette(pal);
}

}  // namespace platform
