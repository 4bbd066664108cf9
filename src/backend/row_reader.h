#pragma once
// Reading the rows of one query cell by cell, for answers of many rows. On a SQLite connection
// whose driver uses this program's SQLite library the statement is stepped directly and texts
// come out as UTF-8, with no variant or UTF-16 copy per cell; otherwise (PostgreSQL, a driver
// with its own copy of SQLite) the rows come through QSqlQuery. Either way a cell reads as the
// driver's value would convert.

#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <cstdint>
#include <string>

#include "backend/database.h"

struct sqlite3_stmt;

namespace backend {

struct SqliteApi;

class RowReader {
  public:
    // Runs the statement with positional parameters; throws records::Error as Sql::exec does.
    RowReader(Sql& sql, const QString& statement, const QVariantList& params);
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    // Moves to the next row; false after the last. Throws records::Error on a failed step.
    bool next();

    bool isNull(int column) const;
    // As QVariant::toLongLong: NULL and what is not a number give 0.
    std::int64_t whole(int column) const;
    // As QVariant::toString().toStdString(): NULL gives "".
    std::string text(int column) const;
    // The cell as the driver gives it.
    QVariant value(int column) const;

    // Whether the statement is stepped directly (the tests check both paths read alike).
    bool direct() const { return stmt_ != nullptr; }

  private:
    QString statement_;
    QSqlQuery query_;
    const SqliteApi* api_ = nullptr;
    sqlite3_stmt* stmt_ = nullptr;
};

}  // namespace backend
