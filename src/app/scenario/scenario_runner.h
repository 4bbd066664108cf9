#pragma once
// Plays a scenario as a user would, from the event loop: a single-shot timer runs one step after
// another, so when a step opens a modal dialog or a message box (and waits in its event loop),
// the next steps go on inside it. Waiting steps poll on each tick until their condition holds
// or their time runs out. The first failed step ends the scenario with exit code 1; so does a
// message box that no `answer` step answered.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "app/scenario/scenario_log.h"
#include "app/scenario/scenario_script.h"

class QMessageBox;
class QWidget;

namespace app {

class ScenarioHost;
struct ControlRef;

inline constexpr int kScenarioPassed = 0;
inline constexpr int kScenarioFailed = 1;

class ScenarioRunner : public QObject {
    Q_OBJECT

  public:
    struct Options {
        QString outDir;                  // scenario.log and screenshots go here
        QString title;                   // named in the log's first line
        double stepTimeoutSeconds = 10;  // waiting steps without their own time
        int tickMs = 20;                 // pause between steps and between polls
        // A UI thread that runs no tick this long is stuck; the process then ends (code 3).
        double stallSeconds = 180;
    };

    ScenarioRunner(ScenarioHost& host, std::vector<Step> steps, Options options,
                   QObject* parent = nullptr);
    ~ScenarioRunner() override;

    // Opens the log and schedules the first step; false with a message when the log cannot be
    // written.
    bool start(QString* error = nullptr);

    bool isFinished() const { return finished_; }
    int exitCode() const { return exitCode_; }
    // What failed, with the step's line; empty when the scenario passed.
    QString failureMessage() const { return failure_; }
    QString logPath() const { return log_.path(); }
    QStringList screenshots() const { return screenshots_; }

  signals:
    void finished(int exitCode);

  private:
    // A waiting step's condition: true when it holds; throws StepFailure when it cannot.
    using Condition = std::function<bool()>;

    void scheduleTick();
    void tick();
    std::optional<Condition> runStep(const Step& step);
    QWidget* modalWindow() const;
    ControlRef control(const QString& name) const;
    QMessageBox* openBox();
    void noteBox(QMessageBox* box);
    bool statusSeen(const QString& prefix) const;
    QString takeScreenshot(const QString& name);
    Condition runBackendTool(const QStringList& args);
    void fail(const QString& message);
    void finish(int code, const QString& message);
    void startWatchdog();

    ScenarioHost& host_;
    std::vector<Step> steps_;
    Options options_;
    ScenarioLog log_;

    std::size_t next_ = 0;              // the next step to run
    const Step* current_ = nullptr;     // the step running or waiting
    std::optional<Condition> waiting_;  // the current step's condition, when it waits
    qint64 waitDeadlineMs_ = 0;
    double waitSeconds_ = 0;

    // Per step still executing (innermost last): the modal window that was open when it began.
    // While the same one is active the step is only letting events run, and the next step waits
    // for it; once the step has opened a modal window of its own, the scenario goes on inside.
    std::vector<QPointer<QWidget>> executing_;

    std::vector<QPointer<QMessageBox>> boxesSeen_;
    QString lastBoxText_;
    QStringList statusThisStep_, statusLastStep_;
    QStringList statusAll_;  // every status text of the run, for expect-status-count
    QStringList screenshots_;

    bool finished_ = false;
    int exitCode_ = kScenarioPassed;
    QString failure_;

    std::atomic<qint64> lastTickMs_{0};
    std::atomic<bool> stopWatchdog_{false};
    std::thread watchdog_;
};

}  // namespace app
