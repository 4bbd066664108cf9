#include "backend/demo_writer.h"

#include <QJsonObject>

#include "backend/numbers.h"
#include "backend/sql_values.h"
#include "records/errors.h"

namespace backend {

std::uint64_t DemoRandom::next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

int DemoRandom::between(int low, int high) {
    if (high <= low) return low;
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(next() % span);
}

BulkInsert::BulkInsert(Sql& sql, QString table, QStringList columns, int rowsPerStatement)
    : sql_(sql),
      table_(std::move(table)),
      columns_(std::move(columns)),
      rowsPerStatement_(rowsPerStatement) {}

QString BulkInsert::statement(int rows) const {
    QStringList marks;
    for (int i = 0; i < columns_.size(); ++i) marks << QStringLiteral("?");
    const QString one = QLatin1Char('(') + marks.join(QLatin1Char(',')) + QLatin1Char(')');
    QStringList all;
    for (int i = 0; i < rows; ++i) all << one;
    return QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
        .arg(table_, columns_.join(QLatin1Char(',')), all.join(QLatin1Char(',')));
}

void BulkInsert::add(const QVariantList& row) {
    pending_ += row;
    if (pending_.size() < rowsPerStatement_ * columns_.size()) return;
    if (!full_) full_ = sql_.prepare(statement(rowsPerStatement_));
    sql_.run(*full_, pending_);
    pending_.clear();
}

void BulkInsert::flush() {
    if (pending_.isEmpty()) return;
    const int rows = static_cast<int>(pending_.size() / columns_.size());
    sql_.exec(statement(rows), pending_);
    pending_.clear();
}

std::int64_t CheckDigit(std::int64_t number) {
    std::int64_t sum = 0;
    bool three = true;
    for (std::int64_t n = number; n > 0; n /= 10, three = !three) sum += (n % 10) * (three ? 3 : 1);
    return (10 - sum % 10) % 10;
}

DemoWriter::DemoWriter(Sql& sql, QDate today, std::uint64_t seed)
    : sql_(sql),
      today_(today),
      random_(seed),
      receivableRows_(sql, QStringLiteral("receivables"),
                      {QStringLiteral("rcvbl_nbr"), QStringLiteral("check_nbr"),
                       QStringLiteral("type_code"), QStringLiteral("cust_id"),
                       QStringLiteral("case_key"), QStringLiteral("transaction_date"),
                       QStringLiteral("transaction_nbr"), QStringLiteral("status"),
                       QStringLiteral("due_amount"), QStringLiteral("balance_amount")}) {}

void DemoWriter::officer(std::int64_t id, const QString& name) {
    sql_.exec(QStringLiteral("INSERT INTO officers (officer_id, name) VALUES (?, ?)"
                             " ON CONFLICT DO NOTHING"),
              {static_cast<qlonglong>(id), name});
}

void DemoWriter::user(const QString& name, std::int64_t officer, const QString& fullName,
                      const QStringList& rights) {
    sql_.exec(QStringLiteral("INSERT INTO users (user_name, officer_id, full_name) VALUES (?, ?, ?)"
                             " ON CONFLICT DO NOTHING"),
              {name, static_cast<qlonglong>(officer), fullName});
    for (const QString& right : rights) {
        sql_.exec(QStringLiteral("INSERT INTO user_rights (user_name, right_name) VALUES (?, ?)"
                                 " ON CONFLICT DO NOTHING"),
                  {name, right});
    }
}

void DemoWriter::customer(const messaging::CustomerInfo& c) {
    auto q = [](const std::string& s) { return QVariant(QString::fromStdString(s)); };
    sql_.exec(QStringLiteral("INSERT INTO customers (cust_id, name, cust_type, doc_type,"
                             " mail_address, mail_address2, mail_city, mail_state, mail_zip,"
                             " address2, address2b, city2, state2, zip2, phone, ref_number)"
                             " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
              {q(c.custId), q(c.name), q(c.custType), q(c.docType), q(c.mailAddress),
               q(c.mailAddress2), q(c.mailCity), q(c.mailState), q(c.mailZip), q(c.address2),
               q(c.address2b), q(c.city2), q(c.state2), q(c.zip2), q(c.phone), q(c.refNumber)});
}

ReceivableKey DemoWriter::receivable(const QString& custId, const QDate& issued,
                                     const QString& type, std::int64_t due, std::int64_t balance,
                                     const QString& status, std::optional<std::int64_t> caseKey) {
    const std::int64_t number = nextNumber_++;
    ReceivableKey key{number, CheckDigit(number), type};
    receivableRows_.add({static_cast<qlonglong>(key.number), static_cast<qlonglong>(key.checkDigit),
                         key.type, custId, WholeParam(caseKey), DateParam(issued),
                         QStringLiteral("T%1").arg(number + 40000000), status,
                         static_cast<qlonglong>(due), static_cast<qlonglong>(balance)});
    ++receivables_;
    return key;
}

ReceivableKey DemoWriter::receivableLike(const ReceivableKey& like, const QString& custId,
                                         const QDate& issued, const QString& type, std::int64_t due,
                                         std::int64_t balance) {
    ReceivableKey key{like.number, like.checkDigit, type};
    receivableRows_.add({static_cast<qlonglong>(key.number), static_cast<qlonglong>(key.checkDigit),
                         key.type, custId, WholeParam(std::nullopt), DateParam(issued),
                         QStringLiteral("T%1").arg(like.number + 50000000), ar_status::Open,
                         static_cast<qlonglong>(due), static_cast<qlonglong>(balance)});
    ++receivables_;
    return key;
}

std::int64_t DemoWriter::addCase(const DemoCase& c) {
    auto text = [](const QString& s) {
        return s.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(s);
    };
    QSqlQuery q = sql_.exec(
        QStringLiteral("INSERT INTO cases (cust_id, case_id, status, trustee_phone, trustee_name,"
                       " comment_text, notification_date, court_filing_date, claim_filing_date,"
                       " court_closing_date, officer_id, balance_due, created_by, created_at,"
                       " archived_at) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?)"
                       " RETURNING case_key"),
        {c.custId, c.caseId, c.status, text(c.trusteePhone), text(c.trusteeName), text(c.comment),
         DateParam(c.notification), DateParam(c.filing), DateParam(c.claim), DateParam(c.closing),
         static_cast<qlonglong>(c.officer), QStringLiteral("demo"), NowStamp(),
         c.archived ? QVariant(NowStamp()) : QVariant(QMetaType::fromType<QString>())});
    if (!q.next()) throw records::Error(kDatabaseError, "A demo case got no key.");
    const std::int64_t key = q.value(0).toLongLong();
    q.finish();
    ++cases_;
    return key;
}

void DemoWriter::settleCaseTotal(std::int64_t caseKey) {
    receivableRows_.flush();
    // Written-off receivables have no balance left: their case keeps what was due.
    sql_.exec(QStringLiteral("UPDATE cases SET balance_due = (SELECT CAST(COALESCE(SUM(CASE WHEN"
                             " status = 'W' THEN due_amount ELSE balance_amount END), 0) AS BIGINT)"
                             " FROM receivables WHERE case_key = ?) WHERE case_key = ?"),
              {static_cast<qlonglong>(caseKey), static_cast<qlonglong>(caseKey)});
    const CaseRecord c = *LoadCase(sql_, caseKey);
    RecordHistory(sql_, c, QStringLiteral("ADD"), QStringLiteral("demo"), {}, Snapshot(c));
}

void DemoWriter::payment(std::int64_t caseKey, std::int64_t amount, const QDate& paidOn,
                         const QString& check, const QString& poster) {
    const std::int64_t receipt = DrawNumber(sql_, QStringLiteral("R"), poster);
    sql_.exec(QStringLiteral("INSERT INTO payments (case_key, receipt_nbr, check_nbr, amount,"
                             " paid_on, posted_by, posted_at) VALUES (?, ?, ?, ?, ?, ?, ?)"),
              {static_cast<qlonglong>(caseKey), QString::number(receipt), check,
               static_cast<qlonglong>(amount), DateParam(paidOn), poster, NowStamp()});
    ++payments_;
}

void DemoWriter::flush() {
    receivableRows_.flush();
}

}  // namespace backend
