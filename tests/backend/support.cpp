#include "support.h"

#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

#include "backend/demo_data.h"
#include "backend/json_parts.h"
#include "records/layouts.h"

namespace backend::test {

ScratchDatabase::ScratchDatabase(Dialect dialect) : dialect_(dialect) {
    if (dialect == Dialect::SQLite) {
        location_ = dir_.filePath(QStringLiteral("backend.sqlite"));
        return;
    }
    const QString base = qEnvironmentVariable("HALBERON_TEST_PG_URL");
    if (base.isEmpty()) return;
    schema_ = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
    location_ = base +
                (base.contains(QLatin1Char('?')) ? QStringLiteral("&") : QStringLiteral("?")) +
                QStringLiteral("schema=") + schema_;
}

ScratchDatabase::~ScratchDatabase() {
    if (dialect_ != Dialect::PostgreSQL || schema_.isEmpty()) return;
    const QString name = QStringLiteral("scratch-drop-") + schema_;
    {
        DatabaseLocation loc = DatabaseLocation::Parse(location_);
        loc.schema.clear();
        QSqlDatabase db = OpenConnection(loc, name);
        Sql sql(db, Dialect::PostgreSQL);
        sql.exec(QStringLiteral("DROP SCHEMA IF EXISTS \"%1\" CASCADE").arg(schema_));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

QString ScratchDatabase::SkipReason() {
    return QStringLiteral(
        "HALBERON_TEST_PG_URL is not set, so the PostgreSQL run of this test is "
        "skipped (scripts/test.sh starts a scratch server and sets it).");
}

records::RecordsetPtr Rows(std::string_view layout, const std::vector<Fields>& rows) {
    records::RecordsetPtr rs = records::OpenLayoutRecordset(layout);
    for (const Fields& row : rows) {
        std::vector<std::string> names;
        std::vector<records::Value> values;
        for (const auto& [name, value] : row) {
            names.push_back(name);
            values.push_back(value);
        }
        rs->AddNew(names, values);
    }
    rs->UpdateBatch();
    return rs;
}

messaging::Request MakeRequest(const std::string& word, const std::string& user,
                               const std::vector<std::pair<std::string, std::string>>& criteria,
                               std::vector<messaging::NamedPart> parts) {
    messaging::Request r;
    r.theme = std::string(messaging::kAppTitle) + word;
    r.senderId = user;
    r.version = "1.0";
    r.serviceCode = (word == "CASES" || word == "CASEHIST")      ? 16
                    : (word == "ADDUPDATE" || word == "PROCESS") ? 17
                                                                 : 58;
    r.messageKey = QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    for (const auto& [key, value] : criteria) {
        r.criteria.push_back({messaging::kAppName, "key:" + key, "=", value});
    }
    r.parts = std::move(parts);
    return r;
}

QJsonArray Part(const messaging::Answer& answer, const std::string& name) {
    for (const auto& part : answer.parts) {
        if (part.name == name && part.rows) return RowsToJson(*part.rows);
    }
    return {};
}

std::vector<std::string> PartNames(const messaging::Answer& answer) {
    std::vector<std::string> names;
    for (const auto& part : answer.parts) names.push_back(part.name);
    return names;
}

std::vector<std::string> Codes(const messaging::Answer& answer) {
    std::vector<std::string> codes;
    for (const QJsonValue& row : Part(answer, "NOTIFICATION"))
        codes.push_back(Pick(row, "COMPLETION_CD"));
    return codes;
}

std::string Messages(const messaging::Answer& answer) {
    std::string text;
    for (const QJsonValue& row : Part(answer, "NOTIFICATION"))
        text += Pick(row, "COMPLETION_CD COMPLETION_MSG LOCATION NOTE") + "\n";
    return text;
}

::testing::AssertionResult Ok(const messaging::Answer& answer) {
    if (Codes(answer).empty()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Messages(answer);
}

std::string Pick(const QJsonValue& row, const char* spaceSeparatedNames) {
    std::string out;
    for (const QString& name : S(spaceSeparatedNames).split(QLatin1Char(' '))) {
        const QJsonValue v = row[name];
        out += (out.empty() ? "" : "|") + (v.isNull() || v.isUndefined()
                                               ? std::string("-")
                                               : v.toVariant().toString().toStdString());
    }
    return out;
}

std::string Select(Sql& sql, const QString& query, const QVariantList& params) {
    QSqlQuery q = sql.exec(query, params);
    std::string out;
    while (q.next()) {
        for (int i = 0; i < q.record().count(); ++i) {
            out += i == 0 ? "" : "|";
            out += q.value(i).isNull() ? "-" : q.value(i).toString().toStdString();
        }
        out += ";";
    }
    return out;
}

std::string Fingerprint(Sql& sql) {
    static const char* tables[] = {
        "schema_info",      "code_values",    "officers",    "users",    "user_rights",
        "customers",        "cases",          "receivables", "payments", "number_sequences",
        "returned_numbers", "issued_numbers", "case_history"};
    std::string out;
    for (const char* table : tables) {
        QSqlQuery probe = sql.exec(QStringLiteral("SELECT * FROM %1 LIMIT 1").arg(table));
        QStringList order;
        for (int i = 1; i <= probe.record().count(); ++i) order << QString::number(i);
        out += std::string("#") + table + "\n" +
               Select(sql, QStringLiteral("SELECT * FROM %1 ORDER BY %2")
                               .arg(table, order.join(QLatin1Char(','))));
    }
    return out;
}

Fields BramUpdate(const Fields& extra) {
    Fields f{{"ACTION", "UPD"},
             {"CUST_ID", "1002"},
             {"CASE_ID", "2020BK0001"},
             {"BNKRPTCY_CMMT_TXT", "Changed"},
             {"NTFCTN_DT", Day(QDate(2020, 2, 10))},
             {"CRT_FILE_DT", Day(QDate(2020, 1, 27))},
             {"CLM_FILE_DT", Day(QDate(2020, 3, 16))}};
    for (const auto& [k, v] : extra) f[k] = v;
    return f;
}

Fields BramPayment(const std::string& receipt, const Fields& extra) {
    Fields f{{"ACTION", "PAY"},         {"CUST_ID", "1002"},
             {"CASE_ID", "2020BK0001"}, {"BNKRPTCY_CMMT_TXT", "Trustee payment"},
             {"FRCPT_NBR", receipt},    {"FUND_RFRNC_NBR", "CK-1"},
             {"FUND_AMT", "$25.00"}};
    for (const auto& [k, v] : extra) f[k] = v;
    return f;
}

Fields TieRow(const QJsonValue& r) {
    return {{"ACTION", "UPD"},
            {"ACCT_RCVBL_NBR", static_cast<long long>(r[S("ACCT_RCVBL_NBR")].toInteger())},
            {"ACCT_RCVBL_CK_NBR", static_cast<long long>(r[S("ACCT_RCVBL_CK_NBR")].toInteger())},
            {"ACCT_RCVBL_TYP_CD", r[S("ACCT_RCVBL_TYP_CD")].toString().toStdString()}};
}

void BackEndTest::SetUp() {
    database = std::make_unique<ScratchDatabase>(GetParam());
    if (!database->available()) GTEST_SKIP() << ScratchDatabase::SkipReason().toStdString();
    backEnd = std::make_unique<SqlBackEnd>(DatabaseLocation::Parse(database->location()));
    today = QDate::currentDate();
    DemoOptions options;
    options.generatedCustomers = 12;
    options.today = today;
    CreateDemoData(backEnd->connection(), options);
}

void BackEndTest::TearDown() {
    backEnd.reset();
    database.reset();
}

messaging::Answer BackEndTest::Send(
    const std::string& word, const std::string& user,
    const std::vector<std::pair<std::string, std::string>>& criteria,
    std::vector<messaging::NamedPart> parts) {
    return backEnd->Handle(MakeRequest(word, user, criteria, std::move(parts)));
}

QJsonArray BackEndTest::CasesOf(const std::string& custId) {
    return Part(Send("CASES", "officer", {{"CUST_ID", custId}, {"thin", "Yes"}}), "BANKRUPTCY");
}

QJsonArray BackEndTest::OpenArsOf(const std::string& custId) {
    return Part(
        Send("OPENARS", "officer",
             {{"CUST_ID", custId}, {"ACCT_STATUS_CD", "O"}, {"thin", "Yes"}, {"ALERTS", "N"}}),
        "ACNTSRCVBL");
}

QJsonObject BackEndTest::CaseRow(const std::string& custId, const std::string& caseId) {
    for (const QJsonValue& row : CasesOf(custId)) {
        if (row[QStringLiteral("CASE_ID")].toString().toStdString() == caseId) {
            return row.toObject();
        }
    }
    return {};
}

messaging::NamedPart BackEndTest::CasePart(const Fields& fields) {
    return {"BANKRUPTCY", Rows(records::kLayoutBankruptcy, {fields})};
}

messaging::NamedPart BackEndTest::AccountPart(const QJsonArray& receivables) {
    std::vector<Fields> rows;
    for (const QJsonValue& r : receivables) rows.push_back(TieRow(r));
    return {"ACCOUNT", Rows(records::kLayoutAccntRecv, rows)};
}

QJsonArray BackEndTest::TiedArsOf(const std::string& custId, const std::string& caseId) {
    std::vector<std::pair<std::string, std::string>> criteria{{"CUST_ID", custId}};
    if (!caseId.empty()) criteria.emplace_back("CASE_ID", caseId);
    return Part(Send("CASEARS", "officer", criteria), "ACNTSRCVBL");
}

messaging::Answer BackEndTest::Change(const std::string& word, const std::string& user,
                                      const Fields& row, std::vector<messaging::NamedPart> more) {
    more.insert(more.begin(), CasePart(row));
    return Send(word, user, {{"thin", "Yes"}}, std::move(more));
}

std::string DialectName(const ::testing::TestParamInfo<Dialect>& info) {
    return info.param == Dialect::SQLite ? "SQLite" : "PostgreSQL";
}

}  // namespace backend::test
