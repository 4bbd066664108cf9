// The inquiries, and the checks of criteria and parts that every request shares.
#include <algorithm>
#include <functional>
#include <set>

#include "backend/case_history.h"
#include "backend/case_store.h"
#include "backend/handlers.h"
#include "backend/sql_values.h"
#include "records/layouts.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace backend {
namespace {

bool Contains(const std::vector<std::string>& list, const std::string& key) {
    return std::find(list.begin(), list.end(), key) != list.end();
}

std::string Word(const RequestContext& ctx) {
    return ctx.word.toStdString();
}

std::string Location(const RequestContext& ctx, const std::string& what) {
    return Word(ctx) + ": " + what;
}

// An answer part of the layout, when it has rows (a missing part tells "nothing found").
template <class Row, class Append>
void AddPart(RequestContext& ctx, std::string_view layout, const std::vector<Row>& rows,
             Append append) {
    if (rows.empty()) return;
    records::RecordsetPtr rs = records::OpenLayoutRecordset(layout);
    for (const Row& row : rows) append(*rs, row);
    rs->UpdateBatch();
    rs->MoveFirst();
    ctx.data.push_back({std::string(layout), rs});
}

// The same for rows that are appended as they are read.
void AddPart(RequestContext& ctx, std::string_view layout,
             const std::function<void(records::Recordset&)>& fill) {
    records::RecordsetPtr rs = records::OpenLayoutRecordset(layout);
    fill(*rs);
    if (rs->RecordCount() == 0) return;
    rs->UpdateBatch();
    rs->MoveFirst();
    ctx.data.push_back({std::string(layout), rs});
}

}  // namespace

Criteria ReadCriteria(RequestContext& ctx, const std::vector<std::string>& required,
                      const std::vector<std::string>& optional) {
    Criteria found;
    std::set<std::string> reported;
    for (const messaging::Criterion& c : ctx.request.criteria) {
        std::string key = records::ToUpperAscii(records::Trim(c.keyName));
        if (key.rfind("KEY:", 0) == 0) key = key.substr(4);
        const std::string shown = "key:" + key;
        if (!records::EqualsIgnoreCase(records::Trim(c.appName), messaging::kAppName)) {
            ctx.problems.add(code::BadCriteria,
                             "The criterion " + shown + " names the application '" + c.appName +
                                 "'; expected " + messaging::kAppName + ".",
                             Location(ctx, "criteria"));
            reported.insert(key);
            continue;
        }
        if (records::Trim(c.op) != "=") {
            ctx.problems.add(code::BadCriteria,
                             "The criterion " + shown + " uses the operator '" + c.op +
                                 "'; only '=' is understood.",
                             Location(ctx, "criteria"));
            reported.insert(key);
            continue;
        }
        if (!Contains(required, key) && !Contains(optional, key)) {
            ctx.problems.add(code::BadCriteria,
                             "The criterion " + shown + " is not understood by " + Word(ctx) + ".",
                             Location(ctx, "criteria"));
            continue;
        }
        if (HasControlCharacter(c.value)) {
            ctx.problems.add(code::BadValue,
                             "The criterion " + shown + " holds a control character (such as NUL).",
                             Location(ctx, "criteria"));
            reported.insert(key);
            continue;
        }
        if (found.count(key) != 0) {
            if (reported.insert(key).second) {
                ctx.problems.add(code::BadCriteria,
                                 "The criterion " + shown + " is given more than once.",
                                 Location(ctx, "criteria"));
            }
            continue;
        }
        found[key] = c.value;
    }
    for (const std::string& key : required) {
        if (found.count(key) == 0 && reported.count(key) == 0) {
            ctx.problems.add(code::BadCriteria,
                             "The criterion key:" + key + " is required for " + Word(ctx) + ".",
                             Location(ctx, "criteria"));
        }
    }
    ctx.problems.throwIfAny();
    return found;
}

QString KnownCustomer(RequestContext& ctx, const std::string& value, const std::string& where,
                      bool lock) {
    const std::string id = records::Trim(value);
    if (id.empty()) ctx.problems.throwNow(code::Missing, "A customer number is required.", where);
    const bool digits =
        std::all_of(id.begin(), id.end(), [](char ch) { return ch >= '0' && ch <= '9'; });
    if (!digits || id.size() > 12) {
        ctx.problems.throwNow(code::BadCustomer,
                              "Customer number '" + id + "' is not a number of at most 12 digits.",
                              where);
    }
    QString custId = QString::fromStdString(id);
    if (!CustomerExists(ctx.sql, custId, lock)) {
        ctx.problems.throwNow(code::NoCustomer, "Customer " + id + " is not on file.", where);
    }
    return custId;
}

void CheckPartNames(RequestContext& ctx, const std::vector<std::string>& allowed) {
    std::set<std::string> seen;
    for (const messaging::NamedPart& part : ctx.request.parts) {
        const std::string name = records::ToUpperAscii(part.name);
        if (!Contains(allowed, name)) {
            ctx.problems.add(code::BadPart, Word(ctx) + " takes no part named '" + part.name + "'.",
                             Location(ctx, "parts"));
        } else if (!seen.insert(name).second) {
            ctx.problems.add(code::BadPart, "The part " + name + " is given more than once.",
                             Location(ctx, "parts"));
        } else if (!part.rows || !part.rows->IsOpen()) {
            ctx.problems.add(code::BadPart, "The part " + name + " carries no record set.",
                             Location(ctx, "parts"));
        }
    }
    ctx.problems.throwIfAny();
}

const messaging::NamedPart* FindPart(const RequestContext& ctx, const std::string& name) {
    for (const messaging::NamedPart& part : ctx.request.parts) {
        if (records::EqualsIgnoreCase(part.name, name)) return &part;
    }
    return nullptr;
}

void AnswerOpenArs(RequestContext& ctx) {
    Criteria criteria = ReadCriteria(ctx, {"CUST_ID"}, {"ACCT_STATUS_CD", "THIN", "ALERTS"});
    CheckPartNames(ctx, {});
    if (criteria.count("ACCT_STATUS_CD") != 0 && records::Trim(criteria["ACCT_STATUS_CD"]) != "O") {
        ctx.problems.throwNow(code::BadCriteria,
                              "OPENARS answers open receivables only (key:ACCT_STATUS_CD = 'O'), "
                              "not '" +
                                  criteria["ACCT_STATUS_CD"] + "'.",
                              Location(ctx, "criteria"));
    }
    const QString custId = KnownCustomer(ctx, criteria["CUST_ID"], Location(ctx, "key:CUST_ID"));
    AddPart(ctx, records::kLayoutAccntRecv,
            [&](records::Recordset& rs) { AppendOpenReceivableRows(ctx.sql, custId, rs); });
}

void AnswerCases(RequestContext& ctx) {
    Criteria criteria = ReadCriteria(ctx, {"CUST_ID"}, {"THIN"});
    CheckPartNames(ctx, {});
    const QString custId = KnownCustomer(ctx, criteria["CUST_ID"], Location(ctx, "key:CUST_ID"));
    AddPart(ctx, records::kLayoutBankruptcy, CasesOfCustomer(ctx.sql, custId),
            [](records::Recordset& rs, const CaseRecord& c) { AppendCaseRow(rs, c); });
}

void AnswerCaseArs(RequestContext& ctx) {
    Criteria criteria = ReadCriteria(ctx, {"CUST_ID"}, {"CASE_ID", "THIN"});
    CheckPartNames(ctx, {});
    const QString custId = KnownCustomer(ctx, criteria["CUST_ID"], Location(ctx, "key:CUST_ID"));
    const std::string caseText = records::Trim(criteria["CASE_ID"]);
    std::vector<CaseRecord> cases;
    if (caseText.empty()) {
        cases = CasesOfCustomer(ctx.sql, custId);
    } else {
        cases = CasesNumbered(ctx.sql, custId, QString::fromStdString(caseText));
        if (cases.empty()) {
            ctx.problems.throwNow(
                code::NoCase,
                "Customer " + custId.toStdString() + " has no bankruptcy case '" + caseText + "'.",
                Location(ctx, "key:CASE_ID"));
        }
    }
    std::vector<std::int64_t> keys;
    keys.reserve(cases.size());
    for (const CaseRecord& c : cases) keys.push_back(c.key);
    AddPart(ctx, records::kLayoutAccntRecv,
            [&](records::Recordset& rs) { AppendTiedReceivableRows(ctx.sql, keys, rs); });
}

void AnswerCaseHistory(RequestContext& ctx) {
    Criteria criteria = ReadCriteria(ctx, {"CUST_ID", "CASE_ID"}, {});
    CheckPartNames(ctx, {});
    const QString custId = KnownCustomer(ctx, criteria["CUST_ID"], Location(ctx, "key:CUST_ID"));
    const QString caseId = QString::fromStdString(records::Trim(criteria["CASE_ID"]));
    if (caseId.isEmpty()) {
        ctx.problems.throwNow(code::Missing, "A case number is required.",
                              Location(ctx, "key:CASE_ID"));
    }
    const std::vector<HistoryEntry> history = CaseHistory(ctx.sql, custId, caseId);
    if (history.empty() && CasesNumbered(ctx.sql, custId, caseId).empty()) {
        ctx.problems.throwNow(code::NoCase,
                              "Customer " + custId.toStdString() + " has no bankruptcy case '" +
                                  caseId.toStdString() + "'.",
                              Location(ctx, "key:CASE_ID"));
    }
    AddPart(
        ctx, records::kLayoutCaseHistory, history,
        [&](records::Recordset& rs, const HistoryEntry& e) { AppendHistoryRow(rs, custId, e); });
}

}  // namespace backend
