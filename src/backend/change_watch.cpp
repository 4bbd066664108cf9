#include "backend/change_watch.h"

#include <QCoreApplication>
#include <QSqlDriver>
#include <QSqlQuery>

#include "records/errors.h"

namespace backend {

QString ChangeChannelSql() {
    // Channel names are at most 63 bytes; schema names are plain, so this is never cut in a
    // character.
    return QStringLiteral("left('halberon_' || current_schema(), 63)");
}

ChangeWatch::~ChangeWatch() {
    QObject::disconnect(heard_);
}

std::vector<QString> ChangeWatch::poll(Sql& sql) {
    if (sql.isPostgres()) {
        listen(sql);
        // Notifications reach the driver through this thread's events.
        QCoreApplication::processEvents();
        changed_.insert(inbox_->begin(), inbox_->end());
        inbox_->clear();
    } else {
        const qint64 version = sql.scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
        if (!started_) {
            dataVersion_ = version;
            lastHistoryId_ =
                sql.scalar(QStringLiteral("SELECT COALESCE(MAX(history_id), 0) FROM case_history"))
                    .toLongLong();
        } else if (version != dataVersion_) {
            dataVersion_ = version;
            readHistory(sql);
        }
    }
    const bool first = !started_;
    started_ = true;
    std::vector<QString> out(changed_.begin(), changed_.end());
    changed_.clear();
    if (first) out.clear();
    return out;
}

void ChangeWatch::listen(Sql& sql) {
    QSqlDriver* driver = sql.database().driver();
    if (driver == driver_) return;  // a new connection after a lost one listens again
    QObject::disconnect(heard_);
    const QString channel = sql.scalar(QStringLiteral("SELECT ") + ChangeChannelSql()).toString();
    if (!driver->subscribeToNotification(channel)) {
        throw records::Error(kDatabaseError,
                             "Could not listen for changes on " + channel.toStdString());
    }
    driver_ = driver;
    heard_ =
        QObject::connect(driver, &QSqlDriver::notification,
                         [inbox = inbox_](const QString&, QSqlDriver::NotificationSource source,
                                          const QVariant& payload) {
                             if (source != QSqlDriver::SelfSource)
                                 inbox->insert(payload.toString());
                         });
}

void ChangeWatch::readHistory(Sql& sql) {
    QSqlQuery q = sql.exec(QStringLiteral("SELECT history_id, cust_id FROM case_history"
                                          " WHERE history_id > ? ORDER BY history_id"),
                           {lastHistoryId_});
    while (q.next()) {
        lastHistoryId_ = q.value(0).toLongLong();
        changed_.insert(q.value(1).toString());
    }
}

void ChangeWatch::beforeOwnChange(Sql& sql) {
    // Holding the write lock: everything recorded so far is someone else's.
    if (started_ && !sql.isPostgres()) readHistory(sql);
}

void ChangeWatch::afterOwnChange(Sql& sql) {
    if (!started_ || sql.isPostgres()) return;
    lastHistoryId_ =
        sql.scalar(QStringLiteral("SELECT COALESCE(MAX(history_id), 0) FROM case_history"))
            .toLongLong();
}

}  // namespace backend
