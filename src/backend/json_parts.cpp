#include "backend/json_parts.h"

#include <QDate>
#include <QTime>
#include <cmath>

#include "backend/sql_values.h"
#include "messaging/date_serials.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace backend {
namespace {

// Whole numbers up to 2^53 convert from a JSON number exactly.
constexpr double kLargestExactWhole = 9007199254740992.0;

[[noreturn]] void Bad(const QString& why) {
    throw records::Error(records::err::DataConversion, why.toStdString());
}

QString Shown(const QJsonValue& v) {
    if (v.isString()) return QLatin1Char('"') + v.toString() + QLatin1Char('"');
    if (v.isDouble()) return QString::number(v.toDouble(), 'g', 17);
    if (v.isBool()) return v.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QStringLiteral("an object or array");
}

records::Value FromJson(const records::FieldDef& f, const QJsonValue& v) {
    if (v.isNull() || v.isUndefined()) return records::Value::Null();
    const QString field = QString::fromStdString(f.name);
    auto wrong = [&]() -> records::Value {
        Bad(QStringLiteral("%1 can not hold %2.").arg(field, Shown(v)));
    };
    switch (f.type) {
        case records::FieldType::Text:
            if (v.isString()) return records::Value(v.toString().toStdString());
            if (v.isDouble())
                return records::Value(QString::number(v.toDouble(), 'g', 17).toStdString());
            return wrong();
        // A number or text that does not convert travels as sent; the back end judges it.
        case records::FieldType::Long:
            if (v.isDouble()) {
                const double d = v.toDouble();
                if (std::floor(d) == d && std::fabs(d) < kLargestExactWhole) {
                    return records::Value(static_cast<long long>(d));
                }
                return records::Value(d);
            }
            if (v.isString()) return records::Value(v.toString().toStdString());
            return wrong();
        case records::FieldType::Currency:
            if (v.isDouble()) {
                const double d = v.toDouble();
                if (std::fabs(d) < kLargestExactWhole / records::Currency::kScale) {
                    return records::Value(records::Currency{
                        static_cast<std::int64_t>(std::llround(d * records::Currency::kScale))});
                }
                return records::Value(d);
            }
            if (v.isString()) {
                try {
                    return records::Value(
                        records::CCur(records::Value(v.toString().toStdString())));
                } catch (const records::Error&) {
                    return records::Value(v.toString().toStdString());
                }
            }
            return wrong();
        case records::FieldType::Date:
            if (v.isString()) {
                if (auto d = records::ParseDate(v.toString().trimmed().toStdString())) {
                    return records::Value(*d);
                }
                return records::Value(v.toString().toStdString());
            }
            return wrong();
        case records::FieldType::Double:
            if (v.isDouble()) return records::Value(v.toDouble());
            return wrong();
        case records::FieldType::Boolean:
            if (v.isBool()) return records::Value(v.toBool());
            return wrong();
        default:
            if (v.isString()) return records::Value(v.toString().toStdString());
            if (v.isDouble()) return records::Value(v.toDouble());
            if (v.isBool()) return records::Value(v.toBool());
            return wrong();
    }
}

}  // namespace

QJsonValue ValueToJson(const records::Value& v) {
    using T = records::Value::Type;
    switch (v.type()) {
        case T::Empty:
        case T::Null:
            return QJsonValue();
        case T::Boolean:
            return v.boolean();
        case T::Long:
            return static_cast<qint64>(v.whole());
        case T::Double:
            return v.real();
        case T::Currency:
            return static_cast<double>(v.currency().units) /
                   static_cast<double>(records::Currency::kScale);
        case T::Date: {
            const QDateTime moment = messaging::QDateTimeFromSerial(v.date());
            const QString day = moment.date().toString(Qt::ISODate);
            if (moment.time() == QTime(0, 0)) return day;
            return day + QLatin1Char('T') + moment.time().toString(Qt::ISODate);
        }
        case T::Text:
            return QString::fromStdString(v.text());
        case T::Bytes: {
            const auto& b = v.bytes();
            return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(b.data()),
                                                  static_cast<qsizetype>(b.size()))
                                           .toBase64());
        }
    }
    return QJsonValue();
}

QJsonArray RowsToJson(const records::Recordset& rs) {
    QJsonArray rows;
    if (!rs.IsOpen()) return rows;
    for (records::Bookmark b : rs.VisibleBookmarks()) {
        QJsonObject row;
        for (int i = 0; i < rs.FieldCount(); ++i) {
            row[QString::fromStdString(rs.Field(i).name)] = ValueToJson(rs.ValueAt(b, i));
        }
        rows.append(row);
    }
    return rows;
}

QJsonObject AnswerToJson(const messaging::Answer& answer) {
    QJsonObject o;
    for (const auto& part : answer.parts) {
        if (part.rows) o[QString::fromStdString(part.name)] = RowsToJson(*part.rows);
    }
    return o;
}

records::RecordsetPtr RowsFromJson(const QString& layout, const QJsonArray& rows) {
    const records::Layout* def = records::FindLayout(layout.toStdString());
    if (!def) Bad(QStringLiteral("There is no record layout '%1'.").arg(layout));
    // The layout's fields, each taking any kind of value: what does not suit its field is the
    // back end's to refuse, with the reason it gives every sender.
    records::RecordsetPtr rs = records::Recordset::Create();
    for (const auto& f : def->fields) rs->AppendField(f.name, records::FieldType::Variant);
    rs->Open();
    int index = 0;
    for (const auto& item : rows) {
        ++index;
        if (!item.isObject()) Bad(QStringLiteral("Row %1 is not an object.").arg(index));
        const QJsonObject row = item.toObject();
        for (auto it = row.begin(); it != row.end(); ++it) {
            if (rs->FieldIndex(it.key().toStdString()) < 0) {
                Bad(QStringLiteral("Layout %1 has no field '%2'.").arg(layout, it.key()));
            }
        }
        std::vector<std::string> names;
        std::vector<records::Value> values;
        for (const auto& f : def->fields) {
            QJsonValue v;
            for (auto it = row.begin(); it != row.end(); ++it) {
                if (it.key().compare(QString::fromStdString(f.name), Qt::CaseInsensitive) == 0) {
                    v = it.value();
                }
            }
            names.push_back(f.name);
            values.push_back(FromJson(f, v));
        }
        rs->AddNew(names, values);
    }
    rs->UpdateBatch();
    if (rs->RecordCount() > 0) rs->MoveFirst();
    return rs;
}

QString LayoutOfPart(const QString& partName) {
    if (partName.compare(QLatin1String("ACCOUNT"), Qt::CaseInsensitive) == 0) {
        return QString::fromLatin1(records::kLayoutAccntRecv.data(),
                                   static_cast<qsizetype>(records::kLayoutAccntRecv.size()));
    }
    return partName;
}

}  // namespace backend
