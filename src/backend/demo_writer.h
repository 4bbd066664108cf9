#pragma once
// The demo generator's pen: inserts officers, users, customers, receivables, cases and
// payments, and draws deterministic random values.

#include <QDate>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

#include "backend/case_store.h"
#include "backend/database.h"
#include "messaging/backend_api.h"

namespace backend {

// splitmix64: the same sequence on every platform and compiler.
class DemoRandom {
  public:
    explicit DemoRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next();
    int between(int low, int high);  // both included
    template <class T>
    const T& pick(const std::vector<T>& list) {
        return list[static_cast<std::size_t>(between(0, static_cast<int>(list.size()) - 1))];
    }

  private:
    std::uint64_t state_;
};

// Many rows per INSERT statement: a large customer loads in seconds, also over a network.
class BulkInsert {
  public:
    BulkInsert(Sql& sql, QString table, QStringList columns, int rowsPerStatement = 200);
    void add(const QVariantList& row);
    void flush();

  private:
    QString statement(int rows) const;
    Sql& sql_;
    QString table_;
    QStringList columns_;
    int rowsPerStatement_;
    QVariantList pending_;
    std::optional<QSqlQuery> full_;
};

struct DemoCase {
    QString custId, caseId, status;
    QString trusteeName, trusteePhone, comment;
    QDate notification, filing, claim, closing;
    std::int64_t officer = 101;
    bool archived = false;
};

class DemoWriter {
  public:
    DemoWriter(Sql& sql, QDate today, std::uint64_t seed);

    void officer(std::int64_t id, const QString& name);
    void user(const QString& name, std::int64_t officer, const QString& fullName,
              const QStringList& rights);
    void customer(const messaging::CustomerInfo& c);
    // A receivable with the next number; balance and status as given.
    ReceivableKey receivable(const QString& custId, const QDate& issued, const QString& type,
                             std::int64_t due, std::int64_t balance, const QString& status,
                             std::optional<std::int64_t> caseKey = std::nullopt);
    // The same number again with another type.
    ReceivableKey receivableLike(const ReceivableKey& like, const QString& custId,
                                 const QDate& issued, const QString& type, std::int64_t due,
                                 std::int64_t balance);
    std::int64_t addCase(const DemoCase& c);
    // Fixes the case's balance total to that of its tied receivables (call after tying them).
    void settleCaseTotal(std::int64_t caseKey);
    void payment(std::int64_t caseKey, std::int64_t amount, const QDate& paidOn,
                 const QString& check, const QString& poster);
    void flush();

    DemoRandom& random() { return random_; }
    const QDate& today() const { return today_; }
    void startNumbersAt(std::int64_t next) { nextNumber_ = next; }
    std::int64_t receivablesWritten() const { return receivables_; }
    int casesWritten() const { return cases_; }
    int paymentsWritten() const { return payments_; }

  private:
    Sql& sql_;
    QDate today_;
    DemoRandom random_;
    BulkInsert receivableRows_;
    std::int64_t nextNumber_ = 1000001;
    std::int64_t receivables_ = 0;
    int cases_ = 0, payments_ = 0;
};

// Check digit of a receivable number (weights 3 and 1 from the right, as bar codes do).
std::int64_t CheckDigit(std::int64_t number);

}  // namespace backend
