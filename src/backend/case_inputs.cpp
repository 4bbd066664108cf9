#include "backend/case_inputs.h"

#include <optional>

#include "backend/stale_read.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace backend {

CaseInput ReadCaseInput(PartRow& row) {
    const records::Layout& layout = *records::FindLayout(records::kLayoutBankruptcy);
    CheckTextSizes(row, layout);
    CaseInput in;
    in.caseId = row.text("CASE_ID", true);
    if (in.caseId) in.caseId = CaseNumber(*in.caseId);
    in.status = row.text("STTS_CD", true);
    in.phone = row.text("TRSTE_PHN_NBR");
    in.trustee = row.text("TRSTE_NM");
    in.comment = row.text("BNKRPTCY_CMMT_TXT");
    in.notification = row.date("NTFCTN_DT");
    in.filing = row.date("CRT_FILE_DT");
    in.claim = row.date("CLM_FILE_DT");
    in.closing = row.date("CRT_CLSE_DT");
    in.officer = row.whole("ASGN_OFCR_ID");
    if (in.officer && *in.officer == 0) in.officer.reset();
    in.balanceDue = row.money("TOT_BAL_DUE_AMT");
    return in;
}

PartRow SingleCaseRow(RequestContext& ctx, const std::string& where) {
    const messaging::NamedPart* part = FindPart(ctx, std::string(records::kLayoutBankruptcy));
    if (!part) {
        ctx.problems.throwNow(code::BadPart,
                              ctx.word.toStdString() + " needs the part BANKRUPTCY with one case.",
                              where);
    }
    const auto rows = RowsOf(*part->rows);
    if (rows.size() != 1) {
        ctx.problems.throwNow(code::BadPart,
                              "The part BANKRUPTCY carries " + std::to_string(rows.size()) +
                                  " rows; exactly one case is expected.",
                              where);
    }
    return PartRow(*part->rows, rows.front(), *records::FindLayout(records::kLayoutBankruptcy),
                   where, ctx.problems);
}

CaseRecord OpenCaseForChange(RequestContext& ctx, const QString& custId, const QString& caseId,
                             const std::string& where) {
    const std::string number = caseId.toStdString();
    std::optional<CaseRecord> dismissed;
    for (const CaseRecord& c : CasesNumbered(ctx.sql, custId, caseId)) {
        if (c.status == case_status::Dismissed) {
            dismissed = c;
            continue;
        }
        CaseRecord locked = *LoadCase(ctx.sql, c.key, true);
        RefuseIfChangedSinceRead(ctx, locked);
        if (locked.status != case_status::Open) {
            ctx.problems.throwNow(code::NotOpen,
                                  "Bankruptcy Case " + number + " is not open (status " +
                                      locked.status.toStdString() + ") and can not be changed.",
                                  where);
        }
        return locked;
    }
    if (dismissed) {
        RefuseIfChangedSinceRead(ctx, *dismissed);
        ctx.problems.throwNow(
            code::NotOpen,
            "Bankruptcy Case " + number + " is dismissed (status D) and can not be changed.",
            where);
    }
    ctx.problems.throwNow(
        code::NoCase,
        "Customer " + custId.toStdString() + " has no bankruptcy case '" + number + "'.", where);
}

void CheckCaseDates(RequestContext& ctx, const QDate& filing, const QDate& claim,
                    const QDate& closing, bool hasTrustee) {
    const std::string where = ctx.word.toStdString() + ": BANKRUPTCY";
    if (filing.isValid() && claim.isValid() && claim <= filing) {
        ctx.problems.add(code::BadDate,
                         "The Claim Filing Date must come after the Court Filing Date.", where);
    }
    if (filing.isValid() && closing.isValid() && closing < filing) {
        ctx.problems.add(code::BadDate,
                         "The Court Close Date must come on or after the Court Filing date.",
                         where);
    }
    if (closing.isValid() && !hasTrustee) {
        ctx.problems.add(code::Missing, "A Trustee Name is required.", where);
    }
}

void CheckDateInReach(RequestContext& ctx, const QDate& date, const char* name,
                      const std::string& where) {
    const QDate earliest = ctx.today.addYears(-10);
    const QDate latest = ctx.today.addYears(5);
    if (!date.isValid() || (date >= earliest && date <= latest)) return;
    ctx.problems.add(code::BadDate,
                     std::string("The ") + name + " " + date.toString(Qt::ISODate).toStdString() +
                         " is out of range; a date from " +
                         earliest.toString(Qt::ISODate).toStdString() + " to " +
                         latest.toString(Qt::ISODate).toStdString() + " is expected.",
                     where);
}

void AnswerCase(RequestContext& ctx, const CaseRecord& c) {
    records::RecordsetPtr rs = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
    AppendCaseRow(*rs, c);
    rs->UpdateBatch();
    rs->MoveFirst();
    ctx.data.push_back({std::string(records::kLayoutBankruptcy), rs});
}

std::string MoneyText(std::int64_t units) {
    const bool negative = units < 0;
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    const std::uint64_t cents = (magnitude + 50) / 100;  // half away from zero
    std::string whole = std::to_string(cents / 100);
    for (std::size_t k = whole.size(); k > 3; k -= 3) whole.insert(k - 3, ",");
    const std::uint64_t rest = cents % 100;
    const std::string text = "$" + whole + (rest < 10 ? ".0" : ".") + std::to_string(rest);
    return negative && cents != 0 ? "(" + text + ")" : text;
}

}  // namespace backend
