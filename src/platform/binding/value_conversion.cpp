#include "platform/binding/value_conversion.h"

#include <QByteArray>
#include <QString>
#include <QTime>

#include "messaging/date_serials.h"
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

QVariant toPropertyValue(const Value& v, QMetaType target) {
    const int id = target.id();
    if (id == QMetaType::QString) return QString::fromStdString(records::TextOf(v));
    if (id == QMetaType::QDate) {
        if (v.isNothing() || isBlankText(v)) return QDate();
        return messaging::QDateFromSerial(records::CDate(v));
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
                if (v.date().serial == day) return messaging::QDateFromSerial(v.date());
                return messaging::QDateTimeFromSerial(v.date());
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
            return Value(messaging::SerialFromQDate(d));
        }
        case QMetaType::QDateTime: {
            const QDateTime dt = v.toDateTime();
            if (!dt.isValid()) return Value::Null();
            return Value(messaging::SerialFromQDateTime(dt));
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
