#include "backend/numbers.h"

#include <QSqlQuery>

#include "backend/sql_values.h"
#include "records/errors.h"

namespace backend {
namespace {

[[noreturn]] void Refuse(const QString& why) {
    throw records::Error(records::err::InvalidArgument, why.toStdString());
}

bool CarriedByPayment(Sql& sql, const QString& kind, std::int64_t number) {
    if (kind != QLatin1String("R")) return false;
    return sql
        .scalar(QStringLiteral("SELECT payment_id FROM payments WHERE receipt_nbr = ?"),
                {QString::number(number)})
        .isValid();
}

}  // namespace

bool IsNumberKind(const QString& kind) {
    return kind == QLatin1String("R") || kind == QLatin1String("F");
}

std::optional<std::int64_t> ParseNumber(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty() || t.size() > 18) return std::nullopt;
    for (QChar c : t) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    }
    return t.toLongLong();
}

std::int64_t DrawNumber(Sql& sql, const QString& kind, const QString& holder) {
    if (!IsNumberKind(kind)) Refuse(QStringLiteral("Unknown number kind '%1' (R or F).").arg(kind));
    // Locks the sequence row: draws of one kind queue here on PostgreSQL.
    const QVariant last = sql.scalar(
        QStringLiteral("SELECT last_value FROM number_sequences WHERE kind = ?") + sql.forUpdate(),
        {kind});
    if (!last.isValid()) Refuse(QStringLiteral("No sequence for number kind '%1'.").arg(kind));

    // A handed-back number first, the lowest that no payment carries; carried ones leave the
    // pool for good.
    QSqlQuery pooled = sql.exec(QStringLiteral("SELECT number FROM returned_numbers"
                                               " WHERE kind = ? ORDER BY number"),
                                {kind});
    std::vector<std::int64_t> pool;
    while (pooled.next()) pool.push_back(pooled.value(0).toLongLong());
    for (std::int64_t n : pool) {
        sql.exec(QStringLiteral("DELETE FROM returned_numbers WHERE kind = ? AND number = ?"),
                 {kind, static_cast<qlonglong>(n)});
        if (CarriedByPayment(sql, kind, n)) continue;
        sql.exec(QStringLiteral("UPDATE issued_numbers SET holder = ?, issued_at = ?"
                                " WHERE kind = ? AND number = ?"),
                 {holder, NowStamp(), kind, static_cast<qlonglong>(n)});
        return n;
    }

    std::int64_t next = last.toLongLong() + 1;
    while (CarriedByPayment(sql, kind, next)) ++next;
    sql.exec(QStringLiteral("UPDATE number_sequences SET last_value = ? WHERE kind = ?"),
             {static_cast<qlonglong>(next), kind});
    sql.exec(QStringLiteral("INSERT INTO issued_numbers (kind, number, holder, issued_at)"
                            " VALUES (?, ?, ?, ?)"),
             {kind, static_cast<qlonglong>(next), holder, NowStamp()});
    return next;
}

HandBack HandBackNumber(Sql& sql, const QString& kind, std::int64_t number, const QString& holder) {
    if (!IsNumberKind(kind)) Refuse(QStringLiteral("Unknown number kind '%1' (R or F).").arg(kind));
    sql.scalar(
        QStringLiteral("SELECT last_value FROM number_sequences WHERE kind = ?") + sql.forUpdate(),
        {kind});
    QSqlQuery issued = sql.exec(QStringLiteral("SELECT holder FROM issued_numbers"
                                               " WHERE kind = ? AND number = ?"),
                                {kind, static_cast<qlonglong>(number)});
    if (!issued.next()) {
        Refuse(QStringLiteral("Number %1 of kind %2 was never handed out.").arg(number).arg(kind));
    }
    const std::optional<QString> currentHolder = ReadText(issued.value(0));
    if (CarriedByPayment(sql, kind, number)) return HandBack::CarriedByPayment;
    if (sql.scalar(QStringLiteral("SELECT number FROM returned_numbers"
                                  " WHERE kind = ? AND number = ?"),
                   {kind, static_cast<qlonglong>(number)})
            .isValid()) {
        return HandBack::AlreadyPooled;
    }
    if (!holder.isEmpty() && currentHolder && *currentHolder != holder) {
        Refuse(
            QStringLiteral("Number %1 of kind %2 is held by another user.").arg(number).arg(kind));
    }
    sql.exec(
        QStringLiteral("INSERT INTO returned_numbers (kind, number, returned_by, returned_at)"
                       " VALUES (?, ?, ?, ?)"),
        {kind, static_cast<qlonglong>(number), holder.isEmpty() ? QVariant() : holder, NowStamp()});
    return HandBack::Pooled;
}

ReceiptState CheckReceipt(Sql& sql, const QString& receipt, const QString& sender) {
    const auto number = ParseNumber(receipt);
    if (!number) return ReceiptState::NotANumber;
    if (CarriedByPayment(sql, QStringLiteral("R"), *number)) return ReceiptState::Used;
    QSqlQuery issued = sql.exec(QStringLiteral("SELECT holder FROM issued_numbers"
                                               " WHERE kind = 'R' AND number = ?"),
                                {static_cast<qlonglong>(*number)});
    if (!issued.next()) return ReceiptState::NeverDrawn;
    const std::optional<QString> holder = ReadText(issued.value(0));
    issued.finish();
    if (sql.scalar(QStringLiteral("SELECT number FROM returned_numbers"
                                  " WHERE kind = 'R' AND number = ?"),
                   {static_cast<qlonglong>(*number)})
            .isValid()) {
        return ReceiptState::HandedBack;
    }
    if (holder != sender) return ReceiptState::HeldByOther;
    return ReceiptState::Usable;
}

}  // namespace backend
