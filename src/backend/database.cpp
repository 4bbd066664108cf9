#include "backend/database.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

#include "records/errors.h"

namespace backend {
namespace {

// Serialises the creation of a PostgreSQL schema between connections.
constexpr qint64 kSchemaLockKey = 0x48414C43;

[[noreturn]] void Fail(const QString& what) {
    throw records::Error(kDatabaseError, what.toStdString());
}

// A statement as it appears in a message: one line, not too long.
QString Shorten(const QString& statement) {
    QString s = statement.simplified();
    if (s.size() > 160) s = s.left(157) + QStringLiteral("...");
    return s;
}

void Bind(QSqlQuery& query, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) query.bindValue(i, params[i]);
}

}  // namespace

DatabaseLocation DatabaseLocation::Parse(const QString& text) {
    DatabaseLocation loc;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) Fail(QStringLiteral("No database given."));
    const bool isPg = trimmed.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
                      trimmed.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
    if (!isPg) {
        loc.dialect = Dialect::SQLite;
        if (trimmed.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
            loc.path = QUrl(trimmed).toLocalFile();
        } else if (trimmed.startsWith(QLatin1String("sqlite:"), Qt::CaseInsensitive)) {
            loc.path = trimmed.mid(7);
        } else {
            loc.path = trimmed;
        }
        if (loc.path.isEmpty()) Fail(QStringLiteral("No SQLite file in '%1'.").arg(trimmed));
        loc.path = QFileInfo(loc.path).absoluteFilePath();
        return loc;
    }
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty()) {
        Fail(QStringLiteral("Not a usable PostgreSQL URL: '%1' (expected "
                            "postgresql://user@host:port/database).")
                 .arg(url.toDisplayString(QUrl::RemovePassword)));
    }
    loc.dialect = Dialect::PostgreSQL;
    loc.host = url.host();
    loc.port = url.port(5432);
    loc.user = url.userName();
    loc.password = url.password();
    loc.databaseName = url.path().mid(1);
    if (loc.databaseName.isEmpty()) loc.databaseName = loc.user;
    QStringList options;
    const QUrlQuery query(url);
    for (const auto& [key, value] : query.queryItems(QUrl::FullyDecoded)) {
        if (key == QLatin1String("schema")) {
            static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,62}$"));
            if (!plain.match(value).hasMatch()) {
                Fail(QStringLiteral("Schema name '%1' is not a plain name (letters, digits, _).")
                         .arg(value));
            }
            loc.schema = value;
        } else {
            options << key + QLatin1Char('=') + value;
        }
    }
    loc.connectOptions = options.join(QLatin1Char(';'));
    return loc;
}

QString DatabaseLocation::describe() const {
    if (dialect == Dialect::SQLite) return QStringLiteral("SQLite file %1").arg(path);
    QString d = QStringLiteral("PostgreSQL database %1 on %2:%3").arg(databaseName, host).arg(port);
    if (!user.isEmpty()) d += QStringLiteral(" as %1").arg(user);
    if (!schema.isEmpty()) d += QStringLiteral(", schema %1").arg(schema);
    return d;
}

QString DefaultDatabasePath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + QStringLiteral("/HALBERON/halberon.sqlite");
}

QSqlQuery Sql::exec(const QString& statement, const QVariantList& params) {
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (params.isEmpty()) {
        // PostgreSQL prepares only queries and changes of rows, not SET, BEGIN or DDL.
        if (!query.exec(statement)) {
            Fail(QStringLiteral("Statement failed [%1]: %2")
                     .arg(Shorten(statement), query.lastError().text()));
        }
        return query;
    }
    if (!query.prepare(statement)) {
        Fail(QStringLiteral("Could not prepare [%1]: %2")
                 .arg(Shorten(statement), query.lastError().text()));
    }
    run(query, params);
    return query;
}

QVariant Sql::scalar(const QString& statement, const QVariantList& params) {
    QSqlQuery query = exec(statement, params);
    return query.next() ? query.value(0) : QVariant();
}

QSqlQuery Sql::prepare(const QString& statement) {
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(statement)) {
        Fail(QStringLiteral("Could not prepare [%1]: %2")
                 .arg(Shorten(statement), query.lastError().text()));
    }
    return query;
}

void Sql::run(QSqlQuery& prepared, const QVariantList& params) {
    Bind(prepared, params);
    if (!prepared.exec()) {
        Fail(QStringLiteral("Statement failed [%1]: %2")
                 .arg(Shorten(prepared.lastQuery()), prepared.lastError().text()));
    }
}

QString Sql::identityColumn() const {
    return isPostgres() ? QStringLiteral("BIGINT GENERATED BY DEFAULT AS IDENTITY PRIMARY KEY")
                        : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
}

QSqlDatabase OpenConnection(const DatabaseLocation& location, const QString& connectionName) {
    if (location.dialect == Dialect::SQLite) {
        const QFileInfo file(location.path);
        if (!QDir().mkpath(file.absolutePath())) {
            Fail(QStringLiteral("Could not create the folder %1.").arg(file.absolutePath()));
        }
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        db.setDatabaseName(location.path);
        // Writers queue for the file lock instead of failing at once.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=60000"));
        if (!db.open()) {
            const QString why = db.lastError().text();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(connectionName);
            Fail(QStringLiteral("Could not open %1: %2").arg(location.describe(), why));
        }
        Sql sql(db, Dialect::SQLite);
        sql.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        sql.scalar(QStringLiteral("PRAGMA journal_mode = WAL"));
        sql.exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        return db;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(location.host);
    db.setPort(location.port);
    db.setDatabaseName(location.databaseName);
    db.setUserName(location.user);
    db.setPassword(location.password);
    QString options = location.connectOptions;
    if (!options.contains(QLatin1String("connect_timeout"))) {
        options += (options.isEmpty() ? QString() : QStringLiteral(";")) +
                   QStringLiteral("connect_timeout=15");
    }
    db.setConnectOptions(options);
    if (!db.open()) {
        const QString why = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        Fail(QStringLiteral("Could not open %1: %2").arg(location.describe(), why));
    }
    try {
        Sql sql(db, Dialect::PostgreSQL);
        sql.exec(QStringLiteral("SET client_min_messages TO WARNING"));
        if (!location.schema.isEmpty()) {
            // The name was checked to be plain, so quoting it is enough.
            const QString quoted = QLatin1Char('"') + location.schema + QLatin1Char('"');
            const bool exists = sql.scalar(QStringLiteral("SELECT COUNT(*) FROM pg_namespace"
                                                          " WHERE nspname = ?"),
                                           {location.schema})
                                    .toLongLong() > 0;
            if (!exists) {
                // Several connections may start on a new schema at once.
                sql.exec(QStringLiteral("BEGIN"));
                sql.exec(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kSchemaLockKey});
                sql.exec(QStringLiteral("CREATE SCHEMA IF NOT EXISTS ") + quoted);
                sql.exec(QStringLiteral("COMMIT"));
            }
            sql.exec(QStringLiteral("SET search_path TO ") + quoted);
        }
    } catch (...) {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw;
    }
    return db;
}

QVariant SqlDate(const QDate& date) {
    if (!date.isValid()) return QVariant(QMetaType::fromType<QDate>());
    return QVariant(date.toString(Qt::ISODate));
}

}  // namespace backend
