#include "backend/case_history.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QStringList>
#include <cmath>
#include <map>

#include "backend/case_inputs.h"
#include "backend/case_store.h"
#include "backend/sql_values.h"
#include "messaging/date_serials.h"

namespace backend {
namespace {

// What the change records call their actions, and what people call them.
constexpr struct {
    const char* code;
    const char* text;
} kActions[] = {
    {"ADD", "Added"},         {"UPD", "Updated"},
    {"PAY", "Payment"},       {"WRITEOFF", "Written Off"},
    {"DISMISS", "Dismissed"}, {"ARCHIVE", "Archived"},
};

enum class Kind { Text, Day, Money, Status };

// The case fields a change record keeps, in the order they are told.
constexpr struct {
    const char* field;
    const char* label;
    Kind kind;
} kFields[] = {
    {"STTS_CD", "Status", Kind::Status},
    {"TRSTE_NM", "Trustee", Kind::Text},
    {"TRSTE_PHN_NBR", "Trustee Phone", Kind::Text},
    {"NTFCTN_DT", "Notification Date", Kind::Day},
    {"CRT_FILE_DT", "Court Filing Date", Kind::Day},
    {"CLM_FILE_DT", "Claim Filing Date", Kind::Day},
    {"CRT_CLSE_DT", "Court Close Date", Kind::Day},
    {"ASGN_OFCR_ID", "Officer", Kind::Text},
    {"TOT_BAL_DUE_AMT", "Balance Due", Kind::Money},
    {"BNKRPTCY_CMMT_TXT", "Comment", Kind::Text},
};

// An ADD names at most this many receivables; the rest are counted.
constexpr int kReceivablesNamed = 5;
const QString kArrow = QStringLiteral(" \u2192 ");
const QString kNone = QStringLiteral("(none)");

QString ActionText(const QString& code) {
    for (const auto& a : kActions) {
        if (code == QLatin1String(a.code)) return QString::fromLatin1(a.text);
    }
    return code;
}

QString Money(double amount) {
    return QString::fromStdString(MoneyText(std::llround(amount * 10000.0)));
}

class ChangeText {
  public:
    explicit ChangeText(std::map<QString, QString> statuses) : statuses_(std::move(statuses)) {}

    QString of(const QString& action, const QJsonObject& before, const QJsonObject& after) const {
        QStringList parts;
        if (action == QLatin1String("ADD")) {
            for (const auto& f : kFields) {
                if (!after.value(QLatin1String(f.field)).isNull())
                    parts << label(f.label) + shown(f.kind, after.value(QLatin1String(f.field)));
            }
            receivables(after.value(QLatin1String("receivables")).toArray(), parts);
        } else if (action == QLatin1String("ARCHIVE")) {
            parts << QStringLiteral("Moved off the case list: a new case took its number");
        } else {
            if (action == QLatin1String("PAY"))
                payment(after.value(QLatin1String("payment")), parts);
            for (const auto& f : kFields) {
                const QJsonValue was = before.value(QLatin1String(f.field));
                const QJsonValue now = after.value(QLatin1String(f.field));
                if (shown(f.kind, was) != shown(f.kind, now))
                    parts << label(f.label) + shown(f.kind, was) + kArrow + shown(f.kind, now);
            }
            count(after, "written_off", "Receivables written off: ", parts);
            count(after, "released", "Receivables released: ", parts);
        }
        return parts.join(QStringLiteral("; "));
    }

  private:
    static QString label(const char* name) {
        return QString::fromLatin1(name) + QStringLiteral(": ");
    }

    QString shown(Kind kind, const QJsonValue& v) const {
        if (v.isNull() || v.isUndefined()) return kNone;
        if (v.isDouble()) {
            if (kind == Kind::Money) return Money(v.toDouble());
            return QString::number(v.toInteger());
        }
        QString text = v.toString();
        if (text.trimmed().isEmpty()) return kNone;
        if (kind == Kind::Day) {
            const QDate d = QDate::fromString(text, Qt::ISODate);
            return d.isValid() ? d.toString(QStringLiteral("MM/dd/yyyy")) : text;
        }
        if (kind == Kind::Status) {
            const auto it = statuses_.find(text.trimmed());
            return it != statuses_.end() ? it->second : text;
        }
        return text;
    }

    static void payment(const QJsonValue& v, QStringList& parts) {
        const QJsonObject p = v.toObject();
        if (p.isEmpty()) return;
        parts << QStringLiteral("Amount: ") + Money(p.value(QLatin1String("FUND_AMT")).toDouble());
        parts << QStringLiteral("Receipt: ") + p.value(QLatin1String("FRCPT_NBR")).toString();
        const QString check = p.value(QLatin1String("FUND_RFRNC_NBR")).toString();
        parts << QStringLiteral("Check: ") + (check.isEmpty() ? kNone : check);
    }

    static void receivables(const QJsonArray& labels, QStringList& parts) {
        if (labels.isEmpty()) return;
        QStringList named;
        for (int i = 0; i < labels.size() && i < kReceivablesNamed; ++i)
            named << labels.at(i).toString();
        QString text = QStringLiteral("Receivables: ") + named.join(QStringLiteral(", "));
        if (labels.size() > kReceivablesNamed)
            text += QStringLiteral(" and %1 more").arg(labels.size() - kReceivablesNamed);
        parts << text;
    }

    static void count(const QJsonObject& after, const char* key, const char* text,
                      QStringList& parts) {
        const QJsonValue n = after.value(QLatin1String(key));
        if (n.isDouble()) parts << QString::fromLatin1(text) + QString::number(n.toInteger());
    }

    std::map<QString, QString> statuses_;
};

QJsonObject Snapshot(const QVariant& stored) {
    if (stored.isNull()) return {};
    return QJsonDocument::fromJson(stored.toString().toUtf8()).object();
}

QDateTime LocalTime(const QString& stamp) {
    QDateTime t = QDateTime::fromString(stamp, Qt::ISODate);
    return t.isValid() ? t.toLocalTime() : t;
}

}  // namespace

std::vector<HistoryEntry> CaseHistory(Sql& sql, const QString& custId, const QString& caseId) {
    std::map<QString, QString> statuses;
    QSqlQuery codes =
        sql.exec(QStringLiteral("SELECT code, description FROM code_values"
                                " WHERE table_name = 'BNKRPTCY'"));
    while (codes.next()) statuses[codes.value(0).toString()] = codes.value(1).toString();
    const ChangeText changes(std::move(statuses));

    QSqlQuery q = sql.exec(
        QStringLiteral("SELECT h.history_id, h.changed_at, h.sender, u.officer_id, h.action,"
                       " h.before_values, h.after_values, c.case_id FROM case_history h"
                       " JOIN cases c ON c.case_key = h.case_key"
                       " LEFT JOIN users u ON u.user_name = h.sender"
                       " WHERE c.cust_id = ? AND c.case_id = ?"
                       " ORDER BY h.history_id DESC"),
        {custId, CaseNumber(caseId.trimmed())});
    std::vector<HistoryEntry> list;
    while (q.next()) {
        HistoryEntry e;
        e.id = q.value(0).toLongLong();
        e.caseId = q.value(7).toString();
        e.when = LocalTime(q.value(1).toString());
        e.user = q.value(2).toString();
        e.officer = ReadWhole(q.value(3));
        const QString action = q.value(4).toString().trimmed();
        e.action = ActionText(action);
        e.changes = changes.of(action, Snapshot(q.value(5)), Snapshot(q.value(6)));
        list.push_back(std::move(e));
    }
    return list;
}

void AppendHistoryRow(records::Recordset& rs, const QString& custId, const HistoryEntry& e) {
    const records::Value when = e.when.isValid()
                                    ? records::Value(messaging::SerialFromQDateTime(e.when))
                                    : records::Value::Null();
    rs.AddNew(
        {"CUST_ID", "CASE_ID", "HIST_ID", "CHNG_DT", "USER_NM", "OFCR_ID", "ACTN_TXT", "CHNG_TXT"},
        {records::Value(custId.toStdString()), records::Value(e.caseId.toStdString()),
         records::Value(static_cast<long long>(e.id)), when, records::Value(e.user.toStdString()),
         e.officer ? records::Value(static_cast<long long>(*e.officer)) : records::Value::Null(),
         records::Value(e.action.toStdString()),
         records::Value(e.changes.left(2000).toStdString())});
}

}  // namespace backend
