// The rules a case must pass before it goes to the back end, the summary of the receivables a
// new case takes over, and Save.

#include <cmath>
#include <vector>

#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "messaging/date_serials.h"
#include "platform/binding/binding_collection.h"
#include "platform/binding/display_formats.h"
#include "platform/binding/korva_dtp.h"
#include "platform/binding/korva_phone.h"
#include "platform/widgets/interaction.h"
#include "records/errors.h"
#include "records/text_util.h"
#include "records/value_rules.h"

namespace {

constexpr const char* kCrLf = "\r\n";

// The day of an issue date, or nothing when the value holds no date.
std::optional<double> dayOf(const records::Value& v) {
    if (v.type() != records::Value::Type::Date && v.type() != records::Value::Type::Text)
        return std::nullopt;
    try {
        return std::floor(records::CDate(v).serial);
    } catch (const records::Error&) {
        return std::nullopt;
    }
}

}  // namespace

bool frmBankruptcyAddUpdate::ValidateChanges(const bool& bShowMsg) {
    bool valid = false;
    bool computed = false;
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.ValidateChanges", [&] {
        messaging::GlobalServices& services = *mLib.globalServices;
        std::string message;
        auto rule = [&](const std::string& sentence) { message += sentence + kCrLf; };

        const QVariant notify = mDtpAddBankruptcy[0]->Value();
        const QVariant filing = mDtpAddBankruptcy[1]->Value();
        const QVariant claim = mDtpAddBankruptcy[2]->Value();
        const QVariant close = mDtpAddBankruptcy[3]->Value();
        const bool trustee = !records::Trim(mTxtTrustee->text().toStdString()).empty();
        const std::string caseText = records::Trim(mTxtCaseId->text().toStdString());

        // 1. Officer.
        if (mStrMode != "UPD" && records::Val(mCustomerRecord.AsgnOfficerID) < 1)
            rule("An Assigned Officer Number is required.");

        // 2. Case number, unique among the customer's cases that were not dismissed.
        if (caseText.empty()) {
            rule("A Case Number is required.");
            services.MarkInvalid(mTxtCaseId);
        } else {
            const records::RecordsetPtr others = mRecordset->Clone();
            others->SetFilter("[" + std::string("CUST_ID") + "]='" +
                              records::FilterText(mCustomerRecord.CustID) + "' AND [" + "CASE_ID" +
                              "]='" + records::FilterText(caseText) + "' AND [" + "STTS_CD" +
                              "] <> '" + "D" + "'");
            const long count = others->RecordCount();
            // Updating, the case's own row is the one allowed.
            if (count != 0 && (mStrMode != "UPD" || count >= 2)) {
                rule("Bankruptcy Case " + caseText + " already exists for this customer.");
                services.MarkInvalid(mTxtCaseId);
            } else {
                services.ClearInvalid(mTxtCaseId);
            }
            records::IgnoreErrors([&] { others->Close(); });
        }

        // 3.-8. Dates.
        for (platform::KORVA_DTP* picker : mDtpAddBankruptcy) services.ClearInvalid(picker);
        if (notify.isNull()) {
            rule("A Notification Date is required.");
            services.MarkInvalid(mDtpAddBankruptcy[0]);
        }
        if (filing.isNull()) {
            rule("A Court Filing Date is required.");
            services.MarkInvalid(mDtpAddBankruptcy[1]);
        }
        if (claim.isNull()) {
            rule("A Claim Filing Date is required.");
            services.MarkInvalid(mDtpAddBankruptcy[2]);
        }
        if (!filing.isNull() && !claim.isNull() && claim.toDate() <= filing.toDate()) {
            rule("The Claim Filing Date must come after the Court Filing Date.");
            services.MarkInvalid(mDtpAddBankruptcy[1]);
            services.MarkInvalid(mDtpAddBankruptcy[2]);
        }
        if (!close.isNull() && !filing.isNull() && close.toDate() < filing.toDate()) {
            rule("The Court Close Date must come on or after the Court Filing date.");
            services.MarkInvalid(mDtpAddBankruptcy[1]);
            services.MarkInvalid(mDtpAddBankruptcy[3]);
        }

        // 9. A trustee once the court has closed the case.
        if (!close.isNull() && !trustee) {
            rule("A Trustee Name is required.");
            services.MarkInvalid(mTxtTrustee);
        } else {
            services.ClearInvalid(mTxtTrustee);
        }

        // 10. Comment: required, and every update must change it.
        auto* commentBox =
            qobject_cast<QWidget*>(oDbBind->Item(QStringLiteral("COMMENT"))->Object());
        const std::string comment =
            commentBox ? commentBox->property("plainText").toString().toStdString() : std::string();
        if (records::Trim(comment).empty()) {
            rule("A Comment is required.");
            services.MarkInvalid(commentBox);
        } else if (comment == records::TextOf(mRecordset->UnderlyingValue("BNKRPTCY_CMMT_TXT"))) {
            rule("The Comment must be changed.");
            services.MarkInvalid(commentBox);
        } else {
            services.ClearInvalid(commentBox);
        }

        // 11. Receivables of a new case, none issued after the court filing.
        if (mStrMode == "ADD" && !filing.isNull()) {
            const records::RecordsetPtr ars = mRecordsetAR;
            if (!ars || !ars->IsOpen() || ars->RecordCount() < 1) {
                rule(
                    "At least one Account Receivable must be selected when adding a new "
                    "Bankruptcy Case.");
            } else {
                const double filed = messaging::SerialFromQDate(filing.toDate()).serial;
                ars->MoveFirst();
                while (!ars->IsEOF()) {
                    const std::optional<double> issued = dayOf(ars->Get("TRNSCTN_DT"));
                    if (!issued || *issued > filed) {
                        rule(
                            "ALL Account Receivable Issue Dates must be on or before the Court "
                            "Filing Date.");
                        break;
                    }
                    ars->MoveNext();
                }
            }
        }

        // 12. A written-off case is closed for good.
        if (records::TextOf(mRecordset->Get("STTS_CD")) == "W")
            message = std::string("A CLOSED Bankruptcy Case can NOT be edited.") + kCrLf;

        valid = message.empty();
        computed = true;
        if (bShowMsg && !valid) {
            mInteraction->MsgBox(message + std::string(70, ' '), platform::MsgButtons::OK,
                                 platform::MsgIcon::Critical, services.GetMessageTitle());
        }
    });
    return computed && valid;
}

void frmBankruptcyAddUpdate::CalcTotalARBalDue() {
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.CalcTotalARBalDue", [&] {
        long count = -1;
        records::Currency total{};
        records::Date earliest{999999};
        records::Date latest{1};
        const records::RecordsetPtr ars = mRecordsetAR;
        if (ars && ars->IsOpen() && ars->RecordCount() >= 1) {
            count = ars->RecordCount();
            ars->MoveFirst();
            while (!ars->IsEOF()) {
                const records::Value balance = ars->Get("ACCT_RCVBL_BAL_AMT");
                if (records::IsNumeric(balance))
                    total = records::AddCurrency(total, records::CCur(balance));
                const records::Value issued = ars->Get("TRNSCTN_DT");
                if (issued.type() == records::Value::Type::Date) {
                    if (issued.date() < earliest) earliest = issued.date();
                    if (issued.date() > latest) latest = issued.date();
                }
                ars->MoveNext();
            }
        }
        mRecordset->Set("TOT_BAL_DUE_AMT", records::Value(total));
        if (count < 1) {
            mLblAddBankruptcy[8]->setText(QString());
            return;
        }
        std::vector<std::string> parts = {"Adding ", "0",          " ARs ",    "~Worth ",   "$0.00",
                                          "~From ",  "mm/dd/yyyy", "~  To   ", "mm/dd/yyyy"};
        parts[1] = std::to_string(count);
        parts[4] = platform::formatCurrency(records::Value(total)).toStdString();
        parts[6] = records::FormatDate(earliest, "mm/dd/yyyy");
        parts[8] = records::FormatDate(latest, "mm/dd/yyyy");
        if (count == 1) {
            parts[2] = " AR ";
            parts[5] = "~Issued ";
            parts[7].clear();
            parts[8].clear();
        }
        if (earliest.serial == 999999) {
            parts[5].clear();
            parts[6].clear();
        }
        if (latest.serial == 1) {
            parts[7].clear();
            parts[8].clear();
        }
        std::string caption;
        for (const std::string& part : parts) caption += part;
        std::string lines;
        for (char c : caption) lines += c == '~' ? std::string(kCrLf) : std::string(1, c);
        mLblAddBankruptcy[8]->setText(QString::fromStdString(lines));
    });
}

void frmBankruptcyAddUpdate::mCmdAddBankruptcy_Click(int Index) {
    // A change cancelled during notification is no error: the next step runs.
    auto proceed = [](auto&& body) {
        try {
            body();
        } catch (const records::Error& e) {
            if (e.Number() != kChangeCancelled) throw;
        }
    };
    if (Index == 1) {
        records::Trap(sink(), "KORVA_BankruptcyCaseAdd.mCmdAddBankruptcy_Click", [&] {
            proceed([&] { cancelOwnRow(); });
            proceed([&] { Unload(); });
        });
        return;
    }
    if (Index != 0) return;

    bool saved = false;
    records::Trap(sink(), "KORVA_BankruptcyCaseAdd.mCmdAddBankruptcy_Click", [&] {
        bool stop = false;
        proceed([&] {
            const bool show = true;
            stop = !ValidateChanges(show);
        });
        if (stop) return;
        const records::RecordsetPtr rs = mRecordset;
        proceed([&] {
            // The phone number goes into the row exactly when it differs from the field.
            platform::Binding* phone = oDbBind->Item(QStringLiteral("PhoneNumber"));
            const std::string entered = records::Trim(KORVA_Phone1->PhoneNum().toStdString());
            const std::string stored =
                records::Trim(records::TextOf(rs->Get(phone->DataField().toStdString())));
            phone->SetDataChanged(entered != stored);
        });
        proceed([&] { oDbBind->MoveZero(); });
        proceed([&] { stop = rs->Get("CASE_ID").isNothing(); });
        if (stop) return;
        proceed([&] {
            rs->Set("ACTION", records::Value(mStrMode));
            if (mStrMode == "ADD") {
                const records::Value officer(mCustomerRecord.AsgnOfficerID);
                if (records::IsNumeric(officer))
                    rs->Set("ASGN_OFCR_ID", records::Value(records::CLng(officer)));
            }
        });
        proceed([&] {
            bool cancel = false;
            const records::Bookmark bookmark = rs->GetBookmark();
            if (mStrMode == "ADD") {
                emit AddBankruptcy(rs, bookmark, mRecordsetAR, &cancel);
            } else {
                emit UpdateBankruptcy(rs, bookmark, mRecordsetAR, &cancel);
            }
            stop = cancel;
        });
        if (stop) return;
        proceed([&] { rs->Update(); });
        proceed([&] { mCustomerRecord.CaseID = records::TextOf(rs->Get("CASE_ID")); });
        proceed([&] { SendMsgAddUpdateBankruptcy(); });
        mStrMode.clear();
        saved = true;
    });
    if (!saved) return;
    removeTakenRows();
    QDialog::done(QDialog::Accepted);
}

void frmBankruptcyAddUpdate::removeTakenRows() {
    // Each taken row carries the request's key before it goes, so that the answer makes the
    // delete final and a refusal or time-out brings the row back.
    auto take = [this](const records::RecordsetPtr& rows) {
        if (!mStrSentKey.empty()) {
            rows->Set("Theme", records::Value(mStrSentKey));
            rows->Update();
        }
        rows->Delete();
    };
    records::IgnoreErrors([&] {
        const records::RecordsetPtr dismissed = mRecordset->Clone();
        records::IgnoreErrors([&] {
            dismissed->SetFilter("[" + std::string("CUST_ID") + "]='" +
                                 records::FilterText(mCustomerRecord.CustID) + "' AND [" +
                                 "CASE_ID" + "]='" + records::FilterText(mCustomerRecord.CaseID) +
                                 "' AND [" + "STTS_CD" + "] = '" + "D" + "'");
            if (dismissed->RecordCount() > 0) dismissed->MoveFirst();
            while (!dismissed->IsEOF()) {
                take(dismissed);
                dismissed->MoveNext();
            }
        });
        records::IgnoreErrors([&] { dismissed->Close(); });
    });
    records::IgnoreErrors([&] {
        const records::RecordsetPtr ars = mRecordsetAR;
        if (!ars || !ars->IsOpen() || ars->RecordCount() < 1) return;
        const std::vector<records::Bookmark> taken = ars->VisibleBookmarks();
        if (!mStrSentKey.empty()) {
            ars->MoveFirst();
            while (!ars->IsEOF()) {
                ars->Set("Theme", records::Value(mStrSentKey));
                ars->Update();
                ars->MoveNext();
            }
        }
        // The receivables leave in one delete, so every view and grid hears of them once.
        const records::RecordsetPtr rows = ars->Clone();
        records::IgnoreErrors([&] {
            rows->SetFilter(taken);
            rows->Delete(records::Affect::Group);
        });
        records::IgnoreErrors([&] { rows->Close(); });
    });
}
