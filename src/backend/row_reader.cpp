#include "backend/row_reader.h"

#include <QByteArray>
#include <QMetaObject>
#include <QSqlDriver>
#include <QSqlError>
#include <cstring>
#include <string_view>

#include "records/errors.h"

#if defined(__unix__) || defined(__APPLE__)
#include <dlfcn.h>
#include <sqlite3.h>
#define HALBERON_DIRECT_SQLITE 1
#endif

namespace backend {
namespace {

[[noreturn]] void Fail(const QString& what) {
    throw records::Error(kDatabaseError, what.toStdString());
}

}  // namespace

#ifdef HALBERON_DIRECT_SQLITE

// The SQLite functions of the library the Qt driver itself uses, looked up in the driver's
// plugin (and what it links). A driver with a private, hidden copy of SQLite has none to give,
// and the reader then goes through QSqlQuery: one SQLite library's handle must never reach
// another's functions.
struct SqliteApi {
    decltype(&sqlite3_prepare_v2) prepare = nullptr;
    decltype(&sqlite3_finalize) finalize = nullptr;
    decltype(&sqlite3_step) step = nullptr;
    decltype(&sqlite3_errmsg) errmsg = nullptr;
    decltype(&sqlite3_db_handle) dbHandle = nullptr;
    decltype(&sqlite3_bind_null) bindNull = nullptr;
    decltype(&sqlite3_bind_int64) bindInt64 = nullptr;
    decltype(&sqlite3_bind_double) bindDouble = nullptr;
    decltype(&sqlite3_bind_text) bindText = nullptr;
    decltype(&sqlite3_column_type) columnType = nullptr;
    decltype(&sqlite3_column_int64) columnInt64 = nullptr;
    decltype(&sqlite3_column_double) columnDouble = nullptr;
    decltype(&sqlite3_column_text) columnText = nullptr;
    decltype(&sqlite3_column_blob) columnBlob = nullptr;
    decltype(&sqlite3_column_bytes) columnBytes = nullptr;
    bool complete = false;
};

template <typename F>
bool Resolve(void* library, const char* name, F& to) {
    to = reinterpret_cast<F>(dlsym(library, name));
    return to != nullptr;
}

namespace {

SqliteApi LoadApi(const QSqlDriver* driver) {
    SqliteApi api;
    Dl_info info{};
    // The driver's meta-object lives in the driver's plugin: that names the library to ask.
    if (dladdr(driver->metaObject(), &info) == 0 || info.dli_fname == nullptr) return api;
    void* plugin = dlopen(info.dli_fname, RTLD_LAZY | RTLD_NOLOAD);
    if (plugin == nullptr) return api;
    api.complete = Resolve(plugin, "sqlite3_prepare_v2", api.prepare) &&
                   Resolve(plugin, "sqlite3_finalize", api.finalize) &&
                   Resolve(plugin, "sqlite3_step", api.step) &&
                   Resolve(plugin, "sqlite3_errmsg", api.errmsg) &&
                   Resolve(plugin, "sqlite3_db_handle", api.dbHandle) &&
                   Resolve(plugin, "sqlite3_bind_null", api.bindNull) &&
                   Resolve(plugin, "sqlite3_bind_int64", api.bindInt64) &&
                   Resolve(plugin, "sqlite3_bind_double", api.bindDouble) &&
                   Resolve(plugin, "sqlite3_bind_text", api.bindText) &&
                   Resolve(plugin, "sqlite3_column_type", api.columnType) &&
                   Resolve(plugin, "sqlite3_column_int64", api.columnInt64) &&
                   Resolve(plugin, "sqlite3_column_double", api.columnDouble) &&
                   Resolve(plugin, "sqlite3_column_text", api.columnText) &&
                   Resolve(plugin, "sqlite3_column_blob", api.columnBlob) &&
                   Resolve(plugin, "sqlite3_column_bytes", api.columnBytes);
    // Qt keeps the plugin loaded while any connection uses it; this only balances the count.
    dlclose(plugin);
    return api;
}

const SqliteApi* Api(const QSqlDriver* driver) {
    static const SqliteApi api = LoadApi(driver);
    return api.complete ? &api : nullptr;
}

sqlite3* Handle(Sql& sql) {
    if (sql.dialect() != Dialect::SQLite) return nullptr;
    const QSqlDriver* driver = sql.database().driver();
    if (driver == nullptr) return nullptr;
    const QVariant handle = driver->handle();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0) return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}

const SqliteApi* DirectApi(Sql& sql) {
    if (Handle(sql) == nullptr) return nullptr;
    return Api(sql.database().driver());
}

bool Bind(const SqliteApi& api, sqlite3_stmt* stmt, int index, const QVariant& v) {
    if (v.isNull()) return api.bindNull(stmt, index) == SQLITE_OK;
    switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Long:
            return api.bindInt64(stmt, index, v.toLongLong()) == SQLITE_OK;
        case QMetaType::Double:
            return api.bindDouble(stmt, index, v.toDouble()) == SQLITE_OK;
        case QMetaType::QString: {
            const QByteArray utf8 = v.toString().toUtf8();
            return api.bindText(stmt, index, utf8.constData(), static_cast<int>(utf8.size()),
                                SQLITE_TRANSIENT) == SQLITE_OK;
        }
        default:
            return false;  // left to the driver's own conversions
    }
}

bool Ascii(std::string_view s) {
    unsigned char any = 0;
    for (char ch : s) any |= static_cast<unsigned char>(ch);
    return any < 0x80;
}

}  // namespace

#endif

RowReader::RowReader(Sql& sql, const QString& statement, const QVariantList& params)
    : statement_(statement) {
#ifdef HALBERON_DIRECT_SQLITE
    if (const SqliteApi* direct = DirectApi(sql)) {
        const SqliteApi& api = *direct;
        sqlite3* db = Handle(sql);
        const QByteArray text = statement.toUtf8();
        sqlite3_stmt* stmt = nullptr;
        if (api.prepare(db, text.constData(), static_cast<int>(text.size()), &stmt, nullptr) !=
            SQLITE_OK) {
            const QString message = QString::fromUtf8(api.errmsg(db));
            api.finalize(stmt);
            Fail(QStringLiteral("Could not prepare [%1]: %2").arg(statement.simplified(), message));
        }
        bool bound = true;
        for (int i = 0; i < params.size() && bound; ++i) bound = Bind(api, stmt, i + 1, params[i]);
        if (bound) {
            api_ = direct;
            stmt_ = stmt;
            return;
        }
        api.finalize(stmt);
    }
#endif
    query_ = sql.exec(statement, params);
}

RowReader::~RowReader() {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) api_->finalize(stmt_);
#endif
}

bool RowReader::next() {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) {
        const SqliteApi& api = *api_;
        const int rc = api.step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        Fail(QStringLiteral("Statement failed [%1]: %2")
                 .arg(statement_.simplified(), QString::fromUtf8(api.errmsg(api.dbHandle(stmt_)))));
    }
#endif
    if (!query_.next()) {
        if (query_.lastError().isValid()) {
            Fail(QStringLiteral("Statement failed [%1]: %2")
                     .arg(statement_.simplified(), query_.lastError().text()));
        }
        return false;
    }
    return true;
}

bool RowReader::isNull(int column) const {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) return api_->columnType(stmt_, column) == SQLITE_NULL;
#endif
    return query_.isNull(column);
}

std::int64_t RowReader::whole(int column) const {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) {
        const SqliteApi& api = *api_;
        const int type = api.columnType(stmt_, column);
        if (type == SQLITE_INTEGER) return api.columnInt64(stmt_, column);
        if (type == SQLITE_NULL) return 0;
        return value(column).toLongLong();
    }
#endif
    return query_.value(column).toLongLong();
}

std::string RowReader::text(int column) const {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) {
        const SqliteApi& api = *api_;
        const int type = api.columnType(stmt_, column);
        if (type == SQLITE_NULL) return {};
        if (type == SQLITE_TEXT) {
            const auto* bytes = reinterpret_cast<const char*>(api.columnText(stmt_, column));
            const std::string_view s(bytes,
                                     static_cast<std::size_t>(api.columnBytes(stmt_, column)));
            if (Ascii(s)) return std::string(s);
        }
        return value(column).toString().toStdString();
    }
#endif
    return query_.value(column).toString().toStdString();
}

QVariant RowReader::value(int column) const {
#ifdef HALBERON_DIRECT_SQLITE
    if (stmt_ != nullptr) {
        const SqliteApi& api = *api_;
        switch (api.columnType(stmt_, column)) {
            case SQLITE_INTEGER:
                return QVariant(static_cast<qlonglong>(api.columnInt64(stmt_, column)));
            case SQLITE_FLOAT:
                return QVariant(api.columnDouble(stmt_, column));
            case SQLITE_BLOB: {
                const auto* blob = static_cast<const char*>(api.columnBlob(stmt_, column));
                return QVariant(QByteArray(blob, api.columnBytes(stmt_, column)));
            }
            case SQLITE_NULL:
                return QVariant(QMetaType::fromType<QString>());
            default: {
                const auto* bytes = reinterpret_cast<const char*>(api.columnText(stmt_, column));
                return QVariant(QString::fromUtf8(bytes, api.columnBytes(stmt_, column)));
            }
        }
    }
#endif
    return query_.value(column);
}

}  // namespace backend
