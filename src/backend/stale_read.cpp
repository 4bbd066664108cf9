#include "backend/stale_read.h"

#include <QStringList>

#include "backend/part_reader.h"
#include "records/layouts.h"
#include "records/text_util.h"

namespace backend {
namespace {

QString Norm(const std::optional<QString>& text) {
    return text ? text->trimmed() : QString();
}

}  // namespace

void RefuseIfChangedSinceRead(RequestContext& ctx, const CaseRecord& stored) {
    const messaging::NamedPart* part = FindPart(ctx, kReadPart);
    if (!part) return;
    const std::string where = ctx.word.toStdString() + ": " + kReadPart;
    const auto rows = RowsOf(*part->rows);
    if (rows.size() != 1) {
        ctx.problems.throwNow(code::BadPart,
                              std::string("The part ") + kReadPart + " carries " +
                                  std::to_string(rows.size()) +
                                  " rows; it is the one case as it was read.",
                              where);
    }
    PartRow read(*part->rows, rows.front(), *records::FindLayout(records::kLayoutBankruptcy), where,
                 ctx.problems);
    const auto caseId = read.text("CASE_ID", true);
    if (!caseId || caseId->compare(stored.caseId, Qt::CaseInsensitive) != 0) {
        ctx.problems.throwNow(code::BadPart,
                              std::string("The part ") + kReadPart + " describes case '" +
                                  Norm(caseId).toStdString() + "', not " +
                                  stored.caseId.toStdString() + ".",
                              read.where("CASE_ID"));
    }

    // The fields the screen shows of a case, compared the way both sides store them: texts
    // trimmed, nothing and blank alike, no officer and officer 0 alike, no payments and 0 alike.
    QStringList changed;
    auto text = [&](const char* field, const std::optional<QString>& now) {
        if (Norm(read.text(field)) != Norm(now)) changed << QLatin1String(field);
    };
    auto day = [&](const char* field, const QDate& now) {
        if (read.date(field).value_or(QDate()) != now) changed << QLatin1String(field);
    };
    if (Norm(read.text("STTS_CD", true)) != stored.status) changed << QStringLiteral("STTS_CD");
    text("TRSTE_PHN_NBR", stored.trusteePhone);
    text("TRSTE_NM", stored.trusteeName);
    text("BNKRPTCY_CMMT_TXT", stored.comment);
    day("NTFCTN_DT", stored.notification);
    day("CRT_FILE_DT", stored.courtFiling);
    day("CLM_FILE_DT", stored.claimFiling);
    day("CRT_CLSE_DT", stored.courtClosing);
    const auto officer = read.whole("ASGN_OFCR_ID");
    if (officer.value_or(0) != stored.officer.value_or(0))
        changed << QStringLiteral("ASGN_OFCR_ID");
    if (read.money("TOT_PYMT_AMT").value_or(0) != stored.paidTotal)
        changed << QStringLiteral("TOT_PYMT_AMT");
    if (read.whole("PYMT_CNT").value_or(0) != stored.paymentCount)
        changed << QStringLiteral("PYMT_CNT");
    ctx.problems.throwIfAny();  // a read value that is no value of its field
    if (changed.isEmpty()) return;
    ctx.problems.throwNow(code::Stale,
                          "Bankruptcy Case " + stored.caseId.toStdString() +
                              " was changed by another user since you read it. Press Refresh "
                              "and try again.",
                          where,
                          "Changed since: " + changed.join(QStringLiteral(", ")).toStdString());
}

}  // namespace backend
