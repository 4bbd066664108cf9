#include "backend/schema.h"

#include <QSqlQuery>
#include <functional>
#include <map>
#include <vector>

#include "backend/case_store.h"
#include "backend/sql_values.h"
#include "backend/transaction.h"
#include "records/errors.h"

namespace backend {
namespace {

// Serialises upgrades of one PostgreSQL database between processes.
constexpr qint64 kUpgradeLockKey = 0x48414C42;

struct CodeSeed {
    const char* table;
    const char* code;
    const char* description;
};

// The code tables that the screen shows descriptions from.
constexpr CodeSeed kCodeSeeds[] = {
    {"BNKRPTCY", "O", "Open"},
    {"BNKRPTCY", "D", "Dismissed"},
    {"BNKRPTCY", "W", "Written Off"},
    {"CSTATUS", "O", "Open"},
    {"CSTATUS", "B", "In Bankruptcy"},
    {"CSTATUS", "W", "Written Off"},
    {"CSTATUS", "P", "Paid"},
    {"REFDOCTYP", "INV", "Invoice"},
    {"REFDOCTYP", "ASMT", "Assessment"},
    {"REFDOCTYP", "LATE", "Late Charge"},
    {"REFDOCTYP", "INTR", "Interest"},
    {"REFDOCTYP", "RTCK", "Returned Check"},
    {"REFDOCTYP", "ADJ", "Adjustment"},
};

void Step1(Sql& sql) {
    const QString id = sql.identityColumn();
    const QStringList statements = {
        QStringLiteral("CREATE TABLE schema_info (version INTEGER NOT NULL)"),
        QStringLiteral("INSERT INTO schema_info (version) VALUES (0)"),
        QStringLiteral(
            "CREATE TABLE code_values (table_name VARCHAR(20) NOT NULL, code VARCHAR(10) NOT NULL,"
            " description VARCHAR(60) NOT NULL, sort_order INTEGER NOT NULL DEFAULT 0,"
            " PRIMARY KEY (table_name, code))"),
        QStringLiteral("CREATE TABLE officers (officer_id BIGINT PRIMARY KEY,"
                       " name VARCHAR(60) NOT NULL)"),
        QStringLiteral("CREATE TABLE users (user_name VARCHAR(40) PRIMARY KEY,"
                       " officer_id BIGINT REFERENCES officers (officer_id),"
                       " full_name VARCHAR(60))"),
        QStringLiteral("CREATE TABLE user_rights ("
                       " user_name VARCHAR(40) NOT NULL REFERENCES users (user_name),"
                       " right_name VARCHAR(40) NOT NULL, PRIMARY KEY (user_name, right_name))"),
        QStringLiteral(
            "CREATE TABLE customers (cust_id VARCHAR(12) PRIMARY KEY, name VARCHAR(60) NOT NULL,"
            " cust_type VARCHAR(10), doc_type VARCHAR(10),"
            " mail_address VARCHAR(60), mail_address2 VARCHAR(60), mail_city VARCHAR(40),"
            " mail_state VARCHAR(20), mail_zip VARCHAR(12),"
            " address2 VARCHAR(60), address2b VARCHAR(60), city2 VARCHAR(40),"
            " state2 VARCHAR(20), zip2 VARCHAR(12),"
            " phone VARCHAR(15), ref_number VARCHAR(20))"),
        QStringLiteral("CREATE INDEX customers_name ON customers (name)"),
        QStringLiteral(
            "CREATE TABLE cases (case_key %1,"
            " cust_id VARCHAR(12) NOT NULL REFERENCES customers (cust_id),"
            " case_id VARCHAR(20) NOT NULL, status CHAR(1) NOT NULL,"
            " trustee_phone VARCHAR(15), trustee_name VARCHAR(50), comment_text VARCHAR(255),"
            " notification_date DATE, court_filing_date DATE, claim_filing_date DATE,"
            " court_closing_date DATE, officer_id BIGINT REFERENCES officers (officer_id),"
            " balance_due BIGINT NOT NULL DEFAULT 0,"
            " created_by VARCHAR(40), created_at VARCHAR(32), archived_at VARCHAR(32))")
            .arg(id),
        // A case number may come back only after every earlier case with it was dismissed.
        QStringLiteral("CREATE UNIQUE INDEX cases_live_number ON cases (cust_id, case_id)"
                       " WHERE status <> 'D'"),
        QStringLiteral("CREATE INDEX cases_customer ON cases (cust_id)"),
        QStringLiteral(
            "CREATE TABLE receivables (rcvbl_nbr BIGINT NOT NULL, check_nbr BIGINT NOT NULL,"
            " type_code VARCHAR(6) NOT NULL,"
            " cust_id VARCHAR(12) NOT NULL REFERENCES customers (cust_id),"
            " case_key BIGINT REFERENCES cases (case_key),"
            " transaction_date DATE, transaction_nbr VARCHAR(20), status VARCHAR(2) NOT NULL,"
            " due_amount BIGINT NOT NULL, balance_amount BIGINT NOT NULL,"
            " PRIMARY KEY (rcvbl_nbr, check_nbr, type_code))"),
        QStringLiteral("CREATE INDEX receivables_customer ON receivables (cust_id)"),
        QStringLiteral("CREATE INDEX receivables_case ON receivables (case_key)"),
        QStringLiteral("CREATE TABLE payments (payment_id %1,"
                       " case_key BIGINT NOT NULL REFERENCES cases (case_key),"
                       " receipt_nbr VARCHAR(12) NOT NULL UNIQUE, check_nbr VARCHAR(20),"
                       " amount BIGINT NOT NULL, paid_on DATE NOT NULL,"
                       " posted_by VARCHAR(40), posted_at VARCHAR(32))")
            .arg(id),
        QStringLiteral("CREATE INDEX payments_case ON payments (case_key)"),
        QStringLiteral("CREATE TABLE number_sequences (kind VARCHAR(4) PRIMARY KEY,"
                       " last_value BIGINT NOT NULL)"),
        QStringLiteral("CREATE TABLE returned_numbers ("
                       " kind VARCHAR(4) NOT NULL REFERENCES number_sequences (kind),"
                       " number BIGINT NOT NULL, returned_by VARCHAR(40), returned_at VARCHAR(32),"
                       " PRIMARY KEY (kind, number))"),
        QStringLiteral(
            "CREATE TABLE case_history (history_id %1,"
            " case_key BIGINT NOT NULL REFERENCES cases (case_key),"
            " cust_id VARCHAR(12) NOT NULL, case_id VARCHAR(20) NOT NULL,"
            " action VARCHAR(10) NOT NULL, sender VARCHAR(40), changed_at VARCHAR(32) NOT NULL,"
            " before_values TEXT, after_values TEXT)")
            .arg(id),
        QStringLiteral("CREATE INDEX case_history_case ON case_history (case_key)"),
        QStringLiteral("INSERT INTO number_sequences (kind, last_value) VALUES ('R', 100000)"),
        QStringLiteral("INSERT INTO number_sequences (kind, last_value) VALUES ('F', 700000)"),
    };
    for (const QString& s : statements) sql.exec(s);
    int order = 0;
    for (const CodeSeed& seed : kCodeSeeds) {
        sql.exec(
            QStringLiteral("INSERT INTO code_values (table_name, code, description, sort_order)"
                           " VALUES (?, ?, ?, ?)"),
            {QString::fromUtf8(seed.table), QString::fromUtf8(seed.code),
             QString::fromUtf8(seed.description), ++order});
    }
}

// Version 2: every drawn number remembers who holds it, so only its holder can hand it back.
void Step2(Sql& sql) {
    sql.exec(
        QStringLiteral("CREATE TABLE issued_numbers ("
                       " kind VARCHAR(4) NOT NULL REFERENCES number_sequences (kind),"
                       " number BIGINT NOT NULL, holder VARCHAR(40), issued_at VARCHAR(32),"
                       " PRIMARY KEY (kind, number))"));
    // Numbers drawn before this version: those carried by payments and those in the pool.
    const QString digitsOnly = sql.isPostgres() ? QStringLiteral("receipt_nbr ~ '^[0-9]{1,18}$'")
                                                : QStringLiteral(
                                                      "receipt_nbr NOT GLOB '*[^0-9]*'"
                                                      " AND length(receipt_nbr) "
                                                      "BETWEEN 1 AND 18");
    sql.exec(QStringLiteral("INSERT INTO issued_numbers (kind, number, holder, issued_at)"
                            " SELECT 'R', CAST(receipt_nbr AS BIGINT), posted_by, posted_at"
                            " FROM payments WHERE %1")
                 .arg(digitsOnly));
    sql.exec(
        QStringLiteral("INSERT INTO issued_numbers (kind, number, holder, issued_at)"
                       " SELECT r.kind, r.number, NULL, r.returned_at FROM returned_numbers r"
                       " WHERE NOT EXISTS (SELECT 1 FROM issued_numbers i"
                       "                   WHERE i.kind = r.kind AND i.number = r.number)"));
}

// Version 3: trustee names as long as the case dialog takes them (72 characters). SQLite keeps
// any length in a VARCHAR column; PostgreSQL needs the column widened.
void Step3(Sql& sql) {
    if (sql.isPostgres()) {
        sql.exec(QStringLiteral("ALTER TABLE cases ALTER COLUMN trustee_name TYPE VARCHAR(72)"));
    }
}

// Version 4: a case number is one number whatever its letter case, stored in upper case. A
// dismissed case followed by a later case of the same number leaves the case list, as adding the
// later case does now. Two cases in force whose numbers differ only in letter case can not both
// keep their number: the upgrade stops and names them, changing nothing.
void Step4(Sql& sql) {
    struct Listed {
        qlonglong key;
        QString custId, number, status;
        bool archived;
    };
    std::vector<Listed> cases;
    {
        QSqlQuery q =
            sql.exec(QStringLiteral("SELECT case_key, cust_id, case_id, status,"
                                    " archived_at FROM cases ORDER BY case_key"));
        while (q.next()) {
            cases.push_back({q.value(0).toLongLong(), q.value(1).toString(), q.value(2).toString(),
                             q.value(3).toString().trimmed(), !q.value(4).isNull()});
        }
    }
    std::map<std::pair<QString, QString>, const Listed*> inForce;
    QStringList clashes;
    for (const Listed& c : cases) {
        if (c.status == QLatin1String("D")) continue;
        const auto [it, added] = inForce.emplace(std::pair{c.custId, CaseNumber(c.number)}, &c);
        if (!added) {
            clashes << QStringLiteral("customer %1: %2 and %3")
                           .arg(c.custId, it->second->number, c.number);
        }
    }
    if (!clashes.isEmpty()) {
        throw records::Error(
            kDatabaseError,
            QStringLiteral("The tables can not be brought to version 4: cases in force differ "
                           "only in the letter case of their number (%1). Dismiss or renumber one "
                           "of each pair with a program of version 3, then start again.")
                .arg(clashes.join(QStringLiteral("; ")))
                .toStdString());
    }
    const QString stamp = NowStamp();
    std::map<std::pair<QString, QString>, qlonglong> latest;
    for (const Listed& c : cases) {
        if (!c.archived) latest[{c.custId, CaseNumber(c.number)}] = c.key;
    }
    for (const Listed& c : cases) {
        const QString number = CaseNumber(c.number);
        if (number != c.number) {
            sql.exec(QStringLiteral("UPDATE cases SET case_id = ? WHERE case_key = ?"),
                     {number, c.key});
            sql.exec(QStringLiteral("UPDATE case_history SET case_id = ? WHERE case_key = ?"),
                     {number, c.key});
        }
        if (!c.archived && c.status == QLatin1String("D") && latest[{c.custId, number}] != c.key) {
            sql.exec(QStringLiteral("UPDATE cases SET archived_at = ? WHERE case_key = ?"),
                     {stamp, c.key});
            sql.exec(QStringLiteral("INSERT INTO case_history (case_key, cust_id, case_id, action,"
                                    " changed_at) VALUES (?, ?, ?, 'ARCHIVE', ?)"),
                     {c.key, c.custId, number, stamp});
        }
    }
}

const std::vector<std::function<void(Sql&)>>& Steps() {
    static const std::vector<std::function<void(Sql&)>> steps = {Step1, Step2, Step3, Step4};
    return steps;
}

bool HasVersionTable(Sql& sql) {
    const QString probe = sql.isPostgres() ? QStringLiteral(
                                                 "SELECT COUNT(*) FROM information_schema.tables"
                                                 " WHERE table_schema = current_schema()"
                                                 " AND table_name = 'schema_info'")
                                           : QStringLiteral(
                                                 "SELECT COUNT(*) FROM sqlite_master"
                                                 " WHERE type = 'table' AND name = 'schema_info'");
    return sql.scalar(probe).toLongLong() > 0;
}

}  // namespace

int SchemaVersion(Sql& sql) {
    if (!HasVersionTable(sql)) return 0;
    return sql.scalar(QStringLiteral("SELECT MAX(version) FROM schema_info")).toInt();
}

void UpgradeSchema(Sql& sql, int target) {
    static_assert(kSchemaVersion == 4, "add the step of the new version to Steps()");
    if (target > kSchemaVersion || target < 1) target = kSchemaVersion;
    Transaction tx(sql, Transaction::Kind::Write);
    if (sql.isPostgres()) {
        sql.exec(QStringLiteral("SELECT pg_advisory_xact_lock(?)"), {kUpgradeLockKey});
    }
    const int current = SchemaVersion(sql);
    if (current > kSchemaVersion) {
        throw records::Error(
            kDatabaseError,
            QStringLiteral("The database has version %1 of the tables; this program knows "
                           "versions up to %2. Use a newer program.")
                .arg(current)
                .arg(kSchemaVersion)
                .toStdString());
    }
    if (current >= target) return;
    for (int v = current + 1; v <= target; ++v) Steps()[static_cast<std::size_t>(v - 1)](sql);
    sql.exec(QStringLiteral("UPDATE schema_info SET version = ?"), {target});
    tx.commit();
}

}  // namespace backend
