#include "platform/binding/value_conversion.h"

#include <QByteArray>
#include <QString>
#include <QTime>

#include "records/errors.h"
#include "records/value_rules.h"

namespace platform {
namespace {

using records::Value;
using T = Value::Type;

[[noreturn]] void throwMismatch() {
    throw records::Error(records::err::TypeMismatch, "Type mismatch");
}

bool isBlankText(const Value& v) {
    return v.type() == T::Text && records::Trim(v.text()).empty();
}

}  // namespace

QDate qDateFromSerial(records::Date d) {
    try {
        const records::DateParts p = records::SplitDate(d);
        return QDate(p.year, p.month, p.day);
    } catch (const records::Error&) {  // outside the serial range: no calendar day
        return QDate();
    }
}

QDateTime qDateTimeFromSerial(records::Date d) {
    try {
        const records::DateParts p = records::SplitDate(d);
        return QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second));
    } catch (const records::Error&) {
        return QDateTime();
    }
}

records::Date serialFromQDate(const QDate& d) {
    if (!d.isValid()) throw records::Error(records::err::Overflow, "Overflow");
    return records::DateSerial(d.year(), d.month(), d.day());
}

QVariant toPropertyValue(const Value& v, QMetaType target) {
    const int id = target.id();
    if (id == QMetaType::QString) return QString::fromStdString(records::TextOf(v));
    if (id == QMetaType::QDate) {
        if (v.isNothing() || isBlankText(v)) return QDate();
        return qDateFromSerial(records::CDate(v));
    }
    if (id == QMetaType::Bool) return v.isNothing() ? false : records::CBool(v);
    if (id == QMetaType::QVariant || id == QMetaType::UnknownType) {
        switch (v.type()) {
            case T::Empty:
            case T::Null:
                return QVariant();
            case T::Boolean:
                return v.boolean();
            case T::Long:
                return QVariant::fromValue(static_cast<qlonglong>(v.whole()));
            case T::Double:
                return v.real();
            case T::Currency:
                return records::CurrencyToDouble(v.currency());
            case T::Date: {
                const double day = static_cast<double>(static_cast<long long>(v.date().serial));
                if (v.date().serial == day) return qDateFromSerial(v.date());
                return qDateTimeFromSerial(v.date());
            }
            case T::Text:
                return QString::fromStdString(v.text());
            case T::Bytes:
                return QByteArray(reinterpret_cast<const char*>(v.bytes().data()),
                                  static_cast<qsizetype>(v.bytes().size()));
        }
    }
    // Numbers and the like: through the text of the value, which QVariant converts.
    if (v.isNothing()) return QVariant(target);
    QVariant text(QString::fromStdString(records::TextOf(v)));
    if (!text.convert(target)) throwMismatch();
    return text;
}

Value fromPropertyValue(const QVariant& v) {
    if (!v.isValid() || v.isNull()) return Value::Null();
    switch (v.metaType().id()) {
        case QMetaType::QString:
            return Value(v.toString().toStdString());
        case QMetaType::QDate: {
            const QDate d = v.toDate();
            if (!d.isValid()) return Value::Null();
            return Value(serialFromQDate(d));
        }
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid()) return Value::Null();
            const QTime t = dt.time();
            records::Date d = serialFromQDate(dt.date());
            d.serial += (t.hour() * 3600 + t.minute() * 60 + t.second()) / 86400.0;
            return Value(d);
        }
        case QMetaType::Bool:
            return Value(v.toBool());
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
            return Value(static_cast<long long>(v.toLongLong()));
        case QMetaType::Double:
        case QMetaType::Float:
            return Value(v.toDouble());
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            return Value(records::Bytes(b.begin(), b.end()));
        }
        default:
            break;
    }
    if (v.canConvert<QString>()) return Value(v.toString().toStdString());
    throwMismatch();
}

Value fitToField(const Value& v, records::FieldType type) {
    using records::FieldType;
    if (v.isNull()) return v;
    switch (type) {
        case FieldType::Variant:
            return v.isEmpty() ? Value::Null() : v;
        case FieldType::Text:
            if (v.type() == T::Text) return v;
            return Value(records::TextOf(v));
        case FieldType::Bytes:
            if (v.isEmpty()) return Value::Null();
            if (v.type() == T::Bytes) return v;
            throwMismatch();
        default:
            break;
    }
    // An entry left empty is no value, not a conversion error.
    if (v.isEmpty() || isBlankText(v)) return Value::Null();
    switch (type) {
        case FieldType::Long:
            return Value(static_cast<long long>(records::CLng(v)));
        case FieldType::Double:
            return Value(records::CDbl(v));
        case FieldType::Currency:
            return Value(records::CCur(v));
        case FieldType::Date:
            return Value(records::CDate(v));
        case FieldType::Boolean:
            return Value(records::CBool(v));
        default:
            return v;
    }
}

}  // namespace platform
