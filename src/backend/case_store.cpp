#include "backend/case_store.h"

#include <QJsonDocument>
#include <QSqlQuery>
#include <algorithm>
#include <string>

#include "backend/change_watch.h"
#include "backend/row_reader.h"
#include "backend/sql_values.h"
#include "messaging/date_serials.h"
#include "records/value_rules.h"

namespace backend {
namespace {

const QString kCaseColumns = QStringLiteral(
    "SELECT case_key, cust_id, case_id, status, trustee_phone, trustee_name, comment_text,"
    " notification_date, court_filing_date, claim_filing_date, court_closing_date, officer_id,"
    " balance_due FROM cases");

const QString kReceivableColumns = QStringLiteral(
    "SELECT r.rcvbl_nbr, r.check_nbr, r.type_code, r.cust_id, r.case_key, c.case_id,"
    " r.transaction_date, r.transaction_nbr, r.status, r.due_amount, r.balance_amount"
    " FROM receivables r LEFT JOIN cases c ON c.case_key = r.case_key");

CaseRecord ReadCase(const QSqlQuery& q) {
    CaseRecord c;
    c.key = q.value(0).toLongLong();
    c.custId = q.value(1).toString();
    c.caseId = q.value(2).toString();
    c.status = q.value(3).toString().trimmed();
    c.trusteePhone = ReadText(q.value(4));
    c.trusteeName = ReadText(q.value(5));
    c.comment = ReadText(q.value(6));
    c.notification = ReadDate(q.value(7));
    c.courtFiling = ReadDate(q.value(8));
    c.claimFiling = ReadDate(q.value(9));
    c.courtClosing = ReadDate(q.value(10));
    c.officer = ReadWhole(q.value(11));
    c.balanceDue = q.value(12).toLongLong();
    return c;
}

void AddPayments(Sql& sql, CaseRecord& c) {
    QSqlQuery totals = sql.exec(QStringLiteral("SELECT COUNT(*), CAST(COALESCE(SUM(amount), 0)"
                                               " AS BIGINT) FROM payments WHERE case_key = ?"),
                                {static_cast<qlonglong>(c.key)});
    if (totals.next()) {
        c.paymentCount = totals.value(0).toLongLong();
        c.paidTotal = totals.value(1).toLongLong();
    }
    if (c.paymentCount == 0) return;
    QSqlQuery last = sql.exec(QStringLiteral("SELECT paid_on, receipt_nbr, amount, check_nbr"
                                             " FROM payments WHERE case_key = ?"
                                             " ORDER BY payment_id DESC LIMIT 1"),
                              {static_cast<qlonglong>(c.key)});
    if (last.next()) {
        c.lastPaymentDate = ReadDate(last.value(0));
        c.lastReceipt = ReadText(last.value(1));
        c.lastAmount = ReadWhole(last.value(2));
        c.lastCheck = ReadText(last.value(3));
    }
}

std::vector<CaseRecord> ReadCases(Sql& sql, QSqlQuery& q) {
    std::vector<CaseRecord> cases;
    while (q.next()) cases.push_back(ReadCase(q));
    for (auto& c : cases) AddPayments(sql, c);
    return cases;
}

ReceivableRecord ReadReceivable(const QSqlQuery& q) {
    ReceivableRecord r;
    r.key.number = q.value(0).toLongLong();
    r.key.checkDigit = q.value(1).toLongLong();
    r.key.type = q.value(2).toString();
    r.custId = q.value(3).toString();
    r.caseKey = ReadWhole(q.value(4));
    r.caseId = q.value(5).toString();
    r.issued = ReadDate(q.value(6));
    r.transactionNumber = ReadText(q.value(7));
    r.status = q.value(8).toString().trimmed();
    r.due = q.value(9).toLongLong();
    r.balance = q.value(10).toLongLong();
    return r;
}

records::Value Text(const std::optional<QString>& s) {
    return s ? records::Value(s->toStdString()) : records::Value::Null();
}
records::Value Text(const QString& s) {
    return records::Value(s.toStdString());
}
records::Value Day(const QDate& d) {
    return d.isValid() ? records::Value(messaging::SerialFromQDate(d)) : records::Value::Null();
}
records::Value Whole(const std::optional<std::int64_t>& n) {
    return n ? records::Value(static_cast<long long>(*n)) : records::Value::Null();
}
records::Value Money(std::int64_t units) {
    return records::Value(records::Currency{units});
}

QJsonValue Json(const std::optional<QString>& s) {
    return s ? QJsonValue(*s) : QJsonValue();
}
QJsonValue Json(const QDate& d) {
    return d.isValid() ? QJsonValue(d.toString(Qt::ISODate)) : QJsonValue();
}
double Amount(std::int64_t units) {
    return static_cast<double>(units) / static_cast<double>(records::Currency::kScale);
}

}  // namespace

QString ReceivableKey::label() const {
    return QStringLiteral("%1-%2 %3")
        .arg(QString::fromStdString(records::ZeroFill(number, 7)))
        .arg(checkDigit)
        .arg(type);
}

std::optional<CaseRecord> LoadCase(Sql& sql, std::int64_t key, bool lock) {
    QSqlQuery q = sql.exec(
        kCaseColumns + QStringLiteral(" WHERE case_key = ?") + (lock ? sql.forUpdate() : QString()),
        {static_cast<qlonglong>(key)});
    auto cases = ReadCases(sql, q);
    if (cases.empty()) return std::nullopt;
    return cases.front();
}

std::vector<CaseRecord> CasesOfCustomer(Sql& sql, const QString& custId) {
    QSqlQuery q =
        sql.exec(kCaseColumns + QStringLiteral(" WHERE cust_id = ? AND archived_at IS NULL"
                                               " ORDER BY court_filing_date, case_key"),
                 {custId});
    return ReadCases(sql, q);
}

QString CaseNumber(const QString& text) {
    QString upper;
    upper.reserve(text.size());
    for (const uint c : text.toUcs4()) upper += QChar::fromUcs4(QChar::toUpper(c));
    return upper;
}

std::vector<CaseRecord> CasesNumbered(Sql& sql, const QString& custId, const QString& caseId) {
    QSqlQuery q = sql.exec(kCaseColumns + QStringLiteral(" WHERE cust_id = ? AND case_id = ?"
                                                         " AND archived_at IS NULL"
                                                         " ORDER BY case_key"),
                           {custId, CaseNumber(caseId)});
    return ReadCases(sql, q);
}

bool CustomerExists(Sql& sql, const QString& custId, bool lock) {
    return sql
        .scalar(QStringLiteral("SELECT cust_id FROM customers WHERE cust_id = ?") +
                    (lock ? sql.forUpdate() : QString()),
                {custId})
        .isValid();
}

bool OfficerExists(Sql& sql, std::int64_t officer) {
    return sql
        .scalar(QStringLiteral("SELECT officer_id FROM officers WHERE officer_id = ?"),
                {static_cast<qlonglong>(officer)})
        .isValid();
}

ReceivableLookup::ReceivableLookup(Sql& sql, bool lock)
    : sql_(sql),
      // PostgreSQL locks rows of a join only with FOR UPDATE OF the table named.
      query_(sql.prepare(
          kReceivableColumns +
          QStringLiteral(" WHERE r.rcvbl_nbr = ? AND r.check_nbr = ?"
                         " AND r.type_code = ?") +
          (lock && sql.isPostgres() ? QStringLiteral(" FOR UPDATE OF r") : QString()))) {}

std::optional<ReceivableRecord> ReceivableLookup::find(const ReceivableKey& key) {
    sql_.run(query_, {static_cast<qlonglong>(key.number), static_cast<qlonglong>(key.checkDigit),
                      key.type});
    std::optional<ReceivableRecord> found;
    if (query_.next()) found = ReadReceivable(query_);
    query_.finish();
    return found;
}

namespace {

const QString kReceivableOrder =
    QStringLiteral(" ORDER BY r.transaction_date, r.rcvbl_nbr, r.check_nbr, r.type_code");

const QString kTiedReceivables = kReceivableColumns + QStringLiteral(" WHERE r.case_key = ?");

bool AsciiSpace(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

// As QString::trimmed: white space off both ends.
std::string TrimmedStatus(std::string s) {
    const bool ascii = std::all_of(s.begin(), s.end(),
                                   [](char ch) { return static_cast<unsigned char>(ch) < 0x80; });
    if (!ascii) return QString::fromStdString(s).trimmed().toStdString();
    const auto first = std::find_if_not(s.begin(), s.end(), AsciiSpace);
    const auto last = std::find_if_not(s.rbegin(), s.rend(), AsciiSpace).base();
    return first < last ? std::string(first, last) : std::string();
}

// A stored day ("YYYY-MM-DD", as SqlDate writes it) as DateValue reads it, without going
// through a QString for the usual form.
records::Value IsoDayValue(const RowReader& row, int column) {
    if (row.isNull(column)) return records::Value::Null();
    const std::string s = row.text(column);
    const auto digits = [&](std::size_t from, std::size_t count) {
        int n = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (s[i] < '0' || s[i] > '9') return -1;
            n = n * 10 + (s[i] - '0');
        }
        return n;
    };
    if (s.size() >= 10 && s[4] == '-' && s[7] == '-') {
        const int y = digits(0, 4), m = digits(5, 2), d = digits(8, 2);
        if (y > 0 && m >= 0 && d >= 0) {
            return QDate::isValid(y, m, d) ? records::Value(records::DateSerial(y, m, d))
                                           : records::Value::Null();
        }
    }
    return DateValue(row.value(column));
}

// The row under the reader (columns as kReceivableColumns) appended to the answer layout, each
// cell read straight into its field.
void AppendReceivableRow(records::Recordset& rs, const RowReader& row, bool withCase,
                         std::vector<records::Value>& cells) {
    // Built once: a customer may have a hundred thousand receivables.
    static const std::vector<std::string> names = {"ACTION",
                                                   "Cust_ID",
                                                   "CASE_ID",
                                                   "TRNSCTN_DT",
                                                   "TRNSCTN_NBR",
                                                   "ACCT_RCVBL_NBR",
                                                   "ACCT_RCVBL_CK_NBR",
                                                   "ACCT_RCVBL_TYP_CD",
                                                   "ACCT_STTS_CD",
                                                   "ACCT_RCVBL_DUE_AMT",
                                                   "ACCT_RCVBL_BAL_AMT",
                                                   "Theme"};
    const bool tied = withCase && !row.isNull(4);
    cells.clear();
    cells.push_back(records::Value::Null());
    cells.emplace_back(row.text(3));
    cells.push_back(tied ? records::Value(row.text(5)) : records::Value::Null());
    cells.push_back(IsoDayValue(row, 6));
    cells.push_back(row.isNull(7) ? records::Value::Null() : records::Value(row.text(7)));
    cells.emplace_back(static_cast<long long>(row.whole(0)));
    cells.emplace_back(static_cast<long long>(row.whole(1)));
    cells.emplace_back(row.text(2));
    cells.emplace_back(TrimmedStatus(row.text(8)));
    cells.push_back(Money(row.whole(9)));
    cells.push_back(Money(row.whole(10)));
    cells.push_back(records::Value::Null());
    rs.AddNew(names, cells);
}

}  // namespace

void AppendOpenReceivableRows(Sql& sql, const QString& custId, records::Recordset& rs) {
    RowReader row(sql,
                  kReceivableColumns +
                      QStringLiteral(" WHERE r.cust_id = ? AND r.status = 'O'"
                                     " AND r.balance_amount > 0"
                                     " AND (c.case_key IS NULL OR c.status <> 'O')") +
                      kReceivableOrder,
                  {custId});
    std::vector<records::Value> cells;
    while (row.next()) AppendReceivableRow(rs, row, false, cells);
}

void AppendTiedReceivableRows(Sql& sql, const std::vector<std::int64_t>& caseKeys,
                              records::Recordset& rs) {
    std::vector<records::Value> cells;
    for (std::int64_t key : caseKeys) {
        RowReader row(sql, kTiedReceivables + kReceivableOrder, {static_cast<qlonglong>(key)});
        while (row.next()) AppendReceivableRow(rs, row, true, cells);
    }
}

std::vector<ReceivableRecord> TiedReceivables(Sql& sql, const std::vector<std::int64_t>& caseKeys) {
    std::vector<ReceivableRecord> list;
    for (std::int64_t key : caseKeys) {
        QSqlQuery q = sql.exec(kTiedReceivables + kReceivableOrder, {static_cast<qlonglong>(key)});
        while (q.next()) list.push_back(ReadReceivable(q));
    }
    return list;
}

void AppendCaseRow(records::Recordset& rs, const CaseRecord& c) {
    const bool paid = c.paymentCount > 0;
    rs.AddNew({"ACTION",
               "CUST_ID",
               "CASE_ID",
               "STTS_CD",
               "TRSTE_PHN_NBR",
               "TRSTE_NM",
               "BNKRPTCY_CMMT_TXT",
               "NTFCTN_DT",
               "CRT_FILE_DT",
               "CLM_FILE_DT",
               "CRT_CLSE_DT",
               "ASGN_OFCR_ID",
               "FRCPT_NBR",
               "FUND_RFRNC_NBR",
               "FUND_AMT",
               "TOT_PYMT_AMT",
               "PYMT_CNT",
               "LST_PYMT_DT",
               "LST_RCPT_NBR",
               "LST_PYMT_AMT",
               "LST_FUND_RFRNC_NBR",
               "TOT_BAL_DUE_AMT",
               "Theme"},
              {records::Value::Null(),
               Text(c.custId),
               Text(c.caseId),
               Text(c.status),
               Text(c.trusteePhone),
               Text(c.trusteeName),
               Text(c.comment),
               Day(c.notification),
               Day(c.courtFiling),
               Day(c.claimFiling),
               Day(c.courtClosing),
               Whole(c.officer),
               records::Value::Null(),
               records::Value::Null(),
               records::Value::Null(),
               Money(c.paidTotal),
               records::Value(static_cast<long long>(c.paymentCount)),
               Day(c.lastPaymentDate),
               paid ? Text(c.lastReceipt) : records::Value::Null(),
               paid && c.lastAmount ? Money(*c.lastAmount) : records::Value::Null(),
               paid ? Text(c.lastCheck) : records::Value::Null(),
               Money(c.balanceDue),
               records::Value::Null()});
}

QJsonObject Snapshot(const CaseRecord& c) {
    QJsonObject o;
    o[QStringLiteral("CUST_ID")] = c.custId;
    o[QStringLiteral("CASE_ID")] = c.caseId;
    o[QStringLiteral("STTS_CD")] = c.status;
    o[QStringLiteral("TRSTE_PHN_NBR")] = Json(c.trusteePhone);
    o[QStringLiteral("TRSTE_NM")] = Json(c.trusteeName);
    o[QStringLiteral("BNKRPTCY_CMMT_TXT")] = Json(c.comment);
    o[QStringLiteral("NTFCTN_DT")] = Json(c.notification);
    o[QStringLiteral("CRT_FILE_DT")] = Json(c.courtFiling);
    o[QStringLiteral("CLM_FILE_DT")] = Json(c.claimFiling);
    o[QStringLiteral("CRT_CLSE_DT")] = Json(c.courtClosing);
    o[QStringLiteral("ASGN_OFCR_ID")] =
        c.officer ? QJsonValue(static_cast<qint64>(*c.officer)) : QJsonValue();
    o[QStringLiteral("TOT_BAL_DUE_AMT")] = Amount(c.balanceDue);
    o[QStringLiteral("TOT_PYMT_AMT")] = Amount(c.paidTotal);
    o[QStringLiteral("PYMT_CNT")] = static_cast<qint64>(c.paymentCount);
    return o;
}

void RecordHistory(Sql& sql, const CaseRecord& c, const QString& action, const QString& sender,
                   const QJsonObject& before, const QJsonObject& after) {
    auto text = [](const QJsonObject& o) {
        return o.isEmpty()
                   ? QVariant(QMetaType::fromType<QString>())
                   : QVariant(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    };
    sql.exec(QStringLiteral("INSERT INTO case_history (case_key, cust_id, case_id, action, sender,"
                            " changed_at, before_values, after_values)"
                            " VALUES (?, ?, ?, ?, ?, ?, ?, ?)"),
             {static_cast<qlonglong>(c.key), c.custId, c.caseId, action, sender, NowStamp(),
              text(before), text(after)});
    // Screens showing the customer hear of it once the change is committed.
    if (sql.isPostgres()) {
        sql.exec(QStringLiteral("SELECT pg_notify(") + ChangeChannelSql() + QStringLiteral(", ?)"),
                 {c.custId});
    }
}

}  // namespace backend
