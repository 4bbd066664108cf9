#pragma once
// The request handlers. Each runs inside the request's transaction; a refusal is thrown as
// Refused and rolls everything back.

#include <QDate>
#include <QString>
#include <map>
#include <string>
#include <vector>

#include "backend/database.h"
#include "backend/problems.h"
#include "messaging/backend_api.h"

namespace backend {

struct RequestContext {
    const messaging::Request& request;
    Sql& sql;
    QString word;    // "CASES", "OPENARS", ...
    QString sender;  // a known user
    QDate today;
    Problems problems;
    std::vector<messaging::NamedPart> data;  // the answer's data parts
};

// Criterion key (without "key:", upper case) -> value. Missing, repeated and unknown keys, and
// criteria of another application or with another operator, are problems.
using Criteria = std::map<std::string, std::string>;
Criteria ReadCriteria(RequestContext& ctx, const std::vector<std::string>& required,
                      const std::vector<std::string>& optional);

// The customer named by a criterion or a field: digits, and on file. Refuses otherwise.
QString KnownCustomer(RequestContext& ctx, const std::string& value, const std::string& where,
                      bool lock = false);

// Refuses parts other than the allowed ones and repeated parts.
void CheckPartNames(RequestContext& ctx, const std::vector<std::string>& allowed);
// The part of that name, or nullptr.
const messaging::NamedPart* FindPart(const RequestContext& ctx, const std::string& name);

void AnswerOpenArs(RequestContext& ctx);
void AnswerCases(RequestContext& ctx);
void AnswerCaseArs(RequestContext& ctx);
void AnswerCaseHistory(RequestContext& ctx);
void HandleAddUpdate(RequestContext& ctx);
void HandleProcess(RequestContext& ctx);

}  // namespace backend
