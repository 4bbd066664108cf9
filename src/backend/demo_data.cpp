#include "backend/demo_data.h"

#include "backend/demo_writer.h"
#include "backend/transaction.h"

namespace backend {
namespace {

constexpr std::int64_t kDollar = 10000;  // ten-thousandths
constexpr std::int64_t kCent = kDollar / 100;

QString S(const char* s) {
    return QString::fromUtf8(s);
}

messaging::CustomerInfo Customer(const char* id, const char* name, const char* phone) {
    messaging::CustomerInfo c;
    c.custId = id;
    c.name = name;
    c.phone = phone;
    c.custType = "IND";
    c.docType = "SSN";
    c.refNumber = std::string("REF-") + id;
    return c;
}

void Mailing(messaging::CustomerInfo& c, const char* line1, const char* city, const char* state,
             const char* zip) {
    c.mailAddress = line1;
    c.mailCity = city;
    c.mailState = state;
    c.mailZip = zip;
}

void StaffAndUsers(DemoWriter& w) {
    const char* names[] = {"Anna Berg",      "Ravi Chandra", "Lena Okafor", "Tomas Novak",
                           "Mei Lin",        "Jonas Weber",  "Sara Haddad", "Piet de Vries",
                           "Nora Lindqvist", "Omar Farouk"};
    for (int i = 0; i < 10; ++i) w.officer(101 + i, QString::fromUtf8(names[i]));
    w.user(S("manager"), 101, S("Anna Berg"), {S("BnkrptcyMgr")});
    w.user(S("officer"), 102, S("Ravi Chandra"), {});
}

// The five customers that tests and demonstrations name.
void Fixtures(DemoWriter& w) {
    const QDate today = w.today();
    auto ago = [&](int days) { return today.addDays(-days); };

    auto ada = Customer("1001", "Ada Demo Customer", "2175550101");
    Mailing(ada, "12 Harbour Road", "Springfield", "IL", "62701");
    w.customer(ada);
    const QString c1001 = S("1001");
    w.receivable(c1001, ago(45), S("INV"), 250 * kDollar, 250 * kDollar, ar_status::Open);
    const ReceivableKey shared =
        w.receivable(c1001, ago(120), S("ASMT"), 1200 * kDollar, 800 * kDollar, ar_status::Open);
    w.receivableLike(shared, c1001, ago(118), S("LATE"), 75 * kDollar, 75 * kDollar);
    w.receivable(c1001, ago(380), S("INTR"), 4250 * kDollar, 3999 * kDollar + 5000,
                 ar_status::Open);
    w.receivable(c1001, ago(700), S("RTCK"), 35 * kDollar, 35 * kDollar, ar_status::Open);

    auto bram = Customer("1002", "Bram Demo Customer", "3125550142");
    Mailing(bram, "48 Mill Lane", "Chicago", "IL", "60601");
    bram.mailAddress2 = "Apt 3B";
    w.customer(bram);
    const QString c1002 = S("1002");
    DemoCase open{c1002,
                  S("2020BK0001"),
                  S("O"),
                  S("Ira Trustee"),
                  S("3125550188"),
                  S("Chapter 7 petition filed; trustee assigned."),
                  QDate(2020, 2, 10),
                  QDate(2020, 1, 27),
                  QDate(2020, 3, 16),
                  QDate(),
                  101,
                  false};
    const std::int64_t openKey = w.addCase(open);
    w.receivable(c1002, QDate(2019, 8, 15), S("INV"), 1800 * kDollar, 1500 * kDollar,
                 ar_status::InBankruptcy, openKey);
    w.receivable(c1002, QDate(2019, 11, 2), S("ASMT"), 640 * kDollar, 640 * kDollar + 2500,
                 ar_status::InBankruptcy, openKey);
    w.settleCaseTotal(openKey);
    w.receivable(c1002, ago(60), S("INV"), 310 * kDollar, 310 * kDollar, ar_status::Open);
    w.receivable(c1002, ago(150), S("LATE"), 45 * kDollar, 45 * kDollar, ar_status::Open);
    w.receivable(c1002, ago(420), S("ADJ"), 990 * kDollar, 120 * kDollar, ar_status::Open);

    auto cleo = Customer("1003", "Cleo Demo Customer", "6085550123");
    Mailing(cleo, "7 Orchard Street", "Madison", "WI", "53703");
    w.customer(cleo);
    const QString c1003 = S("1003");
    DemoCase dismissed{c1003,
                       S("2019BK0007"),
                       S("D"),
                       S("Una Trustee"),
                       S("6085550170"),
                       S("Dismissed by the court; back to regular repayment."),
                       QDate(2019, 3, 12),
                       QDate(2019, 3, 4),
                       QDate(2019, 4, 1),
                       QDate(2019, 9, 30),
                       103,
                       false};
    w.settleCaseTotal(w.addCase(dismissed));
    DemoCase writtenOff{c1003,
                        S("2018BK0003"),
                        S("W"),
                        S("Vic Trustee"),
                        S("6085550199"),
                        S("Discharged; balances written off."),
                        QDate(2018, 5, 21),
                        QDate(2018, 5, 14),
                        QDate(2018, 6, 25),
                        QDate(2018, 12, 3),
                        102,
                        false};
    const std::int64_t woKey = w.addCase(writtenOff);
    w.receivable(c1003, QDate(2017, 10, 9), S("INV"), 2200 * kDollar, 0, ar_status::WrittenOff,
                 woKey);
    w.receivable(c1003, QDate(2018, 1, 22), S("INTR"), 180 * kDollar, 0, ar_status::WrittenOff,
                 woKey);
    w.settleCaseTotal(woKey);
    w.receivable(c1003, ago(90), S("INV"), 520 * kDollar, 520 * kDollar, ar_status::Open);
    w.receivable(c1003, ago(200), S("ASMT"), 75 * kDollar, 60 * kDollar, ar_status::Open);

    auto dov = Customer("1004", "Dov Demo Customer", "4145550111");
    Mailing(dov, "300 Lake Drive", "Milwaukee", "WI", "53202");
    dov.custType = "BUS";
    dov.docType = "EIN";
    w.customer(dov);

    auto eve = Customer("1005", "Eve Demo Customer", "5550177");
    eve.address2 = "PO Box 77";
    eve.address2b = "Suite 5";
    eve.city2 = "Riverton";
    eve.state2 = "WY";
    eve.zip2 = "82501";
    w.customer(eve);
    w.flush();
}

const std::vector<QString>& FirstNames() {
    static const std::vector<QString> v = {
        S("Alma"),  S("Bruno"), S("Carla"), S("Dmitri"), S("Elif"), S("Farid"),
        S("Greta"), S("Hugo"),  S("Ines"),  S("Jakob"),  S("Kira"), S("Luis"),
        S("Maren"), S("Nils"),  S("Olga"),  S("Pavel"),  S("Rosa"), S("Stefan"),
        S("Tara"),  S("Umar"),  S("Vera"),  S("Wim"),    S("Yara"), S("Zeno")};
    return v;
}

const std::vector<QString>& LastNames() {
    static const std::vector<QString> v = {
        S("Aalto"),  S("Baptiste"), S("Castellano"), S("Dufour"), S("Eriksen"),  S("Fontaine"),
        S("Gallo"),  S("Horvath"),  S("Ivanova"),    S("Jansen"), S("Kowalski"), S("Lindgren"),
        S("Moreau"), S("Nakamura"), S("O'Connell"),  S("Petrov"), S("Quinn"),    S("Rossi"),
        S("Santos"), S("Tanaka"),   S("Ulrich"),     S("Varga"),  S("Wagner"),   S("Zielinski")};
    return v;
}

struct Place {
    const char* city;
    const char* state;
    const char* zip;
};

constexpr Place kPlaces[] = {{"Springfield", "IL", "62704"}, {"Peoria", "IL", "61602"},
                             {"Madison", "WI", "53711"},     {"Green Bay", "WI", "54301"},
                             {"Des Moines", "IA", "50309"},  {"Duluth", "MN", "55802"},
                             {"Lansing", "MI", "48933"},     {"Toledo", "OH", "43604"}};

const std::vector<QString>& Types() {
    static const std::vector<QString> v = {S("INV"),  S("ASMT"), S("LATE"),
                                           S("INTR"), S("RTCK"), S("ADJ")};
    return v;
}

QString Digits(DemoRandom& r, int count) {
    QString s;
    for (int i = 0; i < count; ++i) s += QChar(u'0' + (i == 0 ? r.between(2, 9) : r.between(0, 9)));
    return s;
}

// A case of the generated customer, with its tied receivables and, when open, some payments.
void GeneratedCase(DemoWriter& w, const QString& custId, const QString& status, int serial,
                   bool archived = false, const QString& number = QString()) {
    DemoRandom& r = w.random();
    const QDate today = w.today();
    const QDate filing = today.addDays(-r.between(160, 2400));
    DemoCase c;
    c.custId = custId;
    c.caseId =
        number.isEmpty()
            ? QStringLiteral("%1BK%2").arg(filing.year()).arg(serial, 4, 10, QLatin1Char('0'))
            : number;
    c.status = status;
    c.trusteeName = r.pick(FirstNames()) + QStringLiteral(" Trustee");
    c.trusteePhone = Digits(r, 10);
    c.comment = status == QLatin1String("O")   ? S("Petition filed; claim lodged with trustee.")
                : status == QLatin1String("D") ? S("Dismissed; receivables released.")
                                               : S("Discharged; balances written off.");
    c.filing = filing;
    c.notification = filing.addDays(r.between(1, 20));
    c.claim = filing.addDays(r.between(10, 60));
    if (status != QLatin1String("O")) {
        c.closing = std::min(c.claim.addDays(r.between(30, 400)), today.addDays(-1));
    }
    c.officer = 101 + r.between(0, 9);
    c.archived = archived;
    const std::int64_t key = w.addCase(c);
    if (status != QLatin1String("D")) {
        const int tied = r.between(1, 4);
        for (int i = 0; i < tied; ++i) {
            const std::int64_t due = r.between(40, 4000) * kDollar + r.between(0, 99) * kCent;
            const bool writtenOff = status == QLatin1String("W");
            w.receivable(custId, filing.addDays(-r.between(1, 700)), r.pick(Types()), due,
                         writtenOff ? 0 : due - r.between(0, 1) * (due / 4),
                         writtenOff ? ar_status::WrittenOff : ar_status::InBankruptcy, key);
        }
    }
    w.settleCaseTotal(key);
    if (status == QLatin1String("O")) {
        QDate paid = c.claim;
        const int payments = r.between(0, 3);
        for (int i = 0; i < payments; ++i) {
            paid = paid.addDays(r.between(20, 90));
            if (paid >= today) break;
            w.payment(key, r.between(25, 400) * kDollar, paid,
                      QStringLiteral("CK%1").arg(r.between(10000, 99999)),
                      i % 2 == 0 ? S("officer") : S("manager"));
        }
    }
}

int GeneratedCustomers(DemoWriter& w, int count) {
    DemoRandom& r = w.random();
    const QDate today = w.today();
    int caseSerial = 0;
    for (int i = 0; i < count; ++i) {
        const QString id = QString::number(2000 + i);
        messaging::CustomerInfo c;
        c.custId = id.toStdString();
        const bool business = r.between(0, 5) == 0;
        c.name = (r.pick(FirstNames()) + QLatin1Char(' ') + r.pick(LastNames()) +
                  (business ? S(" Trading") : QString()))
                     .toStdString();
        c.custType = business ? "BUS" : "IND";
        c.docType = business ? "EIN" : "SSN";
        c.refNumber = "REF-" + c.custId;
        const Place& place = kPlaces[r.between(0, 7)];
        const std::string street =
            std::to_string(r.between(1, 999)) + " " + r.pick(LastNames()).toStdString() + " Street";
        if (r.between(0, 14) == 0) {  // mail goes to the second address
            c.address2 = "PO Box " + std::to_string(r.between(10, 999));
            c.city2 = place.city;
            c.state2 = place.state;
            c.zip2 = place.zip;
        } else {
            c.mailAddress = street;
            c.mailCity = place.city;
            c.mailState = place.state;
            c.mailZip = place.zip;
        }
        c.phone = Digits(r, r.between(0, 9) == 0 ? 7 : 10).toStdString();
        w.customer(c);

        const int receivables = r.between(3, 15);
        for (int k = 0; k < receivables; ++k) {
            const std::int64_t due = r.between(20, 3000) * kDollar + r.between(0, 99) * kCent;
            const int kind = r.between(0, 19);
            const QString status = kind < 4 ? ar_status::Paid : ar_status::Open;
            const std::int64_t balance = kind < 5 ? 0 : (kind < 12 ? due : due / 2);
            w.receivable(id, today.addDays(-r.between(30, 2600)), r.pick(Types()), due, balance,
                         status);
        }
        switch (i % 10) {
            case 0:
                GeneratedCase(w, id, S("O"), ++caseSerial);
                break;
            case 3:
                GeneratedCase(w, id, S("D"), ++caseSerial);
                break;
            case 6:
                GeneratedCase(w, id, S("W"), ++caseSerial);
                break;
            case 8:
                if (i % 50 == 8) {  // filed again after a dismissal: the old case is history
                    const QString number = QStringLiteral("RF%1").arg(i);
                    GeneratedCase(w, id, S("D"), ++caseSerial, true, number);
                    GeneratedCase(w, id, S("O"), ++caseSerial, false, number);
                }
                break;
            default:
                break;
        }
    }
    w.flush();
    return count;
}

void LargeCustomer(DemoWriter& w, int count) {
    auto big = Customer(kLargeCustomerId, "Large Demo Customer", "2065550100");
    Mailing(big, "1 Warehouse Way", "Seattle", "WA", "98101");
    big.custType = "BUS";
    big.docType = "EIN";
    w.customer(big);
    DemoRandom& r = w.random();
    const QString id = QString::fromLatin1(kLargeCustomerId);
    w.startNumbersAt(5000001);
    for (int i = 0; i < count; ++i) {
        const std::int64_t due = r.between(5, 5000) * kDollar + r.between(0, 99) * kCent;
        w.receivable(id, w.today().addDays(-r.between(30, 2900)), r.pick(Types()), due,
                     due - r.between(0, 3) * (due / 5), ar_status::Open);
    }
    w.flush();
}

bool CustomerOnFile(Sql& sql, const char* id) {
    return sql
        .scalar(QStringLiteral("SELECT cust_id FROM customers WHERE cust_id = ?"),
                {QString::fromLatin1(id)})
        .isValid();
}

}  // namespace

DemoSummary CreateDemoData(Sql& sql, const DemoOptions& options) {
    DemoSummary summary;
    const QDate today = options.today.isValid() ? options.today : QDate::currentDate();
    Transaction tx(sql, Transaction::Kind::Write);
    DemoWriter w(sql, today, options.seed);
    StaffAndUsers(w);
    if (options.demo) {
        summary.demoWasThere = CustomerOnFile(sql, "1001");
        if (!summary.demoWasThere) {
            Fixtures(w);
            summary.customers += 5 + GeneratedCustomers(w, options.generatedCustomers);
        }
    }
    if (options.large) {
        summary.largeWasThere = CustomerOnFile(sql, kLargeCustomerId);
        if (!summary.largeWasThere) {
            LargeCustomer(w, options.largeCount);
            summary.customers += 1;
        }
    }
    summary.receivables = static_cast<int>(w.receivablesWritten());
    summary.cases = w.casesWritten();
    summary.payments = w.paymentsWritten();
    tx.commit();
    return summary;
}

}  // namespace backend
