// The scenario runner over plain widgets: how it fails. A step a message box stops, a control
// out of reach, a wrong expectation and a wait that times out each end the run, saying why; the
// passing steps are played by every scenario.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include "app/scenario/controls.h"
#include "app/scenario/scenario_host.h"
#include "app/scenario/scenario_runner.h"

namespace app {
namespace {

// A host over a small window: a tab control, an entry box, buttons (one opens a
// message box), and a status text the test sets. What the runner does with the
// screen's own controls (dates, grids, dialogs, boxes) is played by every scenario.
class FakeHost : public ScenarioHost {
  public:
    FakeHost() {
        window.setObjectName(QStringLiteral("Main"));
        document = new QWidget;
        auto* layout = new QVBoxLayout(document);
        tabs = new QTabWidget;
        tabs->setObjectName(QStringLiteral("SSTab1"));
        tabs->addTab(new QWidget, QStringLiteral("Se&l Cust"));
        tabs->addTab(new QWidget, QStringLiteral("Set &Up"));
        tabs->addTab(new QWidget, QStringLiteral("B&ankruptcy History"));
        tabs->setTabEnabled(2, false);
        layout->addWidget(tabs);

        officer = new QLineEdit;
        officer->setObjectName(QStringLiteral("mTxtBankruptcy"));
        layout->addWidget(officer);
        result = new QLabel;
        result->setObjectName(QStringLiteral("Result"));
        layout->addWidget(result);
        auto* ask = new QPushButton(QStringLiteral("&Ask"));
        ask->setObjectName(QStringLiteral("mCmdBankruptcy(3)"));
        QObject::connect(ask, &QPushButton::clicked, ask, [this] {
            QMessageBox::question(&window, QStringLiteral("HALBERON"),
                                  QStringLiteral("Write off case 7?\r\nSure?"));
        });
        layout->addWidget(ask);
        auto* open = new QPushButton(QStringLiteral("Open"));
        open->setObjectName(QStringLiteral("Open"));
        QObject::connect(open, &QPushButton::clicked, open,
                         [this] { result->setText(QStringLiteral("opened")); });
        layout->addWidget(open);
        // Lets events run for a while before it is done, as the screen's handlers do.
        auto* slow = new QPushButton(QStringLiteral("Slow"));
        slow->setObjectName(QStringLiteral("Slow"));
        QObject::connect(slow, &QPushButton::clicked, slow, [this] {
            result->setText(QStringLiteral("busy"));
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 150) QApplication::processEvents(QEventLoop::AllEvents, 10);
            result->setText(QStringLiteral("done"));
        });
        layout->addWidget(slow);
        auto* off = new QPushButton(QStringLiteral("Off"));
        off->setObjectName(QStringLiteral("Off"));
        off->setEnabled(false);
        layout->addWidget(off);
        window.setCentralWidget(document);
        window.resize(700, 900);
        window.show();
    }

    QWidget* documentWidget() override { return document; }
    QWidget* mainWindow() override { return &window; }
    QString statusText() override { return status; }
    void setStatusObserver(std::function<void(const QString&)> o) override {
        observer = std::move(o);
    }
    QString selectCustomer(const QString& id) override {
        return QStringLiteral("no customer ") + id;
    }
    void clearCustomer() override { setStatus(QStringLiteral("Ready ...")); }
    bool isIdle() override { return idle; }
    void advanceClock(double) override {}
    void closeDocument() override {}
    void restartDocument() override {}

    void setStatus(const QString& text) {
        status = text;
        if (observer) observer(text);
    }

    QMainWindow window;
    QWidget* document = nullptr;
    QTabWidget* tabs = nullptr;
    QLineEdit* officer = nullptr;
    QLabel* result = nullptr;
    QString status;
    std::function<void(const QString&)> observer;
    bool idle = true;
};

struct Outcome {
    int code = -1;
    QString failure;
    QString log;
};

// Plays the scenario to its end. Modal windows still open then are closed, as the program's exit
// would, so the test's own event loop can return.
Outcome play(FakeHost& host, const QString& text, double stepTimeout = 3) {
    const Script script = parseScript(text);
    EXPECT_TRUE(script.ok()) << (script.ok() ? "" : script.errors.front().message.toStdString());
    QTemporaryDir out;
    ScenarioRunner::Options options;
    options.outDir = out.path();
    options.stepTimeoutSeconds = stepTimeout;
    options.tickMs = 5;
    ScenarioRunner runner(host, script.steps, options);
    QEventLoop loop;
    QObject::connect(&runner, &ScenarioRunner::finished, &loop, [&loop] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dialog = qobject_cast<QDialog*>(w); dialog && dialog->isVisible())
                dialog->reject();
        }
        loop.quit();
    });
    QString error;
    EXPECT_TRUE(runner.start(&error)) << error.toStdString();
    QTimer::singleShot(30000, &loop, [&loop] { loop.quit(); });
    if (!runner.isFinished()) loop.exec();
    Outcome o;
    o.code = runner.isFinished() ? runner.exitCode() : -1;
    o.failure = runner.failureMessage();
    QFile log(runner.logPath());
    if (log.open(QIODevice::ReadOnly)) o.log = QString::fromUtf8(log.readAll());
    return o;
}

TEST(ScenarioRunner, TheNextStepWaitsWhileAStepOnlyLetsEventsRun) {
    FakeHost host;
    const Outcome o = play(host, QStringLiteral("click Slow\n"
                                                "expect-text Result done\n"));
    EXPECT_EQ(o.code, kScenarioPassed) << o.failure.toStdString();
}

TEST(ScenarioRunner, AMessageBoxNoStepAnswersFailsWithItsText) {
    FakeHost host;
    Outcome o = play(
        host,
        QStringLiteral("click mCmdBankruptcy(3)\n"
                       "expect-enabled Open true\n"  // looking is allowed while the box is open
                       "click Open\n"
                       "expect-text Result never\n"));
    EXPECT_EQ(o.code, kScenarioFailed);
    EXPECT_TRUE(o.failure.contains(QStringLiteral("line 3"))) << o.failure.toStdString();
    EXPECT_TRUE(o.failure.contains(QStringLiteral("Write off case 7?"))) << o.failure.toStdString();

    o = play(host, QStringLiteral("click mCmdBankruptcy(3)\n"));
    EXPECT_EQ(o.code, kScenarioFailed);
    EXPECT_TRUE(o.failure.contains(QStringLiteral("ended with a message box")));

    o = play(host, QStringLiteral("expect-box anything\n"));
    EXPECT_EQ(o.code, kScenarioFailed);
    EXPECT_TRUE(o.failure.contains(QStringLiteral("no message box")));
}

TEST(ScenarioRunner, StopsAtTheFirstFailedExpectationAndRunsNothingAfterIt) {
    FakeHost host;
    const Outcome o = play(host, QStringLiteral("type mTxtBankruptcy 12\n"
                                                "expect-text mTxtBankruptcy 13\n"
                                                "type mTxtBankruptcy 99\n"));
    EXPECT_EQ(o.code, kScenarioFailed);
    EXPECT_EQ(
        o.failure,
        QStringLiteral(
            "line 2 (expect-text mTxtBankruptcy 13): mTxtBankruptcy shows \"12\", not \"13\""));
    EXPECT_EQ(host.officer->text(), QStringLiteral("12"));
    EXPECT_TRUE(o.log.contains(QStringLiteral("FAILED")));
}

TEST(ScenarioRunner, UsersCannotReachDisabledOrMissingControls) {
    FakeHost host;
    Outcome o = play(host, QStringLiteral("click Off\n"));
    EXPECT_TRUE(o.failure.contains(QStringLiteral("Off is disabled"))) << o.failure.toStdString();
    o = play(host, QStringLiteral("tab 2\n"));
    EXPECT_TRUE(o.failure.contains(QStringLiteral("tab 2"))) << o.failure.toStdString();
    o = play(host, QStringLiteral("click Nowhere\n"));
    EXPECT_TRUE(o.failure.contains(QStringLiteral("no control named 'Nowhere'")));
    o = play(host, QStringLiteral("select-customer 9999\n"));
    EXPECT_TRUE(o.failure.contains(QStringLiteral("no customer 9999")));
}

TEST(ScenarioRunner, AWaitThatRunsOutOfTimeFailsWithItsStep) {
    FakeHost host;
    host.idle = false;
    Outcome o = play(host, QStringLiteral("wait-status Never 0.2\n"), 3);
    EXPECT_TRUE(
        o.failure.contains(QStringLiteral("line 1 (wait-status Never 0.2): timed out after 0.2 s")))
        << o.failure.toStdString();
    o = play(host, QStringLiteral("wait-idle\n"), 0.2);
    EXPECT_TRUE(o.failure.contains(QStringLiteral("timed out"))) << o.failure.toStdString();
}

TEST(ControlLookup, TheModalWindowComesBeforeTheDocument) {
    QWidget document;
    auto* inDocument = new QLabel(QStringLiteral("document"), &document);
    inDocument->setObjectName(QStringLiteral("mLblDataBankruptcy(7)"));
    QWidget modal;
    auto* inModal = new QLabel(QStringLiteral("modal"), &modal);
    inModal->setObjectName(QStringLiteral("mLblDataBankruptcy(7)"));

    EXPECT_EQ(findControl(QStringLiteral("mLblDataBankruptcy(7)"), &modal, &document).widget,
              inModal);
    EXPECT_EQ(findControl(QStringLiteral("mLblDataBankruptcy(7)"), nullptr, &document).widget,
              inDocument);
    EXPECT_THROW(findControl(QStringLiteral("mLblDataBankruptcy(8)"), &modal, &document),
                 StepFailure);
}

}  // namespace
}  // namespace app
