#pragma once
// Record sets of the layouts to and from JSON, for the support tool: an array of objects, one
// per row; Null as null, dates as "YYYY-MM-DD", money as a number.

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include "messaging/backend_api.h"
#include "records/recordset.h"

namespace backend {

QJsonValue ValueToJson(const records::Value& v);
QJsonArray RowsToJson(const records::Recordset& rs);
// {"HALBERON":[...], "BANKRUPTCY":[...], ...}
QJsonObject AnswerToJson(const messaging::Answer& answer);

// A record set of the layout from a JSON array of objects. Fields not named are Null; a value
// that does not suit its field, or a field the layout lacks, throws records::Error.
records::RecordsetPtr RowsFromJson(const QString& layout, const QJsonArray& rows);

// The layout that a request part of that name carries ("ACCOUNT" carries receivables).
QString LayoutOfPart(const QString& partName);

}  // namespace backend
