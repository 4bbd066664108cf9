// The scenario runner over plain widgets: how it fails. A step a message box stops, a control
// out of reach, a wrong expectation and a wait that times out each end the run, saying why; the
// passing steps are played by every scenario.
#include <QApplication>
#include <QDialog>
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
        layout = new QVBoxLayout(document);
        tabs = add(new QTabWidget, "SSTab1");
        for (const char* tab : {"Se&l Cust", "Set &Up", "B&ankruptcy History"})
            tabs->addTab(new QWidget, QString::fromUtf8(tab));
        tabs->setTabEnabled(2, false);
        officer = add(new QLineEdit, "mTxtBankruptcy");
        result = add(new QLabel, "Result");
        button("mCmdBankruptcy(3)", [this] {
            QMessageBox::question(&window, QStringLiteral("HALBERON"),
                                  QStringLiteral("Write off case 7?\r\nSure?"));
        });
        button("Open", [this] { result->setText(QStringLiteral("opened")); });
        button("Off", [] {})->setEnabled(false);
        window.setCentralWidget(document);
        window.resize(700, 900);
        window.show();
    }
    template <class W>
    W* add(W* widget, const char* name) {
        widget->setObjectName(QString::fromUtf8(name));
        layout->addWidget(widget);
        return widget;
    }
    template <class F>
    QPushButton* button(const char* name, F clicked) {
        auto* b = add(new QPushButton(QString::fromUtf8(name)), name);
        QObject::connect(b, &QPushButton::clicked, b, clicked);
        return b;
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
    QVBoxLayout* layout = nullptr;
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

// Each failing run ends with code 1 and a message that says why.
TEST(ScenarioRunner, FailuresEndTheRunSayingWhy) {
    const struct {
        const char* script;
        QStringList says;
        double stepTimeout = 3;
        bool idle = true;
    } runs[] = {
        // Looking is allowed while the box is open; a click is not.
        {"click mCmdBankruptcy(3)\nexpect-enabled Open true\nclick Open\nexpect-text Result "
         "never\n",
         {"line 3", "Write off case 7?"}},
        {"click mCmdBankruptcy(3)\n", {"ended with a message box"}},
        {"expect-box anything\n", {"no message box"}},
        {"click Off\n", {"Off is disabled"}},
        {"tab 2\n", {"tab 2"}},
        {"click Nowhere\n", {"no control named 'Nowhere'"}},
        {"select-customer 9999\n", {"no customer 9999"}},
        {"wait-status Never 0.2\n",
         {"line 1 (wait-status Never 0.2): timed out after 0.2 s"},
         3,
         false},
        {"wait-idle\n", {"timed out"}, 0.2, false},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.script);
        FakeHost host;
        host.idle = run.idle;
        const Outcome o = play(host, QString::fromUtf8(run.script), run.stepTimeout);
        EXPECT_EQ(o.code, kScenarioFailed);
        for (const QString& part : run.says)
            EXPECT_TRUE(o.failure.contains(part)) << o.failure.toStdString();
    }
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
