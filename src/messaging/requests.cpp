#include "messaging/requests.h"

#include "messaging/outstanding_requests.h"
#include "records/value_rules.h"

namespace messaging {

int ServiceCodeOf(int kind) {
    switch (kind) {
        case kCases:
        case kCaseHist:
            return 16;
        case kOpenArs:
        case kCaseArs:
            return 58;
        default:
            return 17;
    }
}

RequestCriterion MakeCriterion(const std::string& keyName, const std::string& value) {
    RequestCriterion c;
    c.AppName = kAppName;
    c.KeyName = keyName;
    c.Operator = "=";
    c.Value = value;
    return c;
}

std::unique_ptr<RequestMessage> NewRequest(CommonLibrary& lib, const std::string& theme,
                                           int serviceCode) {
    auto request = lib.messageService->NewRequest();
    request->SetTheme(theme);
    request->SetSenderId(lib.userContext->GetSenderId());
    request->SetVersion(kComponentVersion);
    request->SetServiceCode(serviceCode);
    return request;
}

std::unique_ptr<RequestMessage> BuildOpenArsInquiry(CommonLibrary& lib, const std::string& theme,
                                                    const std::string& custId) {
    auto request = NewRequest(lib, theme, ServiceCodeOf(kOpenArs));
    request->AddCriterion(MakeCriterion("key:CUST_ID", custId));
    request->AddCriterion(MakeCriterion("key:ACCT_STATUS_CD", "O"));
    request->AddCriterion(MakeCriterion("key:thin", "Yes"));
    request->AddCriterion(MakeCriterion("key:ALERTS", "N"));
    return request;
}

std::unique_ptr<RequestMessage> BuildCasesInquiry(CommonLibrary& lib, const std::string& theme,
                                                  const std::string& custId) {
    auto request = NewRequest(lib, theme, ServiceCodeOf(kCases));
    request->AddCriterion(MakeCriterion("key:CUST_ID", custId));
    request->AddCriterion(MakeCriterion("key:thin", "Yes"));
    return request;
}

std::unique_ptr<RequestMessage> BuildCaseArsInquiry(CommonLibrary& lib, const std::string& theme,
                                                    const std::string& custId,
                                                    const std::string& caseId) {
    auto request = NewRequest(lib, theme, ServiceCodeOf(kCaseArs));
    request->AddCriterion(MakeCriterion("key:CUST_ID", custId));
    if (!caseId.empty()) request->AddCriterion(MakeCriterion("key:CASE_ID", caseId));
    request->AddCriterion(MakeCriterion("key:thin", "Yes"));
    return request;
}

std::unique_ptr<RequestMessage> BuildCaseHistoryInquiry(CommonLibrary& lib,
                                                        const std::string& theme,
                                                        const std::string& custId,
                                                        const std::string& caseId) {
    auto request = NewRequest(lib, theme, ServiceCodeOf(kCaseHist));
    request->AddCriterion(MakeCriterion("key:CUST_ID", custId));
    request->AddCriterion(MakeCriterion("key:CASE_ID", caseId));
    return request;
}

NotificationReport CollectNotification(const records::RecordsetPtr& rows, ErrorReporter* reporter) {
    NotificationReport report;
    if (!rows || !rows->IsOpen() || rows->RecordCount() < 1) return report;
    const std::string crlf = "\r\n";
    rows->MoveFirst();
    for (int n = 0; n < 3 && !rows->IsEOF(); ++n) {
        const std::string code = records::TextOf(rows->Get("COMPLETION_CD"));
        report.text.append(crlf).append(crlf).append(code).append(": ");
        report.text.append(records::TextOf(rows->Get("COMPLETION_MSG"))).append(crlf);
        report.text.append("Location: ").append(records::TextOf(rows->Get("LOCATION")));
        report.text.append(crlf).append(records::TextOf(rows->Get("NOTE")));
        if (reporter) reporter->LogNotification(report.text, code);
        report.failed = true;
        rows->MoveNext();
    }
    return report;
}

std::string NotificationBoxText(const std::string& description, const std::string& collected) {
    return "An " + description + " message returned the following error:" + collected;
}

}  // namespace messaging
