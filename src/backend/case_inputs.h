#pragma once
// What ADDUPDATE and PROCESS share: the one case row they carry, the case they change, and the
// date rules of a case.

#include <QDate>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "backend/case_store.h"
#include "backend/handlers.h"
#include "backend/part_reader.h"

namespace backend {

struct CaseInput {
    std::optional<QString> caseId, status, phone, trustee, comment;
    std::optional<QDate> notification, filing, claim, closing;
    std::optional<std::int64_t> officer;     // 0 counts as none
    std::optional<std::int64_t> balanceDue;  // ten-thousandths
};

// The case fields of an ADDUPDATE row (every text field checked for its size).
CaseInput ReadCaseInput(PartRow& row);

// The request's single "BANKRUPTCY" row; refuses a missing part or another number of rows.
PartRow SingleCaseRow(RequestContext& ctx, const std::string& where);

// The customer's listed case of that number that is not dismissed, locked for the change;
// refuses when there is none or it is not open.
CaseRecord OpenCaseForChange(RequestContext& ctx, const QString& custId, const QString& caseId,
                             const std::string& where);

// Claim filing strictly after court filing; court close on or after court filing; a trustee
// name once a court close date is given. Invalid dates are not given.
void CheckCaseDates(RequestContext& ctx, const QDate& filing, const QDate& claim,
                    const QDate& closing, bool hasTrustee);

// A date that a request sets must be one the screen's date pickers offer: from ten years before
// today to five years after today.
void CheckDateInReach(RequestContext& ctx, const QDate& date, const char* name,
                      const std::string& where);

// The changed case as the answer's "BANKRUPTCY" part.
void AnswerCase(RequestContext& ctx, const CaseRecord& c);

// An amount of ten-thousandths in dollars to the cent, for messages: "$1,234.50", "($5.00)".
std::string MoneyText(std::int64_t units);

}  // namespace backend
