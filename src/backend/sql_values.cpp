#include "backend/sql_values.h"

#include <QDateTime>
#include <cmath>

#include "backend/database.h"
#include "messaging/date_serials.h"

namespace backend {
QDate ReadDate(const QVariant& v) {
    if (v.isNull()) return {};
    if (v.metaType() == QMetaType::fromType<QDate>()) return v.toDate();
    if (v.metaType() == QMetaType::fromType<QDateTime>()) return v.toDateTime().date();
    return QDate::fromString(v.toString().left(10), Qt::ISODate);
}

std::optional<QString> ReadText(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    return v.toString();
}

std::optional<std::int64_t> ReadWhole(const QVariant& v) {
    if (v.isNull()) return std::nullopt;
    return v.toLongLong();
}

records::Value DateValue(const QVariant& v) {
    const QDate d = ReadDate(v);
    return d.isValid() ? records::Value(messaging::SerialFromQDate(d)) : records::Value::Null();
}

records::Value TextValue(const QVariant& v) {
    if (v.isNull()) return records::Value::Null();
    return records::Value(v.toString().toStdString());
}

records::Value WholeValue(const QVariant& v) {
    if (v.isNull()) return records::Value::Null();
    return records::Value(static_cast<long long>(v.toLongLong()));
}

records::Value MoneyValue(const QVariant& units) {
    if (units.isNull()) return records::Value::Null();
    return records::Value(records::Currency{units.toLongLong()});
}

QVariant TextParam(const std::optional<QString>& text) {
    if (!text) return QVariant(QMetaType::fromType<QString>());
    // An empty text stays an empty text, not NULL.
    return text->isNull() ? QVariant(QString(QLatin1String(""))) : QVariant(*text);
}

QVariant WholeParam(const std::optional<std::int64_t>& n) {
    if (!n) return QVariant(QMetaType::fromType<qlonglong>());
    return QVariant(static_cast<qlonglong>(*n));
}

QVariant DateParam(const QDate& d) {
    return SqlDate(d);
}

int CharacterCount(const std::string& utf8) {
    int n = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) ++n;
    }
    return n;
}

bool HasControlCharacter(std::string_view utf8) {
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        if ((c < 0x20 && c != '\t' && c != '\n' && c != '\r') || c == 0x7F) return true;
        // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
        if (c == 0xC2 && i + 1 < utf8.size()) {
            const auto next = static_cast<unsigned char>(utf8[i + 1]);
            if (next >= 0x80 && next <= 0x9F) return true;
        }
    }
    return false;
}

QString NowStamp() {
    return QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
}

}  // namespace backend
