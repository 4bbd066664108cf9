// "ADDUPDATE": a new case with the receivables it takes over, or the changes of an open case.
#include <QJsonArray>
#include <QSqlQuery>
#include <set>
#include <tuple>

#include "backend/case_inputs.h"
#include "backend/case_store.h"
#include "backend/handlers.h"
#include "backend/part_reader.h"
#include "backend/sql_values.h"
#include "backend/stale_read.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/text_util.h"

namespace backend {
namespace {

constexpr const char* kWhere = "ADDUPDATE: BANKRUPTCY";

std::string Str(const QString& s) {
    return s.toStdString();
}

std::string Day(const QDate& d) {
    return Str(d.toString(Qt::ISODate));
}

// The receivables of the "ACCOUNT" part, checked: the customer's, open, untied, issued on or
// before the court filing date, each once.
std::vector<ReceivableRecord> ReceivablesToTie(RequestContext& ctx, const QString& custId,
                                               const QDate& filing) {
    const messaging::NamedPart* part = FindPart(ctx, "ACCOUNT");
    const auto rows = part ? RowsOf(*part->rows) : std::vector<records::Bookmark>{};
    if (rows.empty()) {
        ctx.problems.add(code::Missing,
                         "At least one Account Receivable must be selected when adding a new "
                         "Bankruptcy Case.",
                         "ADDUPDATE: ACCOUNT");
        return {};
    }
    const records::Layout& layout = *records::FindLayout(records::kLayoutAccntRecv);
    std::vector<ReceivableRecord> list;
    std::set<std::tuple<std::int64_t, std::int64_t, QString>> seen;
    ReceivableLookup lookup(ctx.sql, true);
    int index = 0;
    for (records::Bookmark b : rows) {
        ++index;
        PartRow row(*part->rows, b, layout, "ADDUPDATE: ACCOUNT row " + std::to_string(index),
                    ctx.problems);
        CheckTextSizes(row, layout);
        const auto number = row.whole("ACCT_RCVBL_NBR");
        const auto check = row.whole("ACCT_RCVBL_CK_NBR");
        const auto type = row.text("ACCT_RCVBL_TYP_CD", true);
        const auto owner = row.text("Cust_ID", true);
        if (!number || !check || !type) {
            ctx.problems.add(code::Missing,
                             "A receivable needs its number, check digit and type "
                             "(ACCT_RCVBL_NBR, ACCT_RCVBL_CK_NBR, ACCT_RCVBL_TYP_CD).",
                             row.location());
            continue;
        }
        const ReceivableKey key{*number, *check, *type};
        const std::string label = Str(key.label());
        if (!seen.insert({key.number, key.checkDigit, key.type}).second) {
            ctx.problems.add(code::BadPart, "Receivable " + label + " is sent more than once.",
                             row.location());
            continue;
        }
        const auto ar = lookup.find(key);
        if (!ar) {
            ctx.problems.add(code::NoReceivable, "Receivable " + label + " is not on file.",
                             row.location());
            continue;
        }
        if (ar->custId != custId || (owner && *owner != custId)) {
            ctx.problems.add(code::OtherCustomer,
                             "Receivable " + label + " belongs to another customer.",
                             row.location(), "customer " + Str(ar->custId));
            continue;
        }
        if (ar->caseKey) {
            ctx.problems.add(code::Tied,
                             "Receivable " + label + " is already tied to bankruptcy case " +
                                 Str(ar->caseId) + ".",
                             row.location());
            continue;
        }
        if (ar->status != ar_status::Open) {
            ctx.problems.add(
                code::NotOpenReceivable,
                "Receivable " + label + " is not open (status " + Str(ar->status) + ").",
                row.location());
            continue;
        }
        if (!ar->issued.isValid()) {
            ctx.problems.add(code::IssuedLate, "Receivable " + label + " has no issue date.",
                             row.location());
            continue;
        }
        if (filing.isValid() && ar->issued > filing) {
            ctx.problems.add(code::IssuedLate,
                             "Receivable " + label + " was issued on " + Day(ar->issued) +
                                 ", after the Court Filing Date " + Day(filing) + ".",
                             row.location());
            continue;
        }
        list.push_back(*ar);
    }
    return list;
}

QJsonArray Labels(const std::vector<ReceivableRecord>& list) {
    QJsonArray a;
    for (const auto& r : list) a.append(r.key.label());
    return a;
}

void AddCase(RequestContext& ctx, PartRow& row, const QString& custId) {
    CaseInput in = ReadCaseInput(row);
    auto missing = [&](const char* field) { return !row.reported(field); };
    if (!in.caseId && missing("CASE_ID")) {
        ctx.problems.add(code::Missing, "A Case Number is required.", kWhere);
    }
    if (in.status && *in.status != case_status::Open) {
        ctx.problems.add(
            code::BadValue,
            "A new case is opened with status 'O'; '" + Str(*in.status) + "' was sent.",
            row.where("STTS_CD"));
    }
    if (!in.notification && missing("NTFCTN_DT")) {
        ctx.problems.add(code::Missing, "A Notification Date is required.", kWhere);
    }
    if (!in.filing && missing("CRT_FILE_DT")) {
        ctx.problems.add(code::Missing, "A Court Filing Date is required.", kWhere);
    }
    if (!in.claim && missing("CLM_FILE_DT")) {
        ctx.problems.add(code::Missing, "A Claim Filing Date is required.", kWhere);
    }
    if (!in.comment && missing("BNKRPTCY_CMMT_TXT")) {
        ctx.problems.add(code::Missing, "A Comment is required.", kWhere);
    }
    CheckCaseDates(ctx, in.filing.value_or(QDate()), in.claim.value_or(QDate()),
                   in.closing.value_or(QDate()), in.trustee.has_value());
    for (const auto& [sent, field, name] :
         {std::tuple{in.notification, "NTFCTN_DT", "Notification Date"},
          std::tuple{in.filing, "CRT_FILE_DT", "Court Filing Date"},
          std::tuple{in.claim, "CLM_FILE_DT", "Claim Filing Date"},
          std::tuple{in.closing, "CRT_CLSE_DT", "Court Close Date"}}) {
        CheckDateInReach(ctx, sent.value_or(QDate()), name, row.where(field));
    }
    if (!in.officer && missing("ASGN_OFCR_ID")) {
        ctx.problems.add(code::Missing, "An Assigned Officer Number is required.", kWhere);
    } else if (in.officer && !OfficerExists(ctx.sql, *in.officer)) {
        ctx.problems.add(code::NoOfficer,
                         "Officer " + std::to_string(*in.officer) + " is not on file.",
                         row.where("ASGN_OFCR_ID"));
    }
    std::vector<CaseRecord> sameNumber;
    if (in.caseId) {
        sameNumber = CasesNumbered(ctx.sql, custId, *in.caseId);
        for (const CaseRecord& c : sameNumber) {
            if (c.status == case_status::Dismissed) continue;
            ctx.problems.add(
                code::DupCase,
                "Bankruptcy Case " + Str(c.caseId) + " already exists for this customer.",
                row.where("CASE_ID"), "status " + Str(c.status));
        }
    }
    const auto receivables = ReceivablesToTie(ctx, custId, in.filing.value_or(QDate()));
    std::int64_t total = 0;
    for (const auto& r : receivables) total += r.balance;
    if (in.balanceDue && *in.balanceDue != total) {
        ctx.problems.add(code::BadTotal,
                         "TOT_BAL_DUE_AMT is " + MoneyText(*in.balanceDue) +
                             " but the balances of the receivables total " + MoneyText(total) + ".",
                         row.where("TOT_BAL_DUE_AMT"));
    }
    ctx.problems.throwIfAny();

    // Earlier dismissed cases with this number leave the case list for the history.
    const QString stamp = NowStamp();
    for (const CaseRecord& c : sameNumber) {
        ctx.sql.exec(QStringLiteral("UPDATE cases SET archived_at = ? WHERE case_key = ?"),
                     {stamp, static_cast<qlonglong>(c.key)});
        RecordHistory(ctx.sql, c, QStringLiteral("ARCHIVE"), ctx.sender, Snapshot(c), {});
    }
    QSqlQuery inserted = ctx.sql.exec(
        QStringLiteral("INSERT INTO cases (cust_id, case_id, status, trustee_phone, trustee_name,"
                       " comment_text, notification_date, court_filing_date, claim_filing_date,"
                       " court_closing_date, officer_id, balance_due, created_by, created_at)"
                       " VALUES (?, ?, 'O', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING case_key"),
        {custId, *in.caseId, TextParam(in.phone), TextParam(in.trustee), TextParam(in.comment),
         DateParam(*in.notification), DateParam(*in.filing), DateParam(*in.claim),
         DateParam(in.closing.value_or(QDate())), WholeParam(in.officer),
         static_cast<qlonglong>(total), ctx.sender, stamp});
    if (!inserted.next()) {
        throw records::Error(kDatabaseError, "The new case got no key from the database.");
    }
    const std::int64_t key = inserted.value(0).toLongLong();
    inserted.finish();
    QSqlQuery tie =
        ctx.sql.prepare(QStringLiteral("UPDATE receivables SET case_key = ?, status = ?"
                                       " WHERE rcvbl_nbr = ? AND check_nbr = ? AND type_code = ?"));
    for (const auto& r : receivables) {
        ctx.sql.run(tie, {static_cast<qlonglong>(key), ar_status::InBankruptcy,
                          static_cast<qlonglong>(r.key.number),
                          static_cast<qlonglong>(r.key.checkDigit), r.key.type});
    }
    const CaseRecord stored = *LoadCase(ctx.sql, key);
    QJsonObject after = Snapshot(stored);
    after[QStringLiteral("receivables")] = Labels(receivables);
    RecordHistory(ctx.sql, stored, QStringLiteral("ADD"), ctx.sender, {}, after);
    AnswerCase(ctx, stored);
}

void UpdateCase(RequestContext& ctx, PartRow& row, const QString& custId) {
    CaseInput in = ReadCaseInput(row);
    if (const auto* part = FindPart(ctx, "ACCOUNT"); part && !RowsOf(*part->rows).empty()) {
        ctx.problems.add(code::BadPart,
                         "Receivables are tied to a case only when the case is added.",
                         "ADDUPDATE: ACCOUNT");
    }
    if (!in.caseId) {
        if (row.reported("CASE_ID")) ctx.problems.throwIfAny();
        ctx.problems.throwNow(code::Missing, "A Case Number is required.", kWhere);
    }
    const CaseRecord before = OpenCaseForChange(ctx, custId, *in.caseId, row.where("CASE_ID"));
    if (in.status && *in.status != case_status::Open) {
        ctx.problems.add(code::BadValue,
                         "The status of a case changes only by processing it; '" + Str(*in.status) +
                             "' was sent.",
                         row.where("STTS_CD"));
    }
    if (!in.comment && !row.reported("BNKRPTCY_CMMT_TXT")) {
        ctx.problems.add(code::Missing, "A Comment is required.", kWhere);
    }
    // A date once recorded stays; only the court close date may change.
    CaseRecord after = before;
    const struct {
        const char* field;
        const char* name;
        const std::optional<QDate>& sent;
        QDate& value;
    } fixedDates[] = {
        {"NTFCTN_DT", "Notification Date", in.notification, after.notification},
        {"CRT_FILE_DT", "Court Filing Date", in.filing, after.courtFiling},
        {"CLM_FILE_DT", "Claim Filing Date", in.claim, after.claimFiling},
    };
    for (const auto& d : fixedDates) {
        const QDate sent = d.sent.value_or(QDate());
        if (!d.value.isValid()) {
            d.value = sent;
            CheckDateInReach(ctx, sent, d.name, row.where(d.field));
        } else if (sent != d.value) {
            ctx.problems.add(code::DateFixed,
                             std::string("The ") + d.name + " of case " + Str(before.caseId) +
                                 " is recorded (" + Day(d.value) + ") and can not be changed.",
                             row.where(d.field));
        }
    }
    after.courtClosing = in.closing.value_or(QDate());
    if (after.courtClosing != before.courtClosing) {
        CheckDateInReach(ctx, after.courtClosing, "Court Close Date", row.where("CRT_CLSE_DT"));
    }
    after.trusteePhone = in.phone;
    after.trusteeName = in.trustee;
    after.comment = in.comment;
    CheckCaseDates(ctx, after.courtFiling, after.claimFiling, after.courtClosing,
                   after.trusteeName.has_value());
    if (!before.courtFiling.isValid() && after.courtFiling.isValid()) {
        for (const auto& r : TiedReceivables(ctx.sql, {before.key})) {
            if (r.issued.isValid() && r.issued <= after.courtFiling) continue;
            ctx.problems.add(code::IssuedLate,
                             "Receivable " + Str(r.key.label()) + " of the case was issued " +
                                 (r.issued.isValid() ? "on " + Day(r.issued) : "on no date") +
                                 ", after the Court Filing Date " + Day(after.courtFiling) + ".",
                             row.where("CRT_FILE_DT"));
        }
    }
    ctx.problems.throwIfAny();

    ctx.sql.exec(
        QStringLiteral("UPDATE cases SET trustee_phone = ?, trustee_name = ?, comment_text = ?,"
                       " notification_date = ?, court_filing_date = ?, claim_filing_date = ?,"
                       " court_closing_date = ? WHERE case_key = ?"),
        {TextParam(after.trusteePhone), TextParam(after.trusteeName), TextParam(after.comment),
         DateParam(after.notification), DateParam(after.courtFiling), DateParam(after.claimFiling),
         DateParam(after.courtClosing), static_cast<qlonglong>(before.key)});
    const CaseRecord stored = *LoadCase(ctx.sql, before.key);
    RecordHistory(ctx.sql, stored, QStringLiteral("UPD"), ctx.sender, Snapshot(before),
                  Snapshot(stored));
    AnswerCase(ctx, stored);
}

}  // namespace

void HandleAddUpdate(RequestContext& ctx) {
    ReadCriteria(ctx, {}, {"THIN"});
    CheckPartNames(ctx, {"BANKRUPTCY", "ACCOUNT", kReadPart});
    PartRow row = SingleCaseRow(ctx, kWhere);
    const auto action = row.text("ACTION", true);
    const std::string word = action ? records::ToUpperAscii(Str(*action)) : std::string();
    if (word != "ADD" && word != "UPD") {
        ctx.problems.throwNow(code::BadAction,
                              "ACTION must be 'ADD' or 'UPD'" +
                                  (action ? ", not '" + Str(*action) + "'." : std::string(".")),
                              row.where("ACTION"));
    }
    const auto cust = row.text("CUST_ID", true);
    ctx.problems.throwIfAny();
    const QString custId =
        KnownCustomer(ctx, cust ? Str(*cust) : std::string(), row.where("CUST_ID"), true);
    if (word == "ADD") {
        AddCase(ctx, row, custId);
    } else {
        UpdateCase(ctx, row, custId);
    }
}

}  // namespace backend
