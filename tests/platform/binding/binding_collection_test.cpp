// The binding collection over a real "BANKRUPTCY" record set, driven the way a user would.
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include "platform/binding/binding_collection.h"
#include "platform/binding/formatters.h"
#include "platform/binding/korva_dtp.h"
#include "platform/binding/korva_phone.h"
#include "platform/binding/value_conversion.h"
#include "records/errors.h"
#include "records/layouts.h"
#include "records/value_rules.h"
#include "value_printer.h"

namespace platform {
namespace {

using records::Value;

records::Date march5() {
    return records::DateSerial(2004, 3, 5);
}

// Two settled cases: the first fully filled, the second with Nulls.
records::RecordsetPtr twoCases() {
    auto rs = records::OpenLayoutRecordset(records::kLayoutBankruptcy);
    rs->AddNew({"CASE_ID", "TRSTE_NM", "BNKRPTCY_CMMT_TXT", "NTFCTN_DT", "TRSTE_PHN_NBR"},
               {Value("2020BK0001"), Value("Pat Doe"), Value("first  comment"), Value(march5()),
                Value("5551234567")});
    rs->AddNew({"CASE_ID", "TRSTE_PHN_NBR"}, {Value("2021BK0002"), Value("5559876")});
    rs->UpdateBatch();
    rs->MoveFirst();
    return rs;
}

void typeInto(QWidget* w, const QString& text) {
    QTest::keyClicks(w, text);
}
void clearAsUser(QLineEdit* e) {
    e->setFocus();
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(e, Qt::Key_Backspace);
}

struct ErrorSeen {
    long number = 0;
    QString description;
    QString key;
};

class BindingForm : public ::testing::Test {
  protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&form);
        for (QWidget* w :
             std::initializer_list<QWidget*>{caseId, trustee, comment, notify, phone, phoneLabel}) {
            layout->addWidget(w);
        }
        form.show();
        rs = twoCases();
        bind.SetDataSource(rs);
        bind.Add(caseId, "Text", "CASE_ID", nullptr, "CaseID");
        bind.Add(trustee, "Text", "TRSTE_NM", &text1sp, "TrusteeName");
        bind.Add(comment, "Text", "BNKRPTCY_CMMT_TXT", &text1sp, "COMMENT");
        bind.Add(notify, "Value", "NTFCTN_DT", &dates, "NotifyDate");
        bind.Add(phone, "PhoneNum", "TRSTE_PHN_NBR", &phoneEntry, "PhoneNumber");
        bind.Add(phoneLabel, "Caption", "TRSTE_PHN_NBR", &phoneMask, "PhoneLabel");
        QObject::connect(&bind, &BindingCollection::Error,
                         [this](long n, const QString& d, Binding* b, bool* cancel) {
                             errors.push_back({n, d, b ? b->Key() : QString()});
                             *cancel = true;
                         });
    }

    QWidget form;
    QLineEdit* caseId = new QLineEdit;
    QLineEdit* trustee = new QLineEdit;
    QLineEdit* comment = new QLineEdit;
    KORVA_DTP* notify = new KORVA_DTP;
    KORVA_Phone* phone = new KORVA_Phone;
    QLabel* phoneLabel = new QLabel;
    DataFormat text1sp = makeText1spFormat();
    DataFormat dates = makeDateFormat("mm/dd/yyyy");
    DataFormat phoneEntry = makePhoneFormat();
    DataFormat phoneMask = makePhoneMaskFormat();
    records::RecordsetPtr rs;
    BindingCollection bind;
    std::vector<ErrorSeen> errors;
};

TEST_F(BindingForm, ReadsTheCurrentRowThroughTheFormattersAndAgainOnEachMove) {
    EXPECT_EQ(caseId->text(), "2020BK0001");
    EXPECT_EQ(comment->text(), "first comment");
    EXPECT_EQ(notify->Value(), QVariant(QDate(2004, 3, 5)));
    EXPECT_EQ(phone->PhoneNum(), "5551234567");
    EXPECT_EQ(phoneLabel->text(), "(555) 123 - 4567");
    for (int i = 0; i < bind.Count(); ++i) EXPECT_FALSE(bind.Item(i)->DataChanged()) << i;

    bind.Move(1);
    EXPECT_EQ(caseId->text(), "2021BK0002");
    EXPECT_EQ(trustee->text(), "");
    EXPECT_FALSE(notify->Value().isValid());  // Null date: cleared picker
    EXPECT_EQ(phoneLabel->text(), "      555 - 9876");

    rs->MoveFirst();  // directly on the record set: shown once asked
    EXPECT_EQ(caseId->text(), "2021BK0002");
    bind.UpdateControls();
    EXPECT_EQ(caseId->text(), "2020BK0001");
    EXPECT_TRUE(errors.empty());

    // a view that lands on another row is shown without asking
    bind.Move(1);
    ASSERT_EQ(caseId->text(), "2021BK0002");
    rs->SetFilter("CASE_ID = '2020BK0001'");  // moves to its first row
    EXPECT_EQ(caseId->text(), "2020BK0001");
    rs->Close();
    EXPECT_EQ(caseId->text(), "");
    EXPECT_FALSE(notify->Value().isValid());
}

TEST_F(BindingForm, MoveZeroWritesOnlyTheBindingsTheUserChanged) {
    clearAsUser(trustee);
    typeInto(trustee, "Lee   Roe ");
    comment->setText("set by the program");  // not the user's edit
    EXPECT_TRUE(bind.Item("TrusteeName")->DataChanged());
    EXPECT_FALSE(bind.Item("COMMENT")->DataChanged());
    // The shown row changed through another view leaves what is typed alone.
    auto clone = rs->Clone();
    clone->SetBookmark(rs->GetBookmark());
    clone->Set("TRSTE_NM", Value("Other"));
    clone->Update();

    bind.MoveZero();
    EXPECT_EQ(rs->Get("TRSTE_NM"), Value("Lee Roe"));  // trimmed, then one blank
    // Unchanged bindings were not written: the stored comment keeps its double blank.
    EXPECT_EQ(rs->Get("BNKRPTCY_CMMT_TXT"), Value("first  comment"));
    EXPECT_EQ(rs->Get("TRSTE_PHN_NBR"), Value("5551234567"));
    EXPECT_EQ(rs->GetEditMode(), records::EditMode::InProgress);  // written, not updated
    EXPECT_FALSE(bind.Item("TrusteeName")->DataChanged());
    EXPECT_EQ(trustee->text(), "Lee   Roe ");  // the entry stays as typed

    // The owner marks a binding by key (letter case ignored) to have it written.
    bind.Item("phonenumber")->SetDataChanged(true);
    phone->setPhoneNum("5550001111");
    bind.MoveZero();
    EXPECT_EQ(rs->Get("TRSTE_PHN_NBR"), Value("5550001111"));
    EXPECT_TRUE(errors.empty());
}

TEST_F(BindingForm, NullStaysNullAndTheEmptyTextStaysText) {
    bind.Move(1);  // the row with Nulls
    ASSERT_EQ(trustee->text(), "");
    bind.MoveZero();  // nothing touched: Nulls remain
    EXPECT_EQ(rs->Get("TRSTE_NM"), Value::Null());
    EXPECT_EQ(rs->Get("NTFCTN_DT"), Value::Null());

    typeInto(trustee, "x");
    QTest::keyClick(trustee, Qt::Key_Backspace);
    bind.MoveZero();
    EXPECT_EQ(rs->Get("TRSTE_NM"), Value(""));  // emptied by the user: the empty text

    bind.Move(-1);
    ASSERT_TRUE(notify->hasDate());
    QTest::keyClick(notify->dateEdit(), Qt::Key_Space);  // the user clears the picker
    EXPECT_FALSE(notify->Value().isValid());
    bind.MoveZero();
    EXPECT_EQ(rs->Get("NTFCTN_DT"), Value::Null());

    QTest::keyClick(notify->dateEdit(), Qt::Key_Space);  // and checks it again
    bind.MoveZero();
    EXPECT_EQ(rs->Get("NTFCTN_DT"), Value(march5()));

    // The same rule between record values and Qt properties.
    EXPECT_EQ(fromPropertyValue(QVariant(QString())), Value(""));
    EXPECT_FALSE(toPropertyValue(Value::Null(), QMetaType(QMetaType::QVariant)).isValid());
    EXPECT_EQ(fitToField(Value(), records::FieldType::Text), Value(""));
}

TEST_F(BindingForm, EntriesMadeForTheUserMarkTheirBindings) {
    notify->enter(QDate(2010, 1, 2));
    phone->enter(QStringLiteral("5550001111"));
    EXPECT_TRUE(bind.Item("NotifyDate")->DataChanged());
    EXPECT_TRUE(bind.Item("PhoneNumber")->DataChanged());
    EXPECT_FALSE(bind.Item("PhoneLabel")->DataChanged());
    bind.MoveZero();
    EXPECT_EQ(rs->Get("NTFCTN_DT"), Value(records::DateSerial(2010, 1, 2)));
    EXPECT_EQ(rs->Get("TRSTE_PHN_NBR"), Value("5550001111"));

    // an empty entry writes Null into an amount field
    auto* amount = new QLineEdit(&form);
    bind.Add(amount, "text", "FUND_AMT", nullptr, "PmtAmt");
    typeInto(amount, "$1,234.50");
    bind.MoveZero();
    EXPECT_EQ(rs->Get("FUND_AMT"), Value(records::Currency{12345000}));
    clearAsUser(amount);
    bind.MoveZero();
    EXPECT_EQ(rs->Get("FUND_AMT"), Value::Null());
}

TEST_F(BindingForm, AValueTheFieldRefusesRaisesErrorAndTheOthersAreStillWritten) {
    auto* notifyText = new QLineEdit(&form);
    bind.Add(notifyText, "Text", "NTFCTN_DT", &dates, "NotifyText");
    clearAsUser(notifyText);
    typeInto(notifyText, "soon");
    typeInto(caseId, "X");

    EXPECT_NO_THROW(bind.MoveZero());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].number, records::err::TypeMismatch);
    EXPECT_EQ(errors[0].key, "NotifyText");
    EXPECT_EQ(rs->Get("NTFCTN_DT"), Value(march5()));
    EXPECT_TRUE(bind.Item("NotifyText")->DataChanged());  // kept for the next try
    EXPECT_EQ(rs->Get("CASE_ID"), Value("2020BK0001X"));
}

TEST_F(BindingForm, KeysAndNamesAreCheckedWhenBinding) {
    EXPECT_EQ(bind.Item("caseid"), bind.Item("CaseID"));
    const auto number = [](auto&& f) {
        try {
            f();
        } catch (const records::Error& e) {
            return e.Number();
        }
        return 0L;
    };
    EXPECT_EQ(number([&] { bind.Item("nope"); }), records::err::ItemNotFound);
    EXPECT_EQ(number([&] { bind.Add(caseId, "NoSuchProperty", "CASE_ID"); }),
              records::err::ItemNotFound);
    EXPECT_EQ(number([&] { bind.Add(caseId, "Text", "NO_FIELD"); }), records::err::ItemNotFound);
    EXPECT_EQ(number([&] { bind.Add(caseId, "Text", "CASE_ID", nullptr, "CASEID"); }),
              records::err::InvalidArgument);
    EXPECT_EQ(number([&] { bind.Add(nullptr, "Text", "CASE_ID"); }), records::err::InvalidArgument);

    bind.Remove("PhoneLabel");
    EXPECT_EQ(bind.Find("PhoneLabel"), nullptr);
    EXPECT_EQ(bind.Count(), 5);
    bind.Clear();
    EXPECT_EQ(bind.Count(), 0);
}

TEST(BindingLifetime, AControlThatIsGoneIsSkipped) {
    auto rs = twoCases();
    BindingCollection bind;
    bind.SetDataSource(rs);
    auto* box = new QLineEdit;
    Binding* b = bind.Add(box, "text", "CASE_ID");
    b->SetDataChanged(true);
    delete box;
    EXPECT_EQ(b->Object(), nullptr);
    bind.MoveZero();
    bind.Move(1);
    EXPECT_EQ(rs->Get("CASE_ID"), Value("2021BK0002"));
}

}  // namespace
}  // namespace platform
