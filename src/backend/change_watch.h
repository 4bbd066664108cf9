#pragma once
// Changes made by others: which customers' cases or receivables another program or connection
// changed since the last look. Every change of a case is recorded in case_history (and the
// receivables change only together with a case), so that is what is watched:
// - PostgreSQL: each recorded change sends a notification (LISTEN/NOTIFY) with the customer;
//   the watch listens on its own connection and skips what that connection sent itself.
// - SQLite: PRAGMA data_version tells cheaply whether another connection wrote the file; only
//   then are the history rows after the last one seen read. The connection's own changes are
//   set apart by reading the history inside its write transaction (which holds the file lock).
// One watch belongs to one connection and runs on that connection's thread.

#include <QMetaObject>
#include <QString>
#include <memory>
#include <set>
#include <vector>

#include "backend/database.h"

class QSqlDriver;

namespace backend {

// SQL text of the notification channel of the tables in use (one per PostgreSQL schema).
QString ChangeChannelSql();

class ChangeWatch {
  public:
    ChangeWatch() = default;
    ~ChangeWatch();
    ChangeWatch(const ChangeWatch&) = delete;
    ChangeWatch& operator=(const ChangeWatch&) = delete;

    // The customers others changed since the last poll. The first poll starts the watch and
    // reports nothing. Never blocks on other writers.
    std::vector<QString> poll(Sql& sql);

    // Inside this connection's write transaction: before its changes, and before its commit.
    void beforeOwnChange(Sql& sql);
    void afterOwnChange(Sql& sql);

  private:
    void listen(Sql& sql);
    void readHistory(Sql& sql);

    bool started_ = false;
    std::set<QString> changed_;  // heard or read, not yet reported
    // SQLite
    qint64 dataVersion_ = 0;
    qint64 lastHistoryId_ = 0;
    // PostgreSQL
    QSqlDriver* driver_ = nullptr;
    QMetaObject::Connection heard_;
    std::shared_ptr<std::set<QString>> inbox_ = std::make_shared<std::set<QString>>();
};

}  // namespace backend
