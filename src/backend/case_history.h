#pragma once
// The history of a case as people read it: when, who, what was done and what changed. Read from
// the change records that every request writes (RecordHistory), for the case-history inquiry and
// the support tool alike.

#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "backend/database.h"
#include "records/recordset.h"

namespace backend {

struct HistoryEntry {
    std::int64_t id = 0;
    QString caseId;  // as the case stores it
    QDateTime when;  // local time
    QString user;
    std::optional<std::int64_t> officer;  // of the user, when the user is on file
    QString action;                       // "Added", "Updated", "Payment", ...
    QString changes;                      // "Trustee: Ira Trustee → Zed Trustee; Comment: ..."
};

// Every change of the customer's cases with this number (any letter case), also of earlier
// cases that bore it and were moved off the case list; newest first.
std::vector<HistoryEntry> CaseHistory(Sql& sql, const QString& custId, const QString& caseId);

// A row of the "CASEHISTORY" layout.
void AppendHistoryRow(records::Recordset& rs, const QString& custId, const HistoryEntry& entry);

}  // namespace backend
