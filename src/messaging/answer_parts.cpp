#include "messaging/answer_parts.h"

#include <QDateTime>

#include "messaging/date_serials.h"
#include "records/layouts.h"

namespace messaging {
namespace {

using records::Value;

// The text cut to `size` characters, never inside a character.
std::string Clip(const std::string& text, int size) {
    int chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && ++chars > size) {
            return text.substr(0, i);
        }
    }
    return text;
}

// Adds a row, each text cut to its field's size.
void AddRow(records::Recordset& rs, const std::vector<std::string>& fields,
            std::vector<Value> values) {
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const int size = rs.Field(rs.FieldIndex(fields[i])).size;
        if (size > 0 && values[i].type() == Value::Type::Text) {
            values[i] = Value(Clip(values[i].text(), size));
        }
    }
    rs.AddNew(fields, values);
}

records::RecordsetPtr Finished(records::RecordsetPtr rs) {
    rs->UpdateBatch();
    if (rs->RecordCount() > 0) rs->MoveFirst();
    return rs;
}

}  // namespace

records::RecordsetPtr HeaderPart(const Request& request, const std::string& messageKey,
                                 const std::string& theme) {
    records::RecordsetPtr rs = records::OpenLayoutRecordset(records::kLayoutHeader);
    AddRow(*rs, {"MessageKey", "Theme", "SenderId", "Version", "ServiceCode", "AnsweredAt"},
           {Value(messageKey), Value(theme), Value(request.senderId), Value(request.version),
            Value(request.serviceCode), Value(SerialFromQDateTime(QDateTime::currentDateTime()))});
    return Finished(std::move(rs));
}

records::RecordsetPtr NotificationPart(const std::vector<Notification>& rows) {
    records::RecordsetPtr rs = records::OpenLayoutRecordset(records::kLayoutNotification);
    for (const Notification& n : rows) {
        AddRow(*rs, {"COMPLETION_CD", "COMPLETION_MSG", "LOCATION", "NOTE"},
               {Value(n.code), Value(n.message), Value(n.location),
                n.note.empty() ? Value::Null() : Value(n.note)});
    }
    return Finished(std::move(rs));
}

}  // namespace messaging
