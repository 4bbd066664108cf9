#pragma once
// The back end's tables, their version number and the steps that bring an older database up to
// date.

#include "backend/database.h"

namespace backend {

// The version this build writes. Step n of the upgrade brings version n - 1 to n.
inline constexpr int kSchemaVersion = 4;

// 0 for a database without our tables.
int SchemaVersion(Sql& sql);

// Brings the database to `target` (at most kSchemaVersion) in one transaction; several
// processes may try at once. Throws records::Error when the database is newer than this build.
void UpgradeSchema(Sql& sql, int target = kSchemaVersion);

}  // namespace backend
