// "PROCESS": post a trustee payment, write a case off, or dismiss it.
#include <QJsonArray>

#include "backend/case_inputs.h"
#include "backend/numbers.h"
#include "backend/sql_values.h"
#include "backend/stale_read.h"
#include "backend/users.h"
#include "records/text_util.h"

namespace backend {
namespace {

constexpr const char* kWhere = "PROCESS: BANKRUPTCY";
// The largest amount one payment may carry: 9,999,999.99.
constexpr std::int64_t kLargestPayment = 99999999900LL;
// Money is kept in ten-thousandths; a payment is paid in whole cents.
constexpr std::int64_t kUnitsPerCent = records::Currency::kScale / 100;

std::string Str(const QString& s) {
    return s.toStdString();
}

void Pay(RequestContext& ctx, PartRow& row, const CaseRecord& c, const QString& comment) {
    const auto receipt = row.text("FRCPT_NBR", true);
    const auto amount = row.money("FUND_AMT");
    const auto check = row.text("FUND_RFRNC_NBR", true);
    const auto total = row.money("TOT_PYMT_AMT");
    const auto count = row.whole("PYMT_CNT");
    std::optional<std::int64_t> receiptNumber;
    if (!receipt) {
        if (!row.reported("FRCPT_NBR")) {
            ctx.problems.add(code::Missing, "A Receipt Number is required.",
                             row.where("FRCPT_NBR"));
        }
    } else {
        const std::string r = Str(*receipt);
        switch (CheckReceipt(ctx.sql, *receipt, ctx.sender)) {
            case ReceiptState::Usable:
                receiptNumber = ParseNumber(*receipt);
                break;
            case ReceiptState::NotANumber:
                ctx.problems.add(code::BadReceipt, "Receipt number '" + r + "' is not a number.",
                                 row.where("FRCPT_NBR"));
                break;
            case ReceiptState::NeverDrawn:
                ctx.problems.add(code::BadReceipt, "Receipt number " + r + " was never handed out.",
                                 row.where("FRCPT_NBR"));
                break;
            case ReceiptState::HandedBack:
                ctx.problems.add(code::BadReceipt,
                                 "Receipt number " + r + " was handed back and is held by no one.",
                                 row.where("FRCPT_NBR"));
                break;
            case ReceiptState::HeldByOther:
                ctx.problems.add(code::BadReceipt,
                                 "Receipt number " + r +
                                     " is held by another user; post with a "
                                     "receipt number drawn for '" +
                                     Str(ctx.sender) + "'.",
                                 row.where("FRCPT_NBR"));
                break;
            case ReceiptState::Used:
                ctx.problems.add(code::ReceiptUsed,
                                 "Receipt number " + r + " is already used by another payment.",
                                 row.where("FRCPT_NBR"));
                break;
        }
    }
    if (!amount) {
        if (!row.reported("FUND_AMT")) {
            ctx.problems.add(code::Missing, "A Payment Amount is required.", row.where("FUND_AMT"));
        }
    } else if (*amount <= 0) {
        ctx.problems.add(code::BadPayment, "Payment Amount must be > $0.00", row.where("FUND_AMT"),
                         "sent: " + MoneyText(*amount));
    } else if (*amount > kLargestPayment) {
        ctx.problems.add(code::BadPayment, "Payment Amount must not be above $9,999,999.99",
                         row.where("FUND_AMT"), "sent: " + MoneyText(*amount));
    } else if (*amount % kUnitsPerCent != 0) {
        ctx.problems.add(code::BadValue, "Payment Amount must be in whole cents.",
                         row.where("FUND_AMT"),
                         "sent: " + std::to_string(*amount) + " ten-thousandths of a dollar");
    }
    if (!check && !row.reported("FUND_RFRNC_NBR")) {
        ctx.problems.add(code::Missing, "A Payment Check Number is required.",
                         row.where("FUND_RFRNC_NBR"));
    }
    // The sender's totals were computed from the case as it read it; another payment since
    // then would make them wrong on its screen.
    if (amount && total && *total != c.paidTotal + *amount) {
        ctx.problems.add(code::BadTotal,
                         "The case's payments total " + MoneyText(c.paidTotal) +
                             ", so TOT_PYMT_AMT after this payment is " +
                             MoneyText(c.paidTotal + *amount) + ", not " + MoneyText(*total) +
                             ". Refresh the case and post again.",
                         row.where("TOT_PYMT_AMT"));
    }
    if (count && *count != c.paymentCount + 1) {
        ctx.problems.add(code::BadTotal,
                         "The case has " + std::to_string(c.paymentCount) +
                             " payments, so PYMT_CNT after this payment is " +
                             std::to_string(c.paymentCount + 1) + ", not " +
                             std::to_string(*count) + ". Refresh the case and post again.",
                         row.where("PYMT_CNT"));
    }
    ctx.problems.throwIfAny();

    ctx.sql.exec(QStringLiteral("INSERT INTO payments (case_key, receipt_nbr, check_nbr, amount,"
                                " paid_on, posted_by, posted_at) VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {static_cast<qlonglong>(c.key), QString::number(*receiptNumber), *check,
                  static_cast<qlonglong>(*amount), DateParam(ctx.today), ctx.sender, NowStamp()});
    ctx.sql.exec(QStringLiteral("UPDATE cases SET comment_text = ? WHERE case_key = ?"),
                 {comment, static_cast<qlonglong>(c.key)});
    const CaseRecord stored = *LoadCase(ctx.sql, c.key);
    QJsonObject after = Snapshot(stored);
    after[QStringLiteral("payment")] =
        QJsonObject{{QStringLiteral("FRCPT_NBR"), QString::number(*receiptNumber)},
                    {QStringLiteral("FUND_RFRNC_NBR"), *check},
                    {QStringLiteral("FUND_AMT"), static_cast<double>(*amount) / 10000.0}};
    RecordHistory(ctx.sql, stored, QStringLiteral("PAY"), ctx.sender, Snapshot(c), after);
    AnswerCase(ctx, stored);
}

// Dismissal and write-off close the case; the court's dates and the trustee must be known.
void CheckReadyToClose(RequestContext& ctx, const CaseRecord& c, bool writeOff) {
    const bool allDates = c.notification.isValid() && c.courtFiling.isValid() &&
                          c.claimFiling.isValid() && c.courtClosing.isValid();
    if (!allDates) {
        ctx.problems.add(code::Missing,
                         writeOff ? "All Four Dates must be present to Close and Write-Off a "
                                    "Bankruptcy."
                                  : "All Four Dates must be present to Dismiss a Bankruptcy.",
                         kWhere);
    }
    if (!c.trusteeName || c.trusteeName->trimmed().isEmpty()) {
        ctx.problems.add(code::Missing, "A Trustee Name must be present.", kWhere);
    }
    if (writeOff && (!c.trusteePhone || c.trusteePhone->trimmed().isEmpty())) {
        ctx.problems.add(code::Missing, "A Trustee Telephone Number must be present.", kWhere);
    }
}

QJsonArray Balances(const std::vector<ReceivableRecord>& list) {
    QJsonArray a;
    for (const auto& r : list) {
        a.append(QJsonObject{
            {QStringLiteral("AR"), r.key.label()},
            {QStringLiteral("ACCT_STTS_CD"), r.status},
            {QStringLiteral("ACCT_RCVBL_BAL_AMT"), static_cast<double>(r.balance) / 10000.0}});
    }
    return a;
}

void Close(RequestContext& ctx, const CaseRecord& c, const QString& comment, bool writeOff) {
    CheckReadyToClose(ctx, c, writeOff);
    ctx.problems.throwIfAny();
    const auto tied = TiedReceivables(ctx.sql, {c.key});
    const qlonglong key = c.key;
    if (writeOff) {
        ctx.sql.exec(QStringLiteral("UPDATE receivables SET status = ?, balance_amount = 0"
                                    " WHERE case_key = ?"),
                     {ar_status::WrittenOff, key});
    } else {
        // Back to regular repayment: open again and in no case.
        ctx.sql.exec(QStringLiteral("UPDATE receivables SET status = ?, case_key = NULL"
                                    " WHERE case_key = ?"),
                     {ar_status::Open, key});
    }
    ctx.sql.exec(QStringLiteral("UPDATE cases SET status = ?, comment_text = ? WHERE case_key = ?"),
                 {writeOff ? case_status::WrittenOff : case_status::Dismissed, comment, key});
    const CaseRecord stored = *LoadCase(ctx.sql, c.key);
    QJsonObject before = Snapshot(c);
    before[QStringLiteral("receivables")] = Balances(tied);
    QJsonObject after = Snapshot(stored);
    after[writeOff ? QStringLiteral("written_off") : QStringLiteral("released")] =
        static_cast<qint64>(tied.size());
    RecordHistory(ctx.sql, stored,
                  writeOff ? QStringLiteral("WRITEOFF") : QStringLiteral("DISMISS"), ctx.sender,
                  before, after);
    AnswerCase(ctx, stored);
}

}  // namespace

void HandleProcess(RequestContext& ctx) {
    ReadCriteria(ctx, {}, {"THIN"});
    CheckPartNames(ctx, {"BANKRUPTCY", kReadPart});
    PartRow row = SingleCaseRow(ctx, kWhere);
    const records::Layout& layout = *records::FindLayout(records::kLayoutBankruptcy);
    CheckTextSizes(row, layout);
    const auto action = row.text("ACTION", true);
    const std::string word = action ? records::ToUpperAscii(Str(*action)) : std::string();
    if (word != "PAY" && word != "WRITEOFF" && word != "DISMISS") {
        ctx.problems.throwNow(code::BadAction,
                              "ACTION must be 'PAY', 'WRITEOFF' or 'DISMISS'" +
                                  (action ? ", not '" + Str(*action) + "'." : std::string(".")),
                              row.where("ACTION"));
    }
    if (word != "PAY" && !UserHasRight(ctx.sql, ctx.sender, QString::fromLatin1(kManagerRight))) {
        ctx.problems.throwNow(
            code::NoRight,
            "User '" + Str(ctx.sender) + "' does not hold the right " + kManagerRight +
                (word == "WRITEOFF" ? " to write off a case." : " to dismiss a case."),
            row.where("ACTION"));
    }
    const auto cust = row.text("CUST_ID", true);
    const auto caseId = row.text("CASE_ID", true);
    const auto comment = row.text("BNKRPTCY_CMMT_TXT");
    ctx.problems.throwIfAny();
    const QString custId =
        KnownCustomer(ctx, cust ? Str(*cust) : std::string(), row.where("CUST_ID"), true);
    if (!caseId) ctx.problems.throwNow(code::Missing, "A Case Number is required.", kWhere);
    const CaseRecord c = OpenCaseForChange(ctx, custId, *caseId, row.where("CASE_ID"));
    if (!comment && !row.reported("BNKRPTCY_CMMT_TXT")) {
        ctx.problems.add(code::Missing, "A Comment is required.", kWhere);
    }
    if (word == "PAY") {
        Pay(ctx, row, c, comment.value_or(QString()));
    } else {
        ctx.problems.throwIfAny();
        Close(ctx, c, *comment, word == "WRITEOFF");
    }
}

}  // namespace backend
