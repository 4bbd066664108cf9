#include "dialogs/process/process_texts.h"

#include <array>

#include "platform/binding/display_formats.h"
#include "records/errors.h"
#include "records/value_rules.h"

namespace process_dialog {
namespace {

using records::Value;

std::string currencyOrZero(const Value& field, const QLocale& locale) {
    const std::string text = records::TextOf(field);
    const Value amount = records::IsNumeric(Value(text)) ? Value(records::CCur(Value(text)))
                                                         : Value(records::Currency{});
    return platform::formatCurrency(amount, locale).toStdString();
}

bool isDate(const Value& v) {
    if (v.type() == Value::Type::Date) return true;
    return v.type() == Value::Type::Text && records::ParseDate(records::Trim(v.text())).has_value();
}

template <std::size_t N>
std::string joined(const std::array<std::string, N>& pieces) {
    std::string out;
    for (const std::string& p : pieces) out += p;
    return out;
}

}  // namespace

CaseSummary BuildCaseSummary(const records::Recordset* rs, const QLocale& locale) {
    CaseSummary summary;
    if (!rs || !rs->IsOpen() || rs->RecordCount() < 1) return summary;
    // The templates' fixed pieces keep their blanks, so each value stands between two blanks.
    std::array<std::string, 8> a = {"Last Payment:  ", "$9,999,999.00", "  on  ",
                                    "MM/DD/YYYY",      "  Check#  ",    "1234567890abcde",
                                    "  Receipt  ",     "1234567x-1"};
    std::array<std::string, 5> b = {"99", "  payment(s) made totaling  ", "$9,999,999.00",
                                    "  against a Total AR Due of  ", "$9,999,999.00"};

    a[1] = currencyOrZero(rs->Get("LST_PYMT_AMT"), locale);
    const Value paidOn = rs->Get("LST_PYMT_DT");
    a[3] =
        isDate(paidOn) ? records::FormatDate(records::CDate(paidOn), "MM/DD/YYYY") : "  <never>  ";
    a[5] = records::Trim(records::TextOf(rs->Get("LST_FUND_RFRNC_NBR")));
    if (a[5].empty()) a[5] = " <n/a> ";
    a[7] = records::Trim(records::TextOf(rs->Get("LST_RCPT_NBR")));
    if (records::Val(a[7]) == 0) a[7].clear();
    if (a[7].empty()) a[7] = " <n/a> ";

    b[0] = records::Trim(records::TextOf(rs->Get("PYMT_CNT")));
    if (!records::IsNumeric(Value(b[0]))) b[0] = "0";
    b[2] = currencyOrZero(rs->Get("TOT_PYMT_AMT"), locale);
    b[4] = currencyOrZero(rs->Get("TOT_BAL_DUE_AMT"), locale);

    summary.lastPayment = joined(a);
    summary.totals = joined(b);
    const Value paid(b[2]);
    const Value due(b[4]);
    summary.paidInFull = records::IsNumeric(paid) && records::IsNumeric(due) &&
                         records::CCur(paid) >= records::CCur(due);
    return summary;
}

std::string CurrencyForm(const std::string& text, const QLocale& locale) {
    if (!records::IsNumeric(Value(text))) return text;
    try {
        return platform::formatCurrency(Value(records::CCur(Value(text))), locale).toStdString();
    } catch (const records::Error&) {  // beyond a currency value: left as typed
        return text;
    }
}

bool WithinLargestPayment(const std::string& numericText) {
    try {
        return records::CCur(Value(numericText)) <= records::CCur(Value(kLargestPaymentText));
    } catch (const records::Error&) {  // too large even for a currency value
        return false;
    }
}

std::string PaymentConfirmationText(const std::string& receipt, const std::string& amount,
                                    const std::string& check) {
    return std::string("     You are about to post a payment from  \r") +
           "       the trustee of the bankruptcy case.      \r" + "\r" +
           "                  Receipt: " + receipt + "\r" + "                  Amount: " + amount +
           "\r" + "      Check Number: " + check + "\r" + "\r" +
           "Are you sure you want to perform this action?    ";
}

std::string DismissConfirmationText() {
    return std::string("You are about to dismiss the bankruptcy case    \r") +
           "and release the associated receivables\r" + "back to regular repayment .\r" + "\r" +
           "This action can not be undone.\r" + "\r" +
           "Are you sure you want to perform this action?";
}

std::string WriteOffConfirmationText() {
    return std::string("You are about to Close the Bankruptcy Case  \r") +
           " and write off the Associated Receivables.\r" + "\r" +
           "This is a Permanent Action with no Undo.\r" + "\r" +
           "Are you sure you want to perform this action?";
}

}  // namespace process_dialog
