#pragma once
// The process dialog over the real common library and transport, a scripted back end that
// writes down every call, and scripted message boxes; the case row lives in a record set of its
// own, as the document's would.

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "dialogs/process/frm_bankruptcy_process.h"
#include "platform/common/library_fixture.h"
#include "platform/common/recording_status_line.h"
#include "platform/common/scripted_backend.h"
#include "platform/widgets/scripted_interaction.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace process_testing {

using records::Value;
using testing_support::waitUntil;

// The scripted back end with a number pool like the real one's (a handed-back number is drawn
// again first); it can also refuse to hand out numbers.
class ProcessBackEnd : public testing_support::ScriptedBackEnd {
  public:
    std::string NextNumber(const std::string& sender, const std::string& kind) override {
        if (refuseNumbers) throw std::runtime_error("no numbers today");
        {
            std::lock_guard lock(poolMutex_);
            ++draws_[kind];
            auto& pool = pool_[kind];
            if (!pool.empty()) {
                const std::string number = *pool.begin();
                pool.erase(pool.begin());
                return number;
            }
        }
        return ScriptedBackEnd::NextNumber(sender, kind);
    }
    void ReturnNumber(const std::string& sender, const std::string& kind,
                      const std::string& number) override {
        ScriptedBackEnd::ReturnNumber(sender, kind, number);
        std::lock_guard lock(poolMutex_);
        ++returns_[kind];
        pool_[kind].insert(number);
    }
    // Numbers of the kind drawn and handed back so far.
    int draws(const std::string& kind) {
        std::lock_guard lock(poolMutex_);
        return draws_[kind];
    }
    int returns(const std::string& kind) {
        std::lock_guard lock(poolMutex_);
        return returns_[kind];
    }
    // True when the number was handed back and not drawn again.
    bool pooled(const std::string& kind, const std::string& number) {
        std::lock_guard lock(poolMutex_);
        return pool_[kind].count(number) > 0;
    }
    std::atomic<bool> refuseNumbers{false};

  private:
    std::mutex poolMutex_;
    std::map<std::string, std::set<std::string>> pool_;
    std::map<std::string, int> draws_, returns_;
};

using testing_support::RecordingReporter;

// What the case row holds before the dialog sees it.
struct CaseRow {
    std::string status = "O";
    std::string trustee = "Ira Trustee";
    std::string phone = "3125550188";
    bool closeDate = false;
    Value totalPaid = Value::Null();
    Value paymentCount = Value::Null();
    Value totalDue = Value(records::CurrencyFromUnits(3140));
    std::string comment = "Chapter 7 petition filed.";
};

class ProcessDialogTest : public testing_support::LibraryTest {
  protected:
    void SetUp() override {
        backEnd = std::make_shared<ProcessBackEnd>();
        buildLibrary(backEnd);
    }

    void TearDown() override {
        dialog.reset();
        QApplication::processEvents();
    }

    // The document's case record set with one case of customer 1002.
    records::RecordsetPtr caseRecordset(const CaseRow& row) {
        auto rs = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
        rs->AddNew();
        rs->Set("CUST_ID", Value("1002"));
        rs->Set("CASE_ID", Value("2020BK0001"));
        rs->Set("STTS_CD", Value(row.status));
        rs->Set("TRSTE_NM", Value(row.trustee));
        rs->Set("TRSTE_PHN_NBR", Value(row.phone));
        rs->Set("BNKRPTCY_CMMT_TXT", Value(row.comment));
        rs->Set("NTFCTN_DT", Value(records::DateSerial(2020, 2, 10)));
        rs->Set("CRT_FILE_DT", Value(records::DateSerial(2020, 1, 27)));
        rs->Set("CLM_FILE_DT", Value(records::DateSerial(2020, 3, 16)));
        if (row.closeDate) rs->Set("CRT_CLSE_DT", Value(records::DateSerial(2021, 6, 30)));
        rs->Set("ASGN_OFCR_ID", Value(101));
        rs->Set("TOT_PYMT_AMT", row.totalPaid);
        rs->Set("PYMT_CNT", row.paymentCount);
        rs->Set("TOT_BAL_DUE_AMT", row.totalDue);
        rs->Update();
        rs->UpdateBatch();
        return rs;
    }

    // Opens the dialog on a clone of the case row as the document does, shown but not modal.
    frmBankruptcyProcess& open(const CaseRow& row = {}, bool manager = true) {
        cases = caseRecordset(row);
        customer.CustID = "1002";
        customer.CaseID = "2020BK0001";
        customer.IsBankruptcyManager = manager;
        dialog = std::make_unique<frmBankruptcyProcess>(parts.library, interaction);
        QObject::connect(dialog.get(), &frmBankruptcyProcess::SentMessage,
                         [this](const std::string& theme, const std::string& key) {
                             sent.push_back({theme, key, backEnd->count("Handle:")});
                         });
        dialog->SetCustomerRecord(customer);
        auto clone = cases->Clone();
        clone->MoveFirst();
        dialog->Load();
        dialog->SetRecordset(clone);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return *dialog;
    }

    QLineEdit* amountBox() { return qobject_cast<QLineEdit*>(dialog->EntryBox(0)); }
    QLineEdit* checkBox() { return qobject_cast<QLineEdit*>(dialog->EntryBox(2)); }
    QPlainTextEdit* commentBox() { return qobject_cast<QPlainTextEdit*>(dialog->EntryBox(1)); }
    QString label(int index) { return dialog->DataLabel(index)->text(); }

    // Types into a box key by key, as the user does, and leaves it.
    void type(QWidget* box, const QString& text, bool leave = true) {
        box->setFocus(Qt::MouseFocusReason);
        if (auto* line = qobject_cast<QLineEdit*>(box)) line->selectAll();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(box)) plain->selectAll();
        QTest::keyClicks(box, text);
        if (leave) dialog->CommandButton(1)->setFocus(Qt::TabFocusReason);
    }
    // A user's paste of the text over the whole box, with Shift+Insert.
    void paste(QLineEdit* box, const QString& text) {
        box->setFocus(Qt::MouseFocusReason);
        box->selectAll();
        QApplication::clipboard()->setText(text);
        QTest::keyClick(box, Qt::Key_Insert, Qt::ShiftModifier);
    }
    void fillPayment(const QString& amount = "250", const QString& check = "CK-1",
                     const QString& comment = "Trustee payment") {
        type(amountBox(), amount);
        type(checkBox(), check);
        type(commentBox(), comment);
    }
    void clickSave() { QTest::mouseClick(dialog->CommandButton(0), Qt::LeftButton); }
    void choose(int option) { QTest::mouseClick(dialog->OptionButton(option), Qt::LeftButton); }

    // The request the back end received (waits for it).
    messaging::Request request() {
        EXPECT_TRUE(waitUntil([&] { return backEnd->count("Handle:") > 0; }));
        return backEnd->lastRequest();
    }
    static Value partValue(const messaging::Request& r, const char* field) {
        for (const auto& part : r.parts) {
            if (part.name != "BANKRUPTCY") continue;
            part.rows->MoveFirst();
            return part.rows->Get(field);
        }
        ADD_FAILURE() << "no BANKRUPTCY part";
        return Value();
    }
    std::string lastBoxText() const {
        return interaction->lastBox() ? interaction->lastBox()->text : std::string();
    }

    struct Sent {
        std::string theme, key;
        int handledBefore;
    };

    std::shared_ptr<ProcessBackEnd> backEnd;
    messaging::CustomerRecord customer;
    records::RecordsetPtr cases;
    std::unique_ptr<frmBankruptcyProcess> dialog;
    std::vector<Sent> sent;
};

}  // namespace process_testing
