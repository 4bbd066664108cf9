#pragma once
// Users: the sender id of a request is a user name; a user may stand for an officer and holds
// rights by name.

#include <QString>
#include <cstdint>
#include <optional>

#include "backend/database.h"

namespace backend {

// The right that writing off and dismissing a case needs.
inline constexpr const char* kManagerRight = "BnkrptcyMgr";

bool UserExists(Sql& sql, const QString& user);
bool UserHasRight(Sql& sql, const QString& user, const QString& right);
std::optional<std::int64_t> UserOfficer(Sql& sql, const QString& user);

}  // namespace backend
