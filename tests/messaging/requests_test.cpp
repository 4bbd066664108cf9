#include "messaging/requests.h"

#include <gtest/gtest.h>

#include "messaging/answer_parts.h"
#include "messaging/outstanding_requests.h"
#include "records/value_rules.h"

namespace messaging {
namespace {

// Records what the builders put into a request.
class RecordedRequest : public RequestMessage {
  public:
    void SetTheme(const std::string& t) override { theme = t; }
    std::string Theme() const override { return theme; }
    void SetSenderId(const std::string& s) override { sender = s; }
    void SetVersion(const std::string& v) override { version = v; }
    void SetServiceCode(int c) override { code = c; }
    void AddCriterion(const RequestCriterion& c) override { criteria.push_back(c); }
    void AddPart(const std::string&, const DTDPtr&) override {}
    std::string MessageKey() const override { return "K"; }
    void Send() override {}
    std::string theme, sender, version;
    int code = 0;
    std::vector<RequestCriterion> criteria;
};

class RecordingService : public MessageService {
  public:
    std::shared_ptr<MessageListener> GetListener() override { return nullptr; }
    std::unique_ptr<RequestMessage> NewRequest() override {
        return std::make_unique<RecordedRequest>();
    }
    DTDPtr NewDTD() override { return nullptr; }
};

class FixedUser : public UserContext {
  public:
    std::string GetSenderId() override { return "officer"; }
    std::string GetUserFolder() override { return "/"; }
    std::string GetOfficerNumber() override { return "102"; }
};

class LogRecorder : public ErrorReporter {
  public:
    void ReportError(const std::string&, const std::string&, const std::string&) override {}
    void LogNotification(const std::string& text, const std::string& code) override {
        logged.emplace_back(text, code);
    }
    std::vector<std::pair<std::string, std::string>> logged;
};

CommonLibrary Library() {
    CommonLibrary lib;
    lib.messageService = std::make_shared<RecordingService>();
    lib.userContext = std::make_shared<FixedUser>();
    return lib;
}

std::vector<std::string> Keys(const RecordedRequest& r) {
    std::vector<std::string> keys;
    for (const auto& c : r.criteria) {
        EXPECT_EQ(c.AppName, "HALBERON");
        EXPECT_EQ(c.Operator, "=");
        keys.push_back(c.KeyName + "=" + c.Value);
    }
    return keys;
}

TEST(Inquiries, CarryThemeSenderVersionCodeAndCriteriaInOrder) {
    auto lib = Library();
    auto ars = BuildOpenArsInquiry(lib, "T.OPENARS", "1002");
    auto& r = dynamic_cast<RecordedRequest&>(*ars);
    EXPECT_EQ(r.theme, "T.OPENARS");
    EXPECT_EQ(r.sender, "officer");
    EXPECT_EQ(r.version, "1.0");
    EXPECT_EQ(r.code, 58);
    EXPECT_EQ(Keys(r), (std::vector<std::string>{"key:CUST_ID=1002", "key:ACCT_STATUS_CD=O",
                                                 "key:thin=Yes", "key:ALERTS=N"}));
    auto cases = BuildCasesInquiry(lib, "T.CASES", "1002");
    EXPECT_EQ(dynamic_cast<RecordedRequest&>(*cases).code, 16);
    EXPECT_EQ(Keys(dynamic_cast<RecordedRequest&>(*cases)),
              (std::vector<std::string>{"key:CUST_ID=1002", "key:thin=Yes"}));

    // case receivables omit the case criterion when no case is given
    auto withCase = BuildCaseArsInquiry(lib, "T.CASEARS", "1002", "2020BK0001");
    EXPECT_EQ(
        Keys(dynamic_cast<RecordedRequest&>(*withCase)),
        (std::vector<std::string>{"key:CUST_ID=1002", "key:CASE_ID=2020BK0001", "key:thin=Yes"}));
    auto without = BuildCaseArsInquiry(lib, "T.CASEARS", "1002", "");
    EXPECT_EQ(Keys(dynamic_cast<RecordedRequest&>(*without)),
              (std::vector<std::string>{"key:CUST_ID=1002", "key:thin=Yes"}));
    EXPECT_EQ(ServiceCodeOf(kAddUpdate), 17);
    EXPECT_EQ(ServiceCodeOf(kProcess), 17);
}

records::RecordsetPtr NotificationRows(int rows) {
    std::vector<messaging::Notification> list;
    for (int i = 1; i <= rows; ++i)
        list.push_back({std::to_string(i), "msg" + std::to_string(i), "loc", ""});
    return NotificationPart(list);
}

TEST(Notifications, AtMostThreeRowsAreCollectedAndEachLogged) {
    LogRecorder log;
    auto report = CollectNotification(NotificationRows(5), &log);
    EXPECT_TRUE(report.failed);
    const std::string one = "\r\n\r\n1: msg1\r\nLocation: loc\r\n";
    EXPECT_EQ(report.text.substr(0, one.size()), one);
    EXPECT_NE(report.text.find("3: msg3"), std::string::npos);
    EXPECT_EQ(report.text.find("4: msg4"), std::string::npos);
    ASSERT_EQ(log.logged.size(), 3u);
    EXPECT_EQ(log.logged[0].first, one);
    EXPECT_EQ(log.logged[2].first, report.text);
    EXPECT_EQ(log.logged[1].second, "2");

    // a missing or empty part leaves the failure flag off
    EXPECT_FALSE(CollectNotification(nullptr, nullptr).failed);
    const std::string e = "\xC3\xA9";  // two bytes: the code is cut at 20 characters, not bytes
    const auto cut = NotificationPart({{std::string(19, 'x') + e + e, "m", "l", ""}});
    EXPECT_EQ(records::TextOf(cut->Get("COMPLETION_CD")), std::string(19, 'x') + e);
    auto empty = CollectNotification(NotificationRows(0), nullptr);
    EXPECT_FALSE(empty.failed);
    EXPECT_TRUE(empty.text.empty());
}

}  // namespace
}  // namespace messaging
