// Every kind of bad request is answered with notification rows that say what was wrong, and
// leaves the database exactly as it was.
#include "records/layouts.h"
#include "support.h"

namespace backend::test {
namespace {

using R = messaging::Request;

template <class F>
R With(R r, F edit) {
    edit(r);
    return r;
}

class BadInput : public BackEndTest {
  protected:
    // A valid add of Ada's case over her first receivable, with some fields replaced.
    R Add(const Fields& replace, std::vector<Fields> receivables = {}) {
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
        for (const auto& [k, v] : replace) f[k] = v;
        if (receivables.empty()) receivables.push_back(TieRow(OpenArsOf("1001")[0]));
        return MakeRequest(
            "ADDUPDATE", "officer", {{"thin", "Yes"}},
            {CasePart(f), {"ACCOUNT", Rows(records::kLayoutAccntRecv, receivables)}});
    }
    R Update(const Fields& replace) {
        return MakeRequest("ADDUPDATE", "officer", {{"thin", "Yes"}},
                           {CasePart(BramUpdate(replace))});
    }
    R Process(const std::string& user, Fields replace) {
        replace.emplace("FUND_AMT", records::Currency{1000000});
        return MakeRequest("PROCESS", user, {{"thin", "Yes"}},
                           {CasePart(BramPayment(receipt, replace))});
    }
    static R Ask(const std::string& word, const std::string& custId, const std::string& key = {},
                 const std::string& value = {}) {
        std::vector<std::pair<std::string, std::string>> criteria{{"CUST_ID", custId}};
        if (!key.empty()) criteria.emplace_back(key, value);
        return MakeRequest(word, "officer", criteria);
    }

    std::string receipt;  // a receipt number drawn by "officer"
};

TEST_P(BadInput, EachIsAnsweredWithNotificationsAndChangesNothing) {
    receipt = backEnd->NextNumber("officer", "R");
    const std::string used = backEnd->NextNumber("officer", "R");
    ASSERT_TRUE(Ok(backEnd->Handle(Process("officer", {{"FRCPT_NBR", used}}))));

    const QDate t = today;
    // The layout's record set refuses a value that is no amount; a sender with a record set of
    // its own might not.
    auto texts = records::Recordset::Create();
    const std::vector<std::string> payFields{
        "ACTION",    "CUST_ID",        "CASE_ID", "BNKRPTCY_CMMT_TXT",
        "FRCPT_NBR", "FUND_RFRNC_NBR", "FUND_AMT"};
    for (const auto& f : payFields) texts->AppendField(f, records::FieldType::Text);
    texts->Open();
    texts->AddNew(payFields, {"PAY", "1002", "2020BK0001", "Pay", receipt, "CK-1", "ten dollars"});
    texts->UpdateBatch();
    std::string longId;
    for (int i = 0; i < 21; ++i) longId += "\xC3\xA9";  // 21 characters, 42 bytes
    const Fields bogusAr{
        {"ACCT_RCVBL_NBR", 4242}, {"ACCT_RCVBL_CK_NBR", 0}, {"ACCT_RCVBL_TYP_CD", "INV"}};

    const struct {
        const char* name;
        const char* codes;  // COMPLETION_CD of the rows, in order
        R request;
    } cases[] = {
        {"UnknownThemeWord", "BADTHEME", Ask("BALANCES", "1001")},
        {"ThemeOfAnotherApplication", "BADTHEME",
         With(Ask("CASES", "1001"), [](R& r) { r.theme = "OTHERAPP.Screen.CASES"; })},
        {"WrongServiceCode", "BADSERVICE",
         With(Ask("CASES", "1001"), [](R& r) { r.serviceCode = 1; })},
        {"UnknownSender", "NOUSER",
         With(Ask("CASES", "1001"), [](R& r) { r.senderId = "intruder"; })},
        {"NulInTheSender", "NOUSER",
         With(Ask("CASES", "1001"), [](R& r) { r.senderId = std::string("officer\0", 8); })},
        {"MissingCustomerCriterion", "BADCRITERIA",
         MakeRequest("OPENARS", "officer", {{"thin", "Yes"}})},
        {"RepeatedCriterion", "BADCRITERIA", Ask("CASES", "1001", "CUST_ID", "1002")},
        {"UnknownCriterion", "BADCRITERIA", Ask("CASES", "1001", "COLOR", "red")},
        {"CriterionOfAnotherApplicationAndOperator", "BADCRITERIA BADCRITERIA",
         With(Ask("CASES", "1001"),
              [](R& r) {
                  r.criteria.push_back({"OTHER", "key:thin", "=", "Yes"});
                  r.criteria.front().op = "<>";
              })},
        {"OpenArsOfAnotherStatus", "BADCRITERIA", Ask("OPENARS", "1001", "ACCT_STATUS_CD", "C")},
        {"NonNumericCustomer", "BADCUSTOMER", Ask("OPENARS", "10a1")},
        {"CustomerAsSql", "BADCUSTOMER", Ask("CASES", "1001' OR '1'='1")},
        {"UnknownCustomer", "NOCUSTOMER", Ask("CASES", "999999")},
        {"UnknownCase", "NOCASE", Ask("CASEARS", "1002", "CASE_ID", "2020BK9999")},
        {"ControlCharacterInACriterion", "BADVALUE",
         Ask("CASEARS", "1002", "CASE_ID", "2020BK\x7F")},
        {"UnexpectedPart", "BADPART",
         With(Ask("CASES", "1001"),
              [](R& r) {
                  r.parts.push_back({"BANKRUPTCY", Rows(records::kLayoutBankruptcy, {{}})});
              })},
        {"DuplicateCaseNumber", "DUPCASE",
         Add({{"CUST_ID", "1002"}, {"CASE_ID", "2020BK0001"}}, {TieRow(OpenArsOf("1002")[0])})},
        {"ReceivableOfAnotherCustomer", "OTHERCUSTOMER", Add({}, {TieRow(OpenArsOf("1003")[0])})},
        {"ReceivableAlreadyTied", "ARTIED",
         Add({{"CUST_ID", "1002"}}, {TieRow(TiedArsOf("1002")[0])})},
        {"ReceivableNotOnFile", "NOAR", Add({}, {bogusAr})},
        // Ada's receivables were issued at least 45 days ago.
        {"IssuedAfterTheCourtFilingDate", "ARDATE",
         Add({{"CRT_FILE_DT", Day(t.addDays(-400))},
              {"NTFCTN_DT", Day(t.addDays(-399))},
              {"CLM_FILE_DT", Day(t.addDays(-390))}},
             {TieRow(OpenArsOf("1001")[4])})},
        {"AddWithoutReceivables", "MISSING", With(Add({}), [](R& r) { r.parts.pop_back(); })},
        {"ClaimNotAfterFiling", "BADDATE", Add({{"CLM_FILE_DT", Day(t.addDays(-10))}})},
        {"AddWithoutAnOfficer", "MISSING", Add({{"ASGN_OFCR_ID", 0}})},
        {"DatesOutsideWhatTheDatePickersOffer", "BADDATE BADDATE",
         Add({{"NTFCTN_DT", Day(t.addYears(-10).addDays(-1))},
              {"CRT_CLSE_DT", Day(QDate(9999, 12, 31))},
              {"TRSTE_NM", "T"}})},
        {"CaseNumberLongerThanItsFieldCountsCharacters", "TOOLONG", Add({{"CASE_ID", longId}})},
        {"SeveralProblemsAtOnce", "MISSING MISSING NOOFFICER",
         Add({{"NTFCTN_DT", records::Value::Null()},
              {"BNKRPTCY_CMMT_TXT", "   "},
              {"ASGN_OFCR_ID", 999}})},
        {"UpdateOfAWrittenOffCase", "NOTOPEN",
         Update({{"CUST_ID", "1003"}, {"CASE_ID", "2018BK0003"}})},
        {"UpdateOfADismissedCase", "NOTOPEN",
         Update({{"CUST_ID", "1003"}, {"CASE_ID", "2019BK0007"}})},
        {"UpdateSettingACloseDateTooFarAhead", "BADDATE",
         Update({{"CRT_CLSE_DT", Day(t.addYears(5).addDays(1))}, {"TRSTE_NM", "T"}})},
        {"NulInAText", "BADVALUE", Update({{"TRSTE_NM", std::string("Ira\0Trustee", 11)}})},
        {"TrusteeNameLongerThanItsField", "TOOLONG", Update({{"TRSTE_NM", std::string(73, 'N')}})},
        {"TwoCasesInOneRequest", "BADPART",
         With(Update({}),
              [](R& r) {
                  r.parts.front().rows =
                      Rows(records::kLayoutBankruptcy, {{{"ACTION", "UPD"}}, {{"ACTION", "UPD"}}});
              })},
        {"PaymentOfZero", "BADPAYMENT", Process("officer", {{"FUND_AMT", records::Currency{0}}})},
        {"NegativePayment", "BADPAYMENT", Process("officer", {{"FUND_AMT", "-5.00"}})},
        {"PaymentAmountNotANumber", "BADVALUE",
         With(Process("officer", {}), [&](R& r) { r.parts.front().rows = texts; })},
        {"PaymentWithAFractionOfACent", "BADVALUE", Process("officer", {{"FUND_AMT", "$0.0001"}})},
        {"ReceiptDrawnByAnotherUser", "BADRECEIPT", Process("manager", {})},
        {"ReceiptAlreadyUsed", "RECEIPTUSED", Process("officer", {{"FRCPT_NBR", used}})},
        {"WriteOffWithoutTheRight", "NORIGHT", Process("officer", {{"ACTION", "WRITEOFF"}})},
        {"DismissWithoutTheRight", "NORIGHT", Process("officer", {{"ACTION", "DISMISS"}})},
        {"UnknownAction", "BADACTION", Process("manager", {{"ACTION", "REOPEN"}})},
        {"CommentLongerThanItsField", "TOOLONG",
         Process("officer", {{"BNKRPTCY_CMMT_TXT", std::string(256, 'c')}})},
    };

    const std::string before = Fingerprint(sql());
    for (const auto& bad : cases) {
        SCOPED_TRACE(bad.name);
        const messaging::Answer answer = backEnd->Handle(bad.request);
        std::string codes;
        for (const std::string& c : Codes(answer)) codes += (codes.empty() ? "" : " ") + c;
        EXPECT_EQ(codes, bad.codes) << Messages(answer);
        EXPECT_EQ(PartNames(answer), (Strings{"HALBERON", "NOTIFICATION"}));
        EXPECT_EQ(answer.messageKey, bad.request.messageKey);
        for (const QJsonValue& row : Part(answer, "NOTIFICATION")) {
            EXPECT_GT(row[S("COMPLETION_MSG")].toString().size(), 15);
            EXPECT_FALSE(row[S("LOCATION")].toString().isEmpty());
        }
        EXPECT_EQ(Fingerprint(sql()), before);
    }
    // The same good payment still goes through afterwards.
    EXPECT_TRUE(Ok(backEnd->Handle(Process("officer", {}))));
}

HALBERON_BACKEND_SUITE(BadInput);

}  // namespace
}  // namespace backend::test
