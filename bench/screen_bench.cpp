// screen_bench [--runs=N] [--ops=show,sort,tie] [rows...]: the screen's own operations on a
// customer with many open receivables, offscreen, against the real back end on a SQLite file,
// beside what a Qt developer would write for the same job (QSqlQueryModel, QSortFilterProxyModel,
// QTableView). One line per operation:
//   op=<name> ours_ms=<x> peer_ms=<y> ratio=<x/y>
// Each figure is the median of several runs after a warm-up, the two sides alternating; the
// spread (lowest and highest run) follows on the same line. Sizes default to 100000 and 300000
// receivables; the tie operations run at the first size only. After show_customer,
// answer_to_paint is the screen's part of it: from the last answer leaving the back end for the
// screen's thread until both grids are painted (peer: from its rows fetched until painted).
#include <QApplication>
#include <QDate>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSortFilterProxyModel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "backend/demo_data.h"
#include "backend/sql_backend.h"
#include "dialogs/addupdate/frm_bankruptcy_add_update.h"
#include "document/korva_bankruptcy.h"
#include "messaging/backend_api.h"
#include "platform/binding/korva_dtp.h"
#include "platform/common/common_library_factory.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/scripted_interaction.h"

namespace {

int gRuns = 5;
std::string gOps = "show,sort,tie";

bool Wanted(const char* op) {
    return gOps.find(op) != std::string::npos;
}
const QString kCustomer = QString::fromLatin1(backend::kLargeCustomerId);

// The back end's own open-receivables and cases queries, so both sides read the same rows in
// the same order.
const QString kOpenArsSql = QStringLiteral(
    "SELECT r.rcvbl_nbr, r.check_nbr, r.type_code, r.cust_id, r.case_key, c.case_id,"
    " r.transaction_date, r.transaction_nbr, r.status, r.due_amount, r.balance_amount"
    " FROM receivables r LEFT JOIN cases c ON c.case_key = r.case_key"
    " WHERE r.cust_id = '9000' AND r.status = 'O' AND r.balance_amount > 0"
    " AND (c.case_key IS NULL OR c.status <> 'O')"
    " ORDER BY r.transaction_date, r.rcvbl_nbr, r.check_nbr, r.type_code");
const QString kCasesSql = QStringLiteral(
    "SELECT * FROM cases WHERE cust_id = '9000' AND archived_at IS NULL"
    " ORDER BY court_filing_date");

struct Figures {
    std::vector<double> ours, peer;
};

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

void Report(const std::string& op, const Figures& f) {
    const double ours = Median(f.ours), peer = Median(f.peer);
    const auto [oLow, oHigh] = std::minmax_element(f.ours.begin(), f.ours.end());
    std::printf("op=%s ours_ms=%.1f peer_ms=%.1f ratio=", op.c_str(), ours, peer);
    if (peer > 0) {
        std::printf("%.3f", ours / peer);
    } else {
        std::printf("n/a");
    }
    std::printf("  (runs=%zu ours %.1f..%.1f", f.ours.size(), *oLow, *oHigh);
    if (!f.peer.empty()) {
        const auto [pLow, pHigh] = std::minmax_element(f.peer.begin(), f.peer.end());
        std::printf(" peer %.1f..%.1f", *pLow, *pHigh);
    }
    std::printf(")\n");
    std::fflush(stdout);
}

double Elapsed(const QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void Require(bool ok, const std::string& what) {
    if (!ok) throw std::runtime_error(what);
}

// Runs the event loop until done() or the limit, sleeping between events as the program's own
// loop does (a busy loop would take the processor from the back end's thread).
bool WaitFor(const std::function<bool()>& done, int limitMs = 120000) {
    if (done()) return true;
    QEventLoop loop;
    QTimer check;
    check.setInterval(1);
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (done()) loop.quit();
    });
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    check.start();
    loop.exec();
    return done();
}

// Paints a widget as the screen would show it (offscreen there is no window system to ask).
void Paint(QWidget* w) {
    const QPixmap shot = w->grab();
    Require(!shot.isNull(), "nothing painted");
}

// The back end, telling how long each request took on its thread (SCREEN_BENCH_PHASES) and
// when its last answer left for the screen.
class TimedBackEnd : public messaging::BackEnd {
  public:
    explicit TimedBackEnd(std::shared_ptr<messaging::BackEnd> inner) : inner_(std::move(inner)) {}
    messaging::Answer Handle(const messaging::Request& request) override {
        QElapsedTimer t;
        t.start();
        messaging::Answer a = inner_->Handle(request);
        if (qEnvironmentVariableIsSet("SCREEN_BENCH_PHASES"))
            std::fprintf(stderr, "  back end %s %.1f ms\n", request.theme.c_str(), Elapsed(t));
        answeredAt_.store(Now());
        return a;
    }
    // Nanoseconds on the monotonic clock, as Now() gives them.
    std::int64_t lastAnswerAt() const { return answeredAt_.load(); }
    static std::int64_t Now() {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
    std::string NextNumber(const std::string& s, const std::string& k) override {
        return inner_->NextNumber(s, k);
    }
    void ReturnNumber(const std::string& s, const std::string& k, const std::string& n) override {
        inner_->ReturnNumber(s, k, n);
    }
    bool HasRight(const std::string& s, const std::string& r) override {
        return inner_->HasRight(s, r);
    }
    std::optional<std::int64_t> OfficerOf(const std::string& s) override {
        return inner_->OfficerOf(s);
    }
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& t) override {
        return inner_->CodeTable(t);
    }
    std::vector<messaging::OfficerInfo> Officers() override { return inner_->Officers(); }
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& t, int n) override {
        return inner_->FindCustomers(t, n);
    }

  private:
    std::shared_ptr<messaging::BackEnd> inner_;
    std::atomic<std::int64_t> answeredAt_{0};
};

// --- our screen, over the real common library and back end

class Screen {
  public:
    Screen(std::shared_ptr<backend::SqlBackEnd> backEnd, const QString& userFolder) {
        platform::CommonLibraryOptions options;
        options.userFolder = userFolder;
        options.faultsFromEnvironment = false;
        options.serviceLimitSeconds = 600;
        timed_ = std::make_shared<TimedBackEnd>(backEnd);
        parts_ = platform::buildCommonLibraryParts(timed_, "manager", options);
        interaction_ = std::make_shared<platform::ScriptedInteraction>();
        doc_ = std::make_unique<KORVA_Bankruptcy>(parts_.library, interaction_);
        doc_->resize(1100, 700);
        doc_->show();
        doc_->Show();
        QCoreApplication::processEvents();
    }
    ~Screen() {
        doc_->BeforeUnload();
        doc_->CloseDocument();
        doc_.reset();
    }

    KORVA_Bankruptcy& doc() { return *doc_; }
    platform::DataGrid& grid(int index) { return *doc_->Grid(index); }
    platform::ScriptedInteraction& interaction() { return *interaction_; }

    void clear() {
        doc_->KORVA_CustSelect1_ClearForm();
        QCoreApplication::processEvents();
    }
    // From choosing the customer until both grids are filled and painted; answerToPaint() then
    // tells the part from the last answer leaving the back end (for the screen's thread) until
    // the grids were painted.
    double showCustomer(long expectedRows) {
        auto* control =
            doc_->findChild<platform::CustomerSelect*>(QStringLiteral("KORVA_CustSelect1"));
        Require(control != nullptr, "no customer control");
        QElapsedTimer t;
        t.start();
        Require(control->SelectCustomerById(kCustomer.toStdString()), "customer not found");
        Require(WaitFor([&] {
                    return doc_->IsIdle() && grid(KORVA_Bankruptcy::ars).Rows() == expectedRows &&
                           grid(KORVA_Bankruptcy::ars).isEnabled() &&
                           grid(KORVA_Bankruptcy::FILINGS).isEnabled();
                }),
                "the grids were not filled");
        Paint(&grid(KORVA_Bankruptcy::ars));
        Paint(&grid(KORVA_Bankruptcy::FILINGS));
        answerToPaint_ = static_cast<double>(TimedBackEnd::Now() - timed_->lastAnswerAt()) / 1e6;
        return Elapsed(t);
    }
    double answerToPaint() const { return answerToPaint_; }
    double sortOption(int index) {
        auto* option =
            doc_->findChild<QRadioButton*>(QStringLiteral("mOptBankruptcy(%1)").arg(index));
        Require(option != nullptr, "no sort option");
        QElapsedTimer t;
        t.start();
        option->click();
        QCoreApplication::processEvents();
        Paint(&grid(KORVA_Bankruptcy::ars));
        return Elapsed(t);
    }
    // Selects k receivables spread over the grid, opens the add dialog, fills in a case and
    // times its Save from the click until the answer is settled and the grid painted.
    double tie(int k, const QString& caseId) {
        platform::DataGrid& g = grid(KORVA_Bankruptcy::ars);
        auto* officer = doc_->findChild<QLineEdit*>(QStringLiteral("mTxtBankruptcy"));
        Require(officer != nullptr, "no officer box");
        officer->setFocus();
        officer->setText(QStringLiteral("101"));
        doc_->mTxtBankruptcy_LostFocus();
        const long rows = g.Rows();
        // One change of the selection, as a range chosen with the mouse is.
        std::vector<records::Bookmark> chosen;
        for (int i = 0; i < k; ++i) {
            const auto b = g.BookmarkAt(static_cast<int>(static_cast<long>(i) * rows / k));
            Require(b.has_value(), "no row to select");
            chosen.push_back(*b);
        }
        g.SelBookmarks().assign(std::move(chosen));
        Require(g.SelBookmarks().Count() == k, "selection not taken");
        double ms = -1;
        QElapsedTimer t;
        interaction_->queueModal([&](QDialog& d) {
            auto& dlg = static_cast<frmBankruptcyAddUpdate&>(d);
            dlg.caseNumberBox()->setFocus();
            QTest::keyClicks(dlg.caseNumberBox(), caseId);
            dlg.datePicker(0)->enter(QDate(2025, 6, 2));
            dlg.datePicker(1)->enter(QDate(2025, 6, 10));
            dlg.datePicker(2)->enter(QDate(2025, 6, 20));
            dlg.commentBox()->setFocus();
            QTest::keyClicks(dlg.commentBox(), QStringLiteral("Chapter 7"));
            t.start();
            dlg.command(0)->click();
        });
        doc_->mCmdBankruptcy_Click(0);
        const double closed = Elapsed(t);
        Require(WaitFor([&] { return doc_->IsIdle(); }), "the add request was not answered");
        const double answered = Elapsed(t);
        QCoreApplication::processEvents();
        Paint(&g);
        ms = Elapsed(t);
        if (qEnvironmentVariableIsSet("SCREEN_BENCH_PHASES")) {
            std::fprintf(stderr, "tie_%d phases: dialog closed %.1f, answered %.1f, painted %.1f\n",
                         k, closed, answered, ms);
        }
        for (const auto& f : interaction_->failures()) std::fprintf(stderr, "%s\n", f.c_str());
        Require(interaction_->failures().empty(), "the dialog did not run as scripted");
        Require(g.Rows() == rows - k, "the tied receivables are still shown: " +
                                          std::to_string(g.Rows()) + " of " + std::to_string(rows));
        return ms;
    }

  private:
    std::shared_ptr<TimedBackEnd> timed_;
    double answerToPaint_ = 0;
    platform::CommonLibraryParts parts_;
    std::shared_ptr<platform::ScriptedInteraction> interaction_;
    std::unique_ptr<KORVA_Bankruptcy> doc_;
};

// --- the peer: what a Qt developer would write

class Peer {
  public:
    explicit Peer(const QString& path) {
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peer"));
        db_.setDatabaseName(path);
        Require(db_.open(), "peer cannot open the database");
        arView_.resize(1100, 400);
        caseView_.resize(1100, 300);
    }
    ~Peer() {
        arView_.setModel(nullptr);
        caseView_.setModel(nullptr);
        proxyView_.setModel(nullptr);
        proxy_.reset();
        ars_.reset();
        cases_.reset();
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("peer"));
    }

    QSqlDatabase& db() { return db_; }

    static void fetchAll(QSqlQueryModel& m) {
        while (m.canFetchMore()) m.fetchMore();
    }
    double showCustomer(long expectedRows) {
        QElapsedTimer t;
        t.start();
        load();
        Require(ars_->rowCount() == expectedRows, "peer rows differ");
        const double fetched = Elapsed(t);
        Paint(&arView_);
        Paint(&caseView_);
        const double painted = Elapsed(t);
        fetchedToPaint_ = painted - fetched;
        return painted;
    }
    double fetchedToPaint() const { return fetchedToPaint_; }
    double sortType() {
        if (!proxy_) {
            proxy_ = std::make_unique<TypeThenDate>();
            proxy_->setSourceModel(ars_.get());
            proxyView_.resize(1100, 400);
            proxyView_.setModel(proxy_.get());
        }
        proxy_->sort(-1);  // back to the query's order, untimed
        QElapsedTimer t;
        t.start();
        proxy_->sort(2, Qt::AscendingOrder);
        Paint(&proxyView_);
        return Elapsed(t);
    }
    // The same tie done directly: the case inserted and the receivables updated in one
    // transaction, then the list read again.
    double tie(const std::vector<qlonglong>& numbers, const QString& caseId) {
        QElapsedTimer t;
        t.start();
        Require(db_.transaction(), "no transaction");
        QSqlQuery q(db_);
        q.prepare(
            QStringLiteral("INSERT INTO cases (cust_id, case_id, status, officer_id)"
                           " VALUES ('9000', ?, 'O', 101)"));
        q.addBindValue(caseId);
        Require(q.exec(), q.lastError().text().toStdString());
        const QVariant key = q.lastInsertId();
        QSqlQuery u(db_);
        u.prepare(
            QStringLiteral("UPDATE receivables SET case_key = ?, status = 'B'"
                           " WHERE rcvbl_nbr = ?"));
        for (qlonglong n : numbers) {
            u.addBindValue(key);
            u.addBindValue(n);
            Require(u.exec(), u.lastError().text().toStdString());
        }
        Require(db_.commit(), "commit failed");
        ars_->setQuery(kOpenArsSql, db_);
        fetchAll(*ars_);
        Paint(&arView_);
        return Elapsed(t);
    }
    void load() {
        if (!ars_) {
            ars_ = std::make_unique<QSqlQueryModel>();
            cases_ = std::make_unique<QSqlQueryModel>();
            arView_.setModel(ars_.get());
            caseView_.setModel(cases_.get());
        }
        ars_->setQuery(kOpenArsSql, db_);
        fetchAll(*ars_);
        cases_->setQuery(kCasesSql, db_);
        fetchAll(*cases_);
    }
    void clear() {
        if (proxy_) proxy_->setSourceModel(nullptr);
        proxy_.reset();
        if (ars_) ars_->clear();
        if (cases_) cases_->clear();
    }
    std::vector<qlonglong> numbersAt(int k) const {
        std::vector<qlonglong> out;
        const int rows = ars_->rowCount();
        for (int i = 0; i < k; ++i) {
            out.push_back(ars_->index(static_cast<int>(static_cast<long>(i) * rows / k), 0)
                              .data()
                              .toLongLong());
        }
        return out;
    }

  private:
    // Type, then issue date: the screen's AR Type order.
    class TypeThenDate : public QSortFilterProxyModel {
      protected:
        bool lessThan(const QModelIndex& l, const QModelIndex& r) const override {
            const QAbstractItemModel* m = sourceModel();
            const int byType =
                QString::compare(l.data().toString(), r.data().toString(), Qt::CaseInsensitive);
            if (byType != 0) return byType < 0;
            return m->index(l.row(), 6).data().toString() < m->index(r.row(), 6).data().toString();
        }
    };

    QSqlDatabase db_;
    double fetchedToPaint_ = 0;
    std::unique_ptr<QSqlQueryModel> ars_, cases_;
    std::unique_ptr<TypeThenDate> proxy_;
    QTableView arView_, caseView_, proxyView_;
};

// Unties everything the tie operations tied and folds the log back into the database, so every
// run starts from the same rows and the same file (the peer's queries are let go first).
void Untie(Peer& peer) {
    peer.clear();
    QSqlQuery q(peer.db());
    Require(q.exec(QStringLiteral("UPDATE receivables SET case_key = NULL, status = 'O'"
                                  " WHERE cust_id = '9000' AND case_key IS NOT NULL")),
            q.lastError().text().toStdString());
    Require(q.exec(QStringLiteral("UPDATE cases SET status = 'D' WHERE cust_id = '9000'"
                                  " AND status <> 'D'")),
            q.lastError().text().toStdString());
    Require(q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")),
            q.lastError().text().toStdString());
}

void RunSize(int rows, bool withTies, const QString& folder) {
    const QString path = QStringLiteral("%1/screen_%2.db").arg(folder).arg(rows);
    std::shared_ptr<backend::SqlBackEnd> backEnd = backend::SqlBackEnd::Open(path);
    {
        backend::DemoOptions options;
        options.demo = false;
        options.large = true;
        options.largeCount = rows;
        options.today = QDate(2025, 6, 30);
        backend::CreateDemoData(backEnd->connection(), options);
    }
    const long expected = backEnd->connection()
                              .scalar(QStringLiteral("SELECT COUNT(*) FROM receivables"
                                                     " WHERE cust_id = '9000' AND status = 'O'"
                                                     " AND balance_amount > 0"))
                              .toLongLong();
    std::printf("size rows=%d shown=%ld\n", rows, expected);
    std::fflush(stdout);

    Screen screen(backEnd, folder);
    Peer peer(path);
    const std::string suffix = rows == 100000 ? "" : "_" + std::to_string(rows / 1000) + "k";

    if (Wanted("show")) {
        Figures show, toPaint;
        for (int run = 0; run <= gRuns; ++run) {
            screen.clear();
            peer.clear();
            const double o = screen.showCustomer(expected);
            const double p = peer.showCustomer(expected);
            if (run == 0) continue;  // warm-up
            show.ours.push_back(o);
            show.peer.push_back(p);
            toPaint.ours.push_back(screen.answerToPaint());
            toPaint.peer.push_back(peer.fetchedToPaint());
        }
        Report("show_customer" + suffix, show);
        Report("answer_to_paint" + suffix, toPaint);
    } else {
        screen.showCustomer(expected);
        peer.showCustomer(expected);
    }

    if (Wanted("sort")) {
        Figures sort;
        for (int run = 0; run <= gRuns; ++run) {
            screen.sortOption(0);
            const double o = screen.sortOption(1);
            const double p = peer.sortType();
            if (run == 0) continue;
            sort.ours.push_back(o);
            sort.peer.push_back(p);
        }
        screen.sortOption(0);
        Report("sort_type" + suffix, sort);
    }
    if (!withTies || !Wanted("tie")) return;

    std::vector<std::pair<int, double>> medians;
    int serial = 0;
    for (int k : {800, 8000}) {
        Figures tie;
        for (int run = 0; run <= gRuns; ++run) {
            Untie(peer);
            screen.clear();
            screen.showCustomer(expected);
            const QString caseId = QStringLiteral("BENCH-%1").arg(++serial);
            const double o = screen.tie(k, caseId);
            Untie(peer);
            peer.load();
            const double p = peer.tie(peer.numbersAt(k), caseId + QStringLiteral("P"));
            if (run == 0) continue;
            tie.ours.push_back(o);
            tie.peer.push_back(p);
        }
        Report("tie_" + std::to_string(k), tie);
        medians.emplace_back(k, Median(tie.ours));
    }
    Untie(peer);
    std::printf("scaling tie_8000/tie_800=%.2f\n", medians[1].second / medians[0].second);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char* argv[]) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--runs=", 0) == 0) {
            gRuns = std::max(1, std::atoi(arg.c_str() + 7));
        } else if (arg.rfind("--ops=", 0) == 0) {
            gOps = arg.substr(6);
        } else {
            sizes.push_back(std::atoi(arg.c_str()));
        }
    }
    if (sizes.empty()) sizes = {100000, 300000};
    QTemporaryDir folder;
    if (!folder.isValid()) return 1;
    try {
        for (std::size_t i = 0; i < sizes.size(); ++i) RunSize(sizes[i], i == 0, folder.path());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "screen_bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
