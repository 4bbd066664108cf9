#include "backend/users.h"

#include "backend/sql_values.h"

namespace backend {

bool UserExists(Sql& sql, const QString& user) {
    return sql.scalar(QStringLiteral("SELECT user_name FROM users WHERE user_name = ?"), {user})
        .isValid();
}

bool UserHasRight(Sql& sql, const QString& user, const QString& right) {
    return sql
        .scalar(QStringLiteral("SELECT right_name FROM user_rights"
                               " WHERE user_name = ? AND right_name = ?"),
                {user, right})
        .isValid();
}

std::optional<std::int64_t> UserOfficer(Sql& sql, const QString& user) {
    return ReadWhole(
        sql.scalar(QStringLiteral("SELECT officer_id FROM users WHERE user_name = ?"), {user}));
}

}  // namespace backend
