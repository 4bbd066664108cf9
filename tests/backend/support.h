#pragma once
// Back-end tests run on a temporary SQLite file and, when HALBERON_TEST_PG_URL names a server,
// on a schema of their own in PostgreSQL.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backend/database.h"
#include "backend/sql_backend.h"
#include "messaging/backend_api.h"
#include "messaging/date_serials.h"
#include "records/recordset.h"

namespace backend::test {

// A database of its own for one test: a file in a temporary folder, or a PostgreSQL schema that
// is dropped afterwards. Skips the test when PostgreSQL is asked for and not given.
class ScratchDatabase {
  public:
    explicit ScratchDatabase(Dialect dialect);
    ~ScratchDatabase();
    bool available() const { return !location_.isEmpty(); }
    const QString& location() const { return location_; }
    static QString SkipReason();

  private:
    Dialect dialect_;
    QTemporaryDir dir_;
    QString location_, schema_;
};

using Fields = std::map<std::string, records::Value>;
using Strings = std::vector<std::string>;

inline QString S(const char* s) {
    return QString::fromUtf8(s);
}

inline records::Date Day(const QDate& d) {
    return messaging::SerialFromQDate(d);
}

// A part of the layout with these rows (fields not named are Null).
records::RecordsetPtr Rows(std::string_view layout, const std::vector<Fields>& rows);

messaging::Request MakeRequest(const std::string& word, const std::string& user,
                               const std::vector<std::pair<std::string, std::string>>& criteria,
                               std::vector<messaging::NamedPart> parts = {});

// The rows of an answer part as JSON, or an empty array when the part is missing.
QJsonArray Part(const messaging::Answer& answer, const std::string& name);
std::vector<std::string> PartNames(const messaging::Answer& answer);
// COMPLETION_CD of every notification row.
std::vector<std::string> Codes(const messaging::Answer& answer);
std::string Messages(const messaging::Answer& answer);
// Passes when the answer has no notification rows, else fails with their texts.
::testing::AssertionResult Ok(const messaging::Answer& answer);

// The named fields of a row, "|"-joined ("-" for Null): several fields in one assertion.
std::string Pick(const QJsonValue& row, const char* spaceSeparatedNames);
// Every row the query answers, "a|b|...;" each.
std::string Select(Sql& sql, const QString& query, const QVariantList& params = {});
// Every row of every table, in a fixed order: equal before and after means nothing changed.
std::string Fingerprint(Sql& sql);

// An update of Bram's open case 2020BK0001 (customer 1002) keeping its recorded dates; `extra`
// adds or replaces fields.
Fields BramUpdate(const Fields& extra = {});
// A payment on Bram's case under the receipt; `extra` adds or replaces fields.
Fields BramPayment(const std::string& receipt, const Fields& extra = {});
// A receivable as an "ACCOUNT" row that ties it.
Fields TieRow(const QJsonValue& receivable);

// A test with its own database filled with the demo fixtures (and a few generated customers).
class BackEndTest : public ::testing::TestWithParam<Dialect> {
  protected:
    void SetUp() override;
    void TearDown() override;

    messaging::Answer Send(const std::string& word, const std::string& user,
                           const std::vector<std::pair<std::string, std::string>>& criteria,
                           std::vector<messaging::NamedPart> parts = {});
    // CASES of the customer, one JSON row per case.
    QJsonArray CasesOf(const std::string& custId);
    QJsonArray OpenArsOf(const std::string& custId);
    // CASEARS: the receivables tied to the case, or to every case of the customer.
    QJsonArray TiedArsOf(const std::string& custId, const std::string& caseId = {});
    // ADDUPDATE or PROCESS of one case row (and further parts), as the screen sends it.
    messaging::Answer Change(const std::string& word, const std::string& user, const Fields& row,
                             std::vector<messaging::NamedPart> more = {});
    QJsonObject CaseRow(const std::string& custId, const std::string& caseId);
    // A one-row "BANKRUPTCY" part.
    messaging::NamedPart CasePart(const Fields& fields);
    messaging::NamedPart AccountPart(const QJsonArray& receivables);
    Sql& sql() { return backEnd->connection(); }

    std::unique_ptr<ScratchDatabase> database;
    std::unique_ptr<SqlBackEnd> backEnd;
    QDate today;
};

std::string DialectName(const ::testing::TestParamInfo<Dialect>& info);

#define HALBERON_BACKEND_SUITE(suite)                                                  \
    INSTANTIATE_TEST_SUITE_P(                                                          \
        Engines, suite,                                                                \
        ::testing::Values(::backend::Dialect::SQLite, ::backend::Dialect::PostgreSQL), \
        ::backend::test::DialectName)

}  // namespace backend::test
