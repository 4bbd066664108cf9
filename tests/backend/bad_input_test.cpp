// Every kind of bad request is answered with notification rows that say what was wrong, and
// leaves the database exactly as it was.
#include <functional>

#include "records/layouts.h"
#include "support.h"

namespace backend::test {
namespace {

struct BadCase {
    const char* name;
    std::vector<std::string> codes;  // expected COMPLETION_CD of the rows, in order
    std::function<messaging::Request(class BadInput&)> build;
};

class BadInput : public BackEndTest {
  public:
    // A valid add of Ada's case over her first receivable, with some fields replaced.
    messaging::Request Add(Fields replace, std::vector<Fields> receivables = {}) {
        const QDate filed = today.addDays(-10);
        Fields f{{"ACTION", "ADD"},
                 {"CUST_ID", "1001"},
                 {"CASE_ID", "2024BK0777"},
                 {"STTS_CD", "O"},
                 {"BNKRPTCY_CMMT_TXT", "New petition"},
                 {"NTFCTN_DT", Day(filed.addDays(1))},
                 {"CRT_FILE_DT", Day(filed)},
                 {"CLM_FILE_DT", Day(filed.addDays(3))},
                 {"ASGN_OFCR_ID", 102}};
        for (auto& [k, v] : replace) f[k] = v;
        if (receivables.empty()) receivables.push_back(ReceivableOf("1001", 0));
        return MakeRequest(
            "ADDUPDATE", "officer", {{"thin", "Yes"}},
            {CasePart(f), {"ACCOUNT", Rows(records::kLayoutAccntRecv, receivables)}});
    }
    messaging::Request Update(Fields replace) {
        Fields f{{"ACTION", "UPD"},
                 {"CUST_ID", "1002"},
                 {"CASE_ID", "2020BK0001"},
                 {"BNKRPTCY_CMMT_TXT", "Changed"},
                 {"NTFCTN_DT", Day(QDate(2020, 2, 10))},
                 {"CRT_FILE_DT", Day(QDate(2020, 1, 27))},
                 {"CLM_FILE_DT", Day(QDate(2020, 3, 16))}};
        for (auto& [k, v] : replace) f[k] = v;
        return MakeRequest("ADDUPDATE", "officer", {{"thin", "Yes"}}, {CasePart(f)});
    }
    messaging::Request Process(const std::string& user, Fields replace) {
        Fields f{{"ACTION", "PAY"},
                 {"CUST_ID", "1002"},
                 {"CASE_ID", "2020BK0001"},
                 {"BNKRPTCY_CMMT_TXT", "Payment"},
                 {"FRCPT_NBR", receipt},
                 {"FUND_RFRNC_NBR", "CK-9"},
                 {"FUND_AMT", records::Currency{1000000}}};
        for (auto& [k, v] : replace) f[k] = v;
        return MakeRequest("PROCESS", user, {{"thin", "Yes"}}, {CasePart(f)});
    }
    // The i-th receivable of a customer as an "ACCOUNT" row (open ones first, then tied ones).
    Fields ReceivableOf(const std::string& custId, int i, bool tied = false) {
        const QJsonArray rows =
            tied ? Part(Send("CASEARS", "officer", {{"CUST_ID", custId}}), "ACNTSRCVBL")
                 : OpenArsOf(custId);
        const QJsonValue r = rows[i];
        return {
            {"ACTION", "UPD"},
            {"ACCT_RCVBL_NBR",
             static_cast<long long>(r[QStringLiteral("ACCT_RCVBL_NBR")].toInteger())},
            {"ACCT_RCVBL_CK_NBR",
             static_cast<long long>(r[QStringLiteral("ACCT_RCVBL_CK_NBR")].toInteger())},
            {"ACCT_RCVBL_TYP_CD", r[QStringLiteral("ACCT_RCVBL_TYP_CD")].toString().toStdString()}};
    }
    messaging::Request Inquiry(const std::string& word,
                               std::vector<std::pair<std::string, std::string>> criteria) {
        return MakeRequest(word, "officer", criteria);
    }

    QDate Today() const { return today; }

    std::string receipt;      // a receipt number drawn by "officer"
    std::string usedReceipt;  // one that a payment carries
};

const std::vector<BadCase>& Cases() {
    using R = messaging::Request;
    static const std::vector<BadCase> cases = {
        {"UnknownThemeWord",
         {"BADTHEME"},
         [](BadInput& t) {
             return t.Inquiry("BALANCES", {{"CUST_ID", "1001"}});
         }},
        {"ThemeOfAnotherApplication",
         {"BADTHEME"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.theme = "OTHERAPP.Screen.CASES";
             return r;
         }},
        {"WrongServiceCode",
         {"BADSERVICE"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.serviceCode = 58;
             return r;
         }},
        {"UnknownSender",
         {"NOUSER"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.senderId = "intruder";
             return r;
         }},
        {"MissingCustomerCriterion",
         {"BADCRITERIA"},
         [](BadInput& t) {
             return t.Inquiry("OPENARS", {{"thin", "Yes"}});
         }},
        {"RepeatedCriterion",
         {"BADCRITERIA"},
         [](BadInput& t) {
             return t.Inquiry("CASES", {{"CUST_ID", "1001"}, {"CUST_ID", "1002"}});
         }},
        {"UnknownCriterion",
         {"BADCRITERIA"},
         [](BadInput& t) {
             return t.Inquiry("CASES", {{"CUST_ID", "1001"}, {"COLOR", "red"}});
         }},
        {"CriterionOfAnotherApplicationAndOperator",
         {"BADCRITERIA", "BADCRITERIA"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.criteria.push_back({"OTHER", "key:thin", "=", "Yes"});
             r.criteria.front().op = "<>";
             return r;
         }},
        {"NonNumericCustomer",
         {"BADCUSTOMER"},
         [](BadInput& t) {
             return t.Inquiry("OPENARS", {{"CUST_ID", "10a1"}});
         }},
        {"CustomerAsSql",
         {"BADCUSTOMER"},
         [](BadInput& t) {
             return t.Inquiry("CASES", {{"CUST_ID", "1001' OR '1'='1"}});
         }},
        {"UnknownCustomer",
         {"NOCUSTOMER"},
         [](BadInput& t) {
             return t.Inquiry("CASES", {{"CUST_ID", "999999"}});
         }},
        {"UnknownCase",
         {"NOCASE"},
         [](BadInput& t) {
             return t.Inquiry("CASEARS", {{"CUST_ID", "1002"}, {"CASE_ID", "2020BK9999"}});
         }},
        {"DuplicateCaseNumber",
         {"DUPCASE"},
         [](BadInput& t) {
             return t.Add({{"CUST_ID", "1002"}, {"CASE_ID", "2020BK0001"}},
                          {t.ReceivableOf("1002", 0)});
         }},
        {"ReceivableOfAnotherCustomer",
         {"OTHERCUSTOMER"},
         [](BadInput& t) { return t.Add({}, {t.ReceivableOf("1003", 0)}); }},
        {"ReceivableAlreadyTied",
         {"ARTIED"},
         [](BadInput& t) {
             return t.Add({{"CUST_ID", "1002"}}, {t.ReceivableOf("1002", 0, true)});
         }},
        {"ReceivableNotOnFile",
         {"NOAR"},
         [](BadInput& t) {
             return t.Add({}, {{{"ACCT_RCVBL_NBR", 4242},
                                {"ACCT_RCVBL_CK_NBR", 0},
                                {"ACCT_RCVBL_TYP_CD", "INV"}}});
         }},
        {"IssuedAfterTheCourtFilingDate",
         {"ARDATE"},
         [](BadInput& t) {
             // Ada's receivables were issued at least 45 days ago.
             return t.Add({{"CRT_FILE_DT", Day(t.Today().addDays(-400))},
                           {"NTFCTN_DT", Day(t.Today().addDays(-399))},
                           {"CLM_FILE_DT", Day(t.Today().addDays(-390))}},
                          {t.ReceivableOf("1001", 4)});
         }},
        {"AddWithoutReceivables",
         {"MISSING"},
         [](BadInput& t) {
             R r = t.Add({});
             r.parts.pop_back();
             return r;
         }},
        {"ClaimNotAfterFiling",
         {"BADDATE"},
         [](BadInput& t) {
             return t.Add({{"CLM_FILE_DT", Day(t.Today().addDays(-10))}});
         }},
        {"UpdateOfAWrittenOffCase",
         {"NOTOPEN"},
         [](BadInput& t) {
             return t.Update({{"CUST_ID", "1003"}, {"CASE_ID", "2018BK0003"}});
         }},
        {"UpdateOfADismissedCase",
         {"NOTOPEN"},
         [](BadInput& t) {
             return t.Update({{"CUST_ID", "1003"}, {"CASE_ID", "2019BK0007"}});
         }},
        {"PaymentOfZero",
         {"BADPAYMENT"},
         [](BadInput& t) {
             return t.Process("officer", {{"FUND_AMT", records::Currency{0}}});
         }},
        {"NegativePayment",
         {"BADPAYMENT"},
         [](BadInput& t) {
             return t.Process("officer", {{"FUND_AMT", "-5.00"}});
         }},
        {"PaymentAmountNotANumber",
         {"BADVALUE"},
         [](BadInput& t) {
             // The layout's record set refuses such a value itself; a sender with a record
             // set of its own might not.
             R r = t.Process("officer", {});
             auto rs = records::Recordset::Create();
             for (const char* f : {"ACTION", "CUST_ID", "CASE_ID", "BNKRPTCY_CMMT_TXT", "FRCPT_NBR",
                                   "FUND_RFRNC_NBR", "FUND_AMT"}) {
                 rs->AppendField(f, records::FieldType::Text);
             }
             rs->Open();
             rs->AddNew({"ACTION", "CUST_ID", "CASE_ID", "BNKRPTCY_CMMT_TXT", "FRCPT_NBR",
                         "FUND_RFRNC_NBR", "FUND_AMT"},
                        {"PAY", "1002", "2020BK0001", "Pay", t.receipt, "CK-1", "ten dollars"});
             rs->UpdateBatch();
             r.parts.front().rows = rs;
             return r;
         }},
        {"ReceiptDrawnByAnotherUser",
         {"BADRECEIPT"},
         [](BadInput& t) { return t.Process("manager", {}); }},
        {"PaymentWithAFractionOfACent",
         {"BADVALUE"},
         [](BadInput& t) {
             return t.Process("officer", {{"FUND_AMT", "$0.0001"}});
         }},
        {"AddWithoutAnOfficer",
         {"MISSING"},
         [](BadInput& t) {
             return t.Add({{"ASGN_OFCR_ID", 0}});
         }},
        {"DatesOutsideWhatTheDatePickersOffer",
         {"BADDATE", "BADDATE"},
         [](BadInput& t) {
             return t.Add({{"NTFCTN_DT", Day(t.Today().addYears(-10).addDays(-1))},
                           {"CRT_CLSE_DT", Day(QDate(9999, 12, 31))},
                           {"TRSTE_NM", "T"}});
         }},
        {"UpdateSettingACloseDateTooFarAhead",
         {"BADDATE"},
         [](BadInput& t) {
             return t.Update(
                 {{"CRT_CLSE_DT", Day(t.Today().addYears(5).addDays(1))}, {"TRSTE_NM", "T"}});
         }},
        {"NulInAText",
         {"BADVALUE"},
         [](BadInput& t) {
             return t.Update({{"TRSTE_NM", std::string("Ira\0Trustee", 11)}});
         }},
        {"ControlCharacterInACriterion",
         {"BADVALUE"},
         [](BadInput& t) {
             return t.Inquiry("CASEARS", {{"CUST_ID", "1002"}, {"CASE_ID", "2020BK\x7F"}});
         }},
        {"NulInTheSender",
         {"NOUSER"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.senderId = std::string("officer\0", 8);
             return r;
         }},
        {"ReceiptAlreadyUsed",
         {"RECEIPTUSED"},
         [](BadInput& t) {
             return t.Process("officer", {{"FRCPT_NBR", t.usedReceipt}});
         }},
        {"WriteOffWithoutTheRight",
         {"NORIGHT"},
         [](BadInput& t) {
             return t.Process("officer", {{"ACTION", "WRITEOFF"}});
         }},
        {"DismissWithoutTheRight",
         {"NORIGHT"},
         [](BadInput& t) {
             return t.Process("officer", {{"ACTION", "DISMISS"}});
         }},
        {"UnknownAction",
         {"BADACTION"},
         [](BadInput& t) {
             return t.Process("manager", {{"ACTION", "REOPEN"}});
         }},
        {"TrusteeNameLongerThanItsField",
         {"TOOLONG"},
         [](BadInput& t) {
             return t.Update({{"TRSTE_NM", std::string(73, 'N')}});
         }},
        {"CommentLongerThanItsField",
         {"TOOLONG"},
         [](BadInput& t) {
             return t.Process("officer", {{"BNKRPTCY_CMMT_TXT", std::string(256, 'c')}});
         }},
        {"CaseNumberLongerThanItsFieldCountsCharacters",
         {"TOOLONG"},
         [](BadInput& t) {
             std::string id;
             for (int i = 0; i < 21; ++i) id += "\xC3\xA9";  // 21 characters, 42 bytes
             return t.Add({{"CASE_ID", id}});
         }},
        {"TwoCasesInOneRequest",
         {"BADPART"},
         [](BadInput& t) {
             R r = t.Update({});
             r.parts.front().rows =
                 Rows(records::kLayoutBankruptcy, {{{"ACTION", "UPD"}}, {{"ACTION", "UPD"}}});
             return r;
         }},
        {"UnexpectedPart",
         {"BADPART"},
         [](BadInput& t) {
             R r = t.Inquiry("CASES", {{"CUST_ID", "1001"}});
             r.parts.push_back({"BANKRUPTCY", Rows(records::kLayoutBankruptcy, {{}})});
             return r;
         }},
        {"SeveralProblemsAtOnce",
         {"MISSING", "MISSING", "NOOFFICER"},
         [](BadInput& t) {
             return t.Add({{"NTFCTN_DT", records::Value::Null()},
                           {"BNKRPTCY_CMMT_TXT", "   "},
                           {"ASGN_OFCR_ID", 999}});
         }},
    };
    return cases;
}

TEST_P(BadInput, EachIsAnsweredWithNotificationsAndChangesNothing) {
    receipt = backEnd->NextNumber("officer", "R");
    usedReceipt = backEnd->NextNumber("officer", "R");
    const auto paid = backEnd->Handle(Process("officer", {{"FRCPT_NBR", usedReceipt}}));
    ASSERT_TRUE(Codes(paid).empty()) << Messages(paid);

    const std::string before = Fingerprint(sql());
    for (const BadCase& bad : Cases()) {
        SCOPED_TRACE(bad.name);
        const messaging::Request request = bad.build(*this);
        const messaging::Answer answer = backEnd->Handle(request);
        EXPECT_EQ(Codes(answer), bad.codes) << Messages(answer);
        EXPECT_EQ(PartNames(answer), (std::vector<std::string>{"HALBERON", "NOTIFICATION"}));
        EXPECT_EQ(answer.messageKey, request.messageKey);
        for (const QJsonValue& row : Part(answer, "NOTIFICATION")) {
            EXPECT_GT(row[QStringLiteral("COMPLETION_MSG")].toString().size(), 15);
            EXPECT_FALSE(row[QStringLiteral("LOCATION")].toString().isEmpty());
        }
        EXPECT_EQ(Fingerprint(sql()), before);
    }
    // The same good payment still goes through afterwards.
    EXPECT_TRUE(Codes(backEnd->Handle(Process("officer", {}))).empty());
}

HALBERON_BACKEND_SUITE(BadInput);

}  // namespace
}  // namespace backend::test
