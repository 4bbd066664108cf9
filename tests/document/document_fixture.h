#pragma once
// A document over the real common library and transport, with a scripted back end whose answers
// are built from the record layouts, and scripted message boxes.

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "dialogs/rows.h"
#include "document/korva_bankruptcy.h"
#include "platform/common/clock.h"
#include "platform/common/faults.h"
#include "platform/common/library_fixture.h"
#include "platform/common/recording_status_line.h"
#include "platform/common/scripted_backend.h"
#include "platform/common/transport.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/scripted_interaction.h"
#include "records/layouts.h"
#include "records/value_rules.h"

namespace document_testing {

using records::Value;
using testing_support::themeWord;
using testing_support::waitUntil;

struct Ar {
    Value number;  // Null for a receivable without a number
    long check;
    std::string type;
    int year, month, day;
    std::string action;
};

struct Case {
    std::string caseId;
    std::string status;
    int fileYear, fileMonth, fileDay;  // court filing date
    std::string trustee;
    std::string phone;
    std::string action;
};

struct Problem {
    std::string code, message, location, note;
};

// Answers every request from the data it was given, per customer; records every request.
class DocBackEnd : public testing_support::ScriptedBackEnd {
  public:
    DocBackEnd() {
        onHandle = [this](const messaging::Request& r) { return answer(r); };
    }

    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text, int) override {
        std::lock_guard lock(dataMutex_);
        std::vector<messaging::CustomerInfo> found;
        for (const auto& c : customers)
            if (c.custId.rfind(text, 0) == 0) found.push_back(c);
        return found;
    }
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override {
        if (table == "BNKRPTCY") return {{"O", "Open"}, {"D", "Dismissed"}, {"W", "Written Off"}};
        if (table == "REFDOCTYP") return {{"FEE", "License Fee"}, {"TX", "Sales Tax"}};
        if (table == "CSTATUS") return {{"O", "Open"}};
        return {};
    }

    // Customers "another user" changed: told once, at the transport's next look.
    void changeElsewhere(const std::string& custId) {
        std::lock_guard lock(dataMutex_);
        changed_.push_back(custId);
    }
    std::vector<std::string> ChangedElsewhere() override {
        std::lock_guard lock(dataMutex_);
        return std::exchange(changed_, {});
    }
    bool changesTold() const {
        std::lock_guard lock(dataMutex_);
        return changed_.empty();
    }

    // --- data (set before the requests run)
    std::vector<messaging::CustomerInfo> customers;
    std::map<std::string, std::vector<Ar>> ars;            // by customer
    std::map<std::string, std::vector<Case>> cases;        // by customer
    std::map<std::string, std::vector<Problem>> problems;  // by theme word

    std::vector<messaging::Request> requests() const {
        std::lock_guard lock(dataMutex_);
        return requests_;
    }
    std::vector<messaging::Request> requestsOf(const std::string& word) const {
        std::vector<messaging::Request> out;
        for (const auto& r : requests())
            if (themeWord(r.theme) == word) out.push_back(r);
        return out;
    }

  private:
    static std::string criterion(const messaging::Request& r, const std::string& key) {
        for (const auto& c : r.criteria)
            if (c.keyName == key) return c.value;
        return {};
    }

    messaging::Answer answer(const messaging::Request& r) {
        std::lock_guard lock(dataMutex_);
        requests_.push_back(r);
        messaging::Answer a;
        a.theme = r.theme;
        a.messageKey = r.messageKey;
        const std::string word = themeWord(r.theme);
        const std::string cust = criterion(r, "key:CUST_ID");
        if (word == "OPENARS" && !ars[cust].empty()) {
            auto rows = records::OpenLayoutRecordset(records::kLayoutAccntRecv);
            for (const Ar& ar : ars[cust]) {
                rows->AddNew();
                rows->Set("Cust_ID", Value(cust));
                rows->Set("ACCT_RCVBL_NBR", ar.number);
                rows->Set("ACCT_RCVBL_CK_NBR", Value(static_cast<std::int64_t>(ar.check)));
                rows->Set("ACCT_RCVBL_TYP_CD", Value(ar.type));
                rows->Set("ACCT_STTS_CD", Value("O"));
                rows->Set("TRNSCTN_DT", Value(records::DateSerial(ar.year, ar.month, ar.day)));
                rows->Set("ACCT_RCVBL_DUE_AMT", Value(records::CurrencyFromUnits(100)));
                rows->Set("ACCT_RCVBL_BAL_AMT", Value(records::CurrencyFromUnits(60, 5000)));
                if (!ar.action.empty()) rows->Set("ACTION", Value(ar.action));
                rows->Update();
            }
            rows->UpdateBatch();
            a.parts.push_back({std::string(records::kLayoutAccntRecv), rows});
        }
        if (word == "CASES" && !cases[cust].empty()) {
            auto rows = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
            for (const Case& c : cases[cust]) {
                rows->AddNew();
                rows->Set("CUST_ID", Value(cust));
                rows->Set("CASE_ID", Value(c.caseId));
                rows->Set("STTS_CD", Value(c.status));
                rows->Set("CRT_FILE_DT",
                          Value(records::DateSerial(c.fileYear, c.fileMonth, c.fileDay)));
                rows->Set("CLM_FILE_DT",
                          Value(records::DateSerial(c.fileYear, c.fileMonth, c.fileDay + 2)));
                rows->Set("TRSTE_NM", Value(c.trustee));
                rows->Set("TRSTE_PHN_NBR", Value(c.phone));
                if (!c.action.empty()) rows->Set("ACTION", Value(c.action));
                rows->Update();
            }
            rows->UpdateBatch();
            a.parts.push_back({std::string(records::kLayoutBankruptcy), rows});
        }
        if (auto it = problems.find(word); it != problems.end() && !it->second.empty()) {
            auto rows = records::OpenLayoutRecordset(records::kLayoutNotification);
            for (const Problem& p : it->second) {
                rows->AddNew();
                rows->Set("COMPLETION_CD", Value(p.code));
                rows->Set("COMPLETION_MSG", Value(p.message));
                rows->Set("LOCATION", Value(p.location));
                rows->Set("NOTE", Value(p.note));
                rows->Update();
            }
            rows->UpdateBatch();
            a.parts.push_back({std::string(records::kLayoutNotification), rows});
        }
        return a;
    }

    mutable std::mutex dataMutex_;
    std::vector<messaging::Request> requests_;
    std::vector<std::string> changed_;
};

using testing_support::RecordingReporter;

inline messaging::CustomerInfo customer(const std::string& id, const std::string& name) {
    messaging::CustomerInfo c;
    c.custId = id;
    c.name = name;
    c.mailAddress = "12 Harbour Road";
    c.mailCity = "Portland";
    c.mailState = "OR";
    c.mailZip = "97201";
    c.phone = "5035550123";
    return c;
}

class DocumentTest : public testing_support::LibraryTest {
  protected:
    void SetUp() override {
        backEnd = std::make_shared<DocBackEnd>();
        backEnd->customers = {customer("1002", "Harbour Fisheries"),
                              customer("1003", "Lantern Books")};
        backEnd->ars["1002"] = {{Value(std::int64_t{7}), 1, "FEE", 2023, 3, 1, ""},
                                {Value(std::int64_t{1234567}), 10, "TX", 2022, 11, 5, ""},
                                {Value::Null(), 3, "FEE", 2024, 1, 9, ""}};
        backEnd->cases["1002"] = {{"BK-200", "O", 2023, 6, 1, "Ada Trustee", "5035550199", ""}};
        backEnd->ars["1003"] = {{Value(std::int64_t{55}), 2, "TX", 2024, 2, 2, ""}};

        buildLibrary(backEnd);
    }

    void TearDown() override {
        doc.reset();
        QApplication::processEvents();
    }

    KORVA_Bankruptcy& open() {
        doc = std::make_unique<KORVA_Bankruptcy>(parts.library, interaction);
        doc->resize(900, 600);
        doc->show();
        doc->Show();
        doc->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(doc.get()));
        return *doc;
    }

    // Every answer of the theme word also carries a part of the layout with the rows that fill
    // adds (no part while it adds none).
    void answerAlsoWith(const std::string& word, std::string_view layout,
                        std::function<void(records::Recordset&)> fill) {
        auto base = backEnd->onHandle;
        backEnd->onHandle = [base, word, name = std::string(layout),
                             fill](const messaging::Request& r) {
            messaging::Answer a = base(r);
            if (themeWord(r.theme) != word) return a;
            auto rows = records::OpenLayoutRecordset(name);
            fill(*rows);
            rows->UpdateBatch();
            if (rows->RecordCount() > 0) a.parts.push_back({name, rows});
            return a;
        };
    }

    void fault(const QString& spec) {
        platform::FaultTable table = parts.transport->faults();
        table.add(spec);
        parts.transport->setFaults(table);
    }
    void clearFaults() { parts.transport->setFaults({}); }

    bool select(const std::string& id) {
        return doc->findChild<platform::CustomerSelect*>("KORVA_CustSelect1")
            ->SelectCustomerById(id);
    }
    bool waitIdle(int ms = 4000) {
        return waitUntil([&] { return doc->IsIdle(); }, ms);
    }
    bool selectAndWait(const std::string& id) { return select(id) && waitIdle(); }

    platform::DataGrid& grid(int index) { return *doc->Grid(index); }
    QPushButton* command(int index) {
        return doc->findChild<QPushButton*>(QStringLiteral("mCmdBankruptcy(%1)").arg(index));
    }
    QRadioButton* option(int index) {
        return doc->findChild<QRadioButton*>(QStringLiteral("mOptBankruptcy(%1)").arg(index));
    }
    QLineEdit* officerBox() { return doc->findChild<QLineEdit*>("mTxtBankruptcy"); }
    QTabWidget* tabs() { return doc->findChild<QTabWidget*>("SSTab1"); }
    std::string status() const { return statusLine->lastText(); }
    bool statusSeen(const std::string& text) const {
        for (const auto& t : statusLine->texts)
            if (t == text) return true;
        return false;
    }

    // The grid row's cells read as `cells` says: "Column=text|Column=text...".
    static void expectCells(platform::DataGrid& g, int row, const std::string& cells) {
        for (const auto& [column, text] : testing_rows::namedTexts(cells))
            EXPECT_EQ(g.CellText(row, column.c_str()).toStdString(), text) << row << " " << column;
    }

    // A user's click on a row's selector.
    void clickSelector(platform::DataGrid& g, int row) {
        g.ScrollToRow(row);
        const QRect r = g.SelectorRect(row);
        ASSERT_FALSE(r.isEmpty()) << "row " << row << " has no selector on screen";
        QTest::mouseClick(g.selectorArea(), Qt::LeftButton, {},
                          g.selectorArea()->mapFrom(&g, r.center()));
    }
    // Types into the officer box key by key and leaves it, as the user does.
    void typeOfficer(const QString& text) {
        QLineEdit* box = officerBox();
        tabs()->setCurrentIndex(1);
        box->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(box->hasFocus()) << "the officer box takes no focus";
        box->selectAll();
        if (text.isEmpty()) {
            QTest::keyClick(box, Qt::Key_Delete);
        } else {
            QTest::keyClicks(box, text);
        }
        option(0)->setFocus(Qt::TabFocusReason);
        ASSERT_FALSE(box->hasFocus());
        QApplication::processEvents();
    }

    std::shared_ptr<DocBackEnd> backEnd;
    std::unique_ptr<KORVA_Bankruptcy> doc;
};

}  // namespace document_testing
