#pragma once
// Cases and receivables as the back end reads and writes them, their rows in the answer layouts,
// and the case history.

#include <QDate>
#include <QJsonObject>
#include <QSqlQuery>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "backend/database.h"
#include "records/recordset.h"

namespace backend {

// Receivable status codes (code table "CSTATUS").
namespace ar_status {
inline const QString Open = QStringLiteral("O");
inline const QString InBankruptcy = QStringLiteral("B");
inline const QString WrittenOff = QStringLiteral("W");
inline const QString Paid = QStringLiteral("P");
}  // namespace ar_status

// Case status codes (code table "BNKRPTCY").
namespace case_status {
inline const QString Open = QStringLiteral("O");
inline const QString Dismissed = QStringLiteral("D");
inline const QString WrittenOff = QStringLiteral("W");
}  // namespace case_status

struct CaseRecord {
    std::int64_t key = 0;
    QString custId, caseId, status;
    std::optional<QString> trusteePhone, trusteeName, comment;
    QDate notification, courtFiling, claimFiling, courtClosing;  // invalid when not recorded
    std::optional<std::int64_t> officer;
    std::int64_t balanceDue = 0;  // ten-thousandths, fixed when the receivables were tied
    // Sums of the recorded payments.
    std::int64_t paidTotal = 0;
    std::int64_t paymentCount = 0;
    QDate lastPaymentDate;
    std::optional<QString> lastReceipt, lastCheck;
    std::optional<std::int64_t> lastAmount;
};

struct ReceivableKey {
    std::int64_t number = 0, checkDigit = 0;
    QString type;
    QString label() const;  // "0001234-5 INV", as people name a receivable
};

struct ReceivableRecord {
    ReceivableKey key;
    QString custId;
    std::optional<std::int64_t> caseKey;
    QString caseId;  // of the tied case, when there is one
    QDate issued;
    std::optional<QString> transactionNumber;
    QString status;
    std::int64_t due = 0, balance = 0;
};

// `lock` keeps other writers off the row until the transaction ends.
std::optional<CaseRecord> LoadCase(Sql& sql, std::int64_t key, bool lock = false);
// The customer's cases on the case list (those moved into history are not), by court filing
// date.
std::vector<CaseRecord> CasesOfCustomer(Sql& sql, const QString& custId);
// A case number as it is stored and compared: every letter in upper case, so numbers that differ
// only in letter case are one number (each character keeps its place; nothing else changes).
QString CaseNumber(const QString& text);

// The customer's listed cases with that number, whatever its letter case (at most one not
// dismissed).
std::vector<CaseRecord> CasesNumbered(Sql& sql, const QString& custId, const QString& caseId);

bool CustomerExists(Sql& sql, const QString& custId, bool lock = false);
bool OfficerExists(Sql& sql, std::int64_t officer);

// Receivables by their keys, with the statement prepared once.
class ReceivableLookup {
  public:
    ReceivableLookup(Sql& sql, bool lock);
    std::optional<ReceivableRecord> find(const ReceivableKey& key);

  private:
    Sql& sql_;
    QSqlQuery query_;
};
// Tied to the given cases.
std::vector<ReceivableRecord> TiedReceivables(Sql& sql, const std::vector<std::int64_t>& caseKeys);

// Rows of the answer layouts; every field set, Null where there is nothing.
void AppendCaseRow(records::Recordset& rs, const CaseRecord& c);
// The receivables go from the query into the rows as they are read (a customer may have a
// hundred thousand): those open, with a balance due and in no open case (what may go into a new
// case), and those tied to the given cases (with their case numbers).
void AppendOpenReceivableRows(Sql& sql, const QString& custId, records::Recordset& rs);
void AppendTiedReceivableRows(Sql& sql, const std::vector<std::int64_t>& caseKeys,
                              records::Recordset& rs);

// Who changed what, when, with the values before and after.
QJsonObject Snapshot(const CaseRecord& c);
void RecordHistory(Sql& sql, const CaseRecord& c, const QString& action, const QString& sender,
                   const QJsonObject& before, const QJsonObject& after);

}  // namespace backend
