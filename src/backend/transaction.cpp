#include "backend/transaction.h"

#include <QSqlQuery>

#include "records/errors.h"

namespace backend {

Transaction::Transaction(Sql& sql, Kind kind) : sql_(sql) {
    if (sql.isPostgres()) {
        // An inquiry reads one snapshot; writers lock the rows they change instead.
        sql_.exec(kind == Kind::Read ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ")
                                     : QStringLiteral("BEGIN"));
    } else {
        sql_.exec(kind == Kind::Write ? QStringLiteral("BEGIN IMMEDIATE")
                                      : QStringLiteral("BEGIN"));
    }
    open_ = true;
}

Transaction::~Transaction() {
    if (!open_) return;
    // A failed rollback leaves nothing to undo: the connection drops the transaction itself.
    records::IgnoreErrors([&] { sql_.exec(QStringLiteral("ROLLBACK")); });
}

void Transaction::commit() {
    sql_.exec(QStringLiteral("COMMIT"));
    open_ = false;
}

}  // namespace backend
