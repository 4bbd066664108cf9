#pragma once
// The widget-free pieces of the process dialog: the two summary lines about a case's payments,
// the confirmation texts, and the amount rules of the payment box.

#include <string>

#include <QLocale>

#include "records/recordset.h"

namespace process_dialog {

struct CaseSummary {
    std::string lastPayment;  // mLblDischarge(11)
    std::string totals;       // mLblDischarge(12)
    // Both totals are amounts and the payments reach the receivables' total due.
    bool paidInFull = false;
};

// The summary of the current row; both lines empty when there is no record set, it is closed or
// it has no rows.
CaseSummary BuildCaseSummary(const records::Recordset* rs, const QLocale& locale = QLocale());

// The amount in the currency form of the locale; a text that is no number stays as it is.
std::string CurrencyForm(const std::string& text, const QLocale& locale = QLocale());

// The largest amount one payment may carry, and whether a text that reads as a number stays
// within it (an amount too large even for a currency value does not).
inline constexpr const char* kLargestPaymentText = "9,999,999.99";
bool WithinLargestPayment(const std::string& numericText);

// The confirmation texts; lines are separated by a single CR.
std::string PaymentConfirmationText(const std::string& receipt, const std::string& amount,
                                    const std::string& check);
std::string DismissConfirmationText();
std::string WriteOffConfirmationText();

}  // namespace process_dialog
