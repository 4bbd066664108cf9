#include "app/scenario/scenario_runner.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTabBar>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/scenario/controls.h"
#include "app/scenario/scenario_host.h"
#include "app/scenario/step_values.h"
#include "app/scenario/synthetic_input.h"
#include "app/scenario/user_input.h"
#include "platform/widgets/data_grid.h"

namespace app {
namespace {

qint64 nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

QString iconName(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Critical:
            return QStringLiteral("critical");
        case QMessageBox::Warning:
            return QStringLiteral("exclamation");
        case QMessageBox::Question:
            return QStringLiteral("question");
        case QMessageBox::Information:
            return QStringLiteral("information");
        default:
            return QStringLiteral("plain");
    }
}

// Steps that may run while a message box is open: they answer it or only look.
bool mayRunBesideBox(StepKind kind) {
    switch (kind) {
        case StepKind::Answer:
        case StepKind::Screenshot:
        case StepKind::ExpectBox:
        case StepKind::ExpectStatus:
        case StepKind::ExpectText:
        case StepKind::ExpectContains:
        case StepKind::ExpectEnabled:
        case StepKind::ExpectChecked:
        case StepKind::ExpectGridRows:
        case StepKind::ExpectGridCell:
        case StepKind::ExpectGridSelected:
        case StepKind::ExpectStatusCount:
            return true;
        default:
            return false;
    }
}

QString quoted(const QString& text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

QString boxText(const QMessageBox* box) {
    QString text = box->text();
    if (!box->informativeText().isEmpty()) text += QLatin1Char('\n') + box->informativeText();
    return text;
}

bool containsFragment(const QString& text, const QString& fragment) {
    return text.contains(fragment) || oneLine(text).contains(fragment) ||
           QString(text)
               .replace(QLatin1Char('\r'), QString())
               .replace(QLatin1Char('\n'), QLatin1Char(' '))
               .contains(fragment);
}

}  // namespace

ScenarioRunner::ScenarioRunner(ScenarioHost& host, std::vector<Step> steps, Options options,
                               QObject* parent)
    : QObject(parent), host_(host), steps_(std::move(steps)), options_(std::move(options)) {}

ScenarioRunner::~ScenarioRunner() {
    stopWatchdog_ = true;
    if (watchdog_.joinable()) watchdog_.join();
}

bool ScenarioRunner::start(QString* error) {
    if (!QDir().mkpath(options_.outDir)) {
        if (error) *error = QStringLiteral("cannot create the folder %1").arg(options_.outDir);
        return false;
    }
    if (!log_.open(QDir(options_.outDir).filePath(QStringLiteral("scenario.log")), error))
        return false;
    log_.write(QStringLiteral("begin"),
               QStringLiteral("%1 (%2 steps)").arg(options_.title).arg(steps_.size()));
    host_.setStatusObserver([this](const QString& text) {
        if (finished_) return;
        log_.write(QStringLiteral("status"), quoted(text));
        statusThisStep_ << text;
        statusAll_ << text;
    });
    lastTickMs_ = nowMs();
    startWatchdog();
    scheduleTick();
    return true;
}

void ScenarioRunner::startWatchdog() {
    const auto limitMs = static_cast<qint64>(options_.stallSeconds * 1000);
    if (limitMs <= 0) return;
    watchdog_ = std::thread([this, limitMs] {
        while (!stopWatchdog_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (stopWatchdog_ || finished_) return;
            if (nowMs() - lastTickMs_ > limitMs) {
                std::fprintf(stderr,
                             "halberon-bankruptcy: the scenario is stuck: no step ran for %lld s "
                             "(the user-interface thread is blocked); giving up.\n",
                             static_cast<long long>(limitMs / 1000));
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    });
}

void ScenarioRunner::scheduleTick() {
    // A new single-shot timer each time: a timer does not fire again while its own handler runs,
    // but a fresh one fires inside the event loop of a modal window that the last step opened.
    QTimer::singleShot(options_.tickMs, this, &ScenarioRunner::tick);
}

QWidget* ScenarioRunner::modalWindow() const {
    QWidget* modal = QApplication::activeModalWidget();
    return qobject_cast<QMessageBox*>(modal) ? nullptr : modal;
}

ControlRef ScenarioRunner::control(const QString& name) const {
    return findControl(name, modalWindow(), host_.documentWidget());
}

QMessageBox* ScenarioRunner::openBox() {
    auto* open = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!open) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box && box->isVisible()) open = box;
        }
    }
    if (open) noteBox(open);
    return open;
}

void ScenarioRunner::noteBox(QMessageBox* box) {
    for (const auto& seen : boxesSeen_) {
        if (seen == box) return;
    }
    std::erase_if(boxesSeen_, [](const QPointer<QMessageBox>& p) { return p.isNull(); });
    boxesSeen_.emplace_back(box);
    lastBoxText_ = boxText(box);
    log_.write(QStringLiteral("box"), QStringLiteral("%1, title %2: %3")
                                          .arg(iconName(box->icon()), quoted(box->windowTitle()),
                                               quoted(oneLine(lastBoxText_))));
}

bool ScenarioRunner::statusSeen(const QString& prefix) const {
    if (host_.statusText().startsWith(prefix)) return true;
    for (const QStringList* texts : {&statusLastStep_, &statusThisStep_}) {
        for (const QString& t : *texts) {
            if (t.startsWith(prefix)) return true;
        }
    }
    return false;
}

void ScenarioRunner::tick() {
    if (finished_) return;
    lastTickMs_ = nowMs();
    if (!executing_.empty() && QApplication::activeModalWidget() == executing_.back().data()) {
        scheduleTick();
        return;
    }
    try {
        QMessageBox* box = openBox();
        if (waiting_) {
            if (box && current_->kind != StepKind::Answer) {
                fail(QStringLiteral("a message box that no step answered: %1")
                         .arg(quoted(oneLine(boxText(box)))));
                return;
            }
            if ((*waiting_)()) {
                waiting_.reset();
                log_.write(QStringLiteral("ok"), QString());
            } else if (nowMs() > waitDeadlineMs_) {
                fail(QStringLiteral("timed out after %1 s").arg(waitSeconds_));
                return;
            }
            scheduleTick();
            return;
        }
        if (next_ >= steps_.size()) {
            current_ = nullptr;
            if (box) {
                fail(QStringLiteral(
                         "the scenario ended with a message box that no step answered: %1")
                         .arg(quoted(oneLine(boxText(box)))));
                return;
            }
            finish(kScenarioPassed, QStringLiteral("passed, %1 steps").arg(steps_.size()));
            return;
        }
        current_ = &steps_[next_++];
        statusLastStep_ = std::move(statusThisStep_);
        statusThisStep_.clear();
        log_.write(QStringLiteral("step"),
                   QStringLiteral("line %1: %2").arg(current_->line).arg(current_->text));
        if (box && !mayRunBesideBox(current_->kind)) {
            fail(QStringLiteral("a message box that no step answered: %1")
                     .arg(quoted(oneLine(boxText(box)))));
            return;
        }
        // Scheduled first: the step may open a modal window, and the scenario goes on inside it.
        scheduleTick();
        executing_.emplace_back(QApplication::activeModalWidget());
        struct Done {
            std::vector<QPointer<QWidget>>& stack;
            ~Done() { stack.pop_back(); }
        } done{executing_};
        if (auto condition = runStep(*current_)) {
            waiting_ = std::move(condition);
            waitDeadlineMs_ = nowMs() + static_cast<qint64>(waitSeconds_ * 1000);
        }
    } catch (const StepFailure& e) {
        fail(e.message());
    } catch (const std::exception& e) {
        fail(QString::fromUtf8(e.what()));
    }
}

std::optional<ScenarioRunner::Condition> ScenarioRunner::runStep(const Step& s) {
    const QStringList& a = s.args;
    waitSeconds_ = options_.stepTimeoutSeconds;
    switch (s.kind) {
        case StepKind::SelectCustomer: {
            const QString error = host_.selectCustomer(a[0]);
            if (!error.isEmpty()) throw StepFailure(error);
            return std::nullopt;
        }
        case StepKind::ClearCustomer:
            host_.clearCustomer();
            return std::nullopt;
        case StepKind::Tab: {
            QWidget* document = host_.documentWidget();
            QWidget* tabs = findNamedWidget(document, QStringLiteral("SSTab1"));
            if (!tabs) tabs = document ? document->findChild<QTabBar*>() : nullptr;
            if (!tabs) throw StepFailure(QStringLiteral("the document has no tab control"));
            clickTab(tabs, s.intArg(0));
            return std::nullopt;
        }
        case StepKind::Click:
            clickControl(control(a[0]));
            return std::nullopt;
        case StepKind::Type:
            typeText(control(a[0]), a[1]);
            return std::nullopt;
        case StepKind::Paste:
            pasteText(control(a[0]), a[1]);
            return std::nullopt;
        case StepKind::Key:
            pressKey(control(a[0]), *parseKeySpec(a[1]));
            return std::nullopt;
        case StepKind::Leave:
            leaveControl(control(a[0]));
            return std::nullopt;
        case StepKind::Date:
            pickDate(control(a[0]), *parseDateSpec(a[1], QDate::currentDate()));
            return std::nullopt;
        case StepKind::GridSelect: {
            std::vector<int> rows;
            for (int i = 1; i < a.size(); ++i) rows.push_back(s.intArg(i));
            gridSelect(control(a[0]), rows);
            return std::nullopt;
        }
        case StepKind::GridClick:
            gridClick(control(a[0]), s.intArg(1));
            return std::nullopt;
        case StepKind::GridDblClick:
            gridDoubleClick(control(a[0]), s.intArg(1));
            return std::nullopt;
        case StepKind::Answer: {
            const QMessageBox::StandardButton which = *answerButton(a[0]);
            return Condition([this, which] {
                QMessageBox* box = openBox();
                if (!box) return false;
                QAbstractButton* button = box->button(which);
                if (!button) {
                    throw StepFailure(QStringLiteral("the message box has no %1 button: %2")
                                          .arg(answerWord(which), quoted(oneLine(boxText(box)))));
                }
                lastBoxText_ = boxText(box);
                log_.write(QStringLiteral("answer"), answerWord(which));
                sendMouseClick(button, button->rect().center());
                return true;
            });
        }
        case StepKind::WaitStatus: {
            if (a.size() > 1) waitSeconds_ = s.numberArg(1);
            const QString prefix = a[0];
            return Condition([this, prefix] { return statusSeen(prefix); });
        }
        case StepKind::WaitIdle:
            if (!a.isEmpty()) waitSeconds_ = s.numberArg(0);
            return Condition([this] { return host_.isIdle(); });
        case StepKind::ExpectStatus: {
            const QString now = host_.statusText();
            if (!now.startsWith(a[0])) {
                throw StepFailure(QStringLiteral("the status line shows %1, not %2...")
                                      .arg(quoted(now), quoted(a[0])));
            }
            return std::nullopt;
        }
        case StepKind::ExpectText: {
            const ControlRef c = control(a[0]);
            const QString text = controlText(c);
            if (text != a[1] && displayedCaption(text) != a[1]) {
                throw StepFailure(
                    QStringLiteral("%1 shows %2, not %3").arg(a[0], quoted(text), quoted(a[1])));
            }
            return std::nullopt;
        }
        case StepKind::ExpectContains: {
            const ControlRef c = control(a[0]);
            const QString text = controlText(c);
            if (!text.contains(a[1]) && !displayedCaption(text).contains(a[1])) {
                throw StepFailure(QStringLiteral("%1 shows %2, without %3")
                                      .arg(a[0], quoted(text), quoted(a[1])));
            }
            return std::nullopt;
        }
        case StepKind::ExpectEnabled: {
            const bool enabled = controlEnabled(control(a[0]));
            if (enabled != s.boolArg(1)) {
                throw StepFailure(QStringLiteral("%1 is %2")
                                      .arg(a[0], enabled ? QStringLiteral("enabled")
                                                         : QStringLiteral("disabled")));
            }
            return std::nullopt;
        }
        case StepKind::ExpectChecked: {
            const auto checked = controlChecked(control(a[0]));
            if (!checked) throw StepFailure(QStringLiteral("%1 has no checked state").arg(a[0]));
            if (*checked != s.boolArg(1)) {
                throw StepFailure(QStringLiteral("%1 is %2")
                                      .arg(a[0], *checked ? QStringLiteral("checked")
                                                          : QStringLiteral("not checked")));
            }
            return std::nullopt;
        }
        case StepKind::ExpectGridRows: {
            const long rows = gridOf(control(a[0])).Rows();
            if (rows != s.intArg(1))
                throw StepFailure(
                    QStringLiteral("%1 has %2 rows, not %3").arg(a[0]).arg(rows).arg(a[1]));
            return std::nullopt;
        }
        case StepKind::ExpectGridCell: {
            platform::DataGrid& grid = gridOf(control(a[0]));
            const int row = s.intArg(1);
            if (row >= grid.Rows()) {
                throw StepFailure(QStringLiteral("%1 has %2 rows; there is no row %3")
                                      .arg(a[0])
                                      .arg(grid.Rows())
                                      .arg(row));
            }
            const int column = gridColumnIndex(grid, a[2]);
            const QString text = grid.CellText(row, grid.Columns().Item(column).Name());
            if (text != a[3]) {
                throw StepFailure(QStringLiteral("%1 row %2 column %3 shows %4, not %5")
                                      .arg(a[0])
                                      .arg(row)
                                      .arg(a[2], quoted(text), quoted(a[3])));
            }
            return std::nullopt;
        }
        case StepKind::ExpectGridSelected: {
            platform::DataGrid& grid = gridOf(control(a[0]));
            QList<int> want, have;
            for (int i = 1; i < a.size(); ++i) want << s.intArg(i);
            for (int row = 0; row < grid.Rows(); ++row) {
                if (grid.SelBookmarks().Contains(*grid.BookmarkAt(row))) have << row;
            }
            std::sort(want.begin(), want.end());
            if (want != have) {
                auto rows = [](const QList<int>& list) {
                    QStringList texts;
                    for (int r : list) texts << QString::number(r);
                    return texts.isEmpty() ? QStringLiteral("none") : texts.join(QLatin1Char(' '));
                };
                throw StepFailure(QStringLiteral("%1 has rows %2 selected, not %3")
                                      .arg(a[0], rows(have), rows(want)));
            }
            return std::nullopt;
        }
        case StepKind::ExpectBox:
            openBox();
            if (lastBoxText_.isNull())
                throw StepFailure(QStringLiteral("no message box was shown"));
            if (!containsFragment(lastBoxText_, a[0])) {
                throw StepFailure(QStringLiteral("the last message box said %1")
                                      .arg(quoted(oneLine(lastBoxText_))));
            }
            return std::nullopt;
        case StepKind::AdvanceClock:
            host_.advanceClock(s.numberArg(0));
            return std::nullopt;
        case StepKind::Backend:
            return runBackendTool(a);
        // Officer search and status counts
        case StepKind::SelectOfficer:
            selectOfficer(control(QStringLiteral("KORVA_OfficerSelect1")), a[0]);
            return std::nullopt;
        case StepKind::ExpectStatusCount: {
            const auto count = std::count_if(statusAll_.begin(), statusAll_.end(),
                                             [&](const QString& t) { return t.startsWith(a[0]); });
            if (count != s.intArg(1)) {
                throw StepFailure(QStringLiteral("the status line showed %1 texts beginning %2, "
                                                 "not %3")
                                      .arg(count)
                                      .arg(quoted(a[0]), a[1]));
            }
            return std::nullopt;
        }
        case StepKind::Screenshot:
            log_.write(QStringLiteral("picture"), takeScreenshot(a[0]));
            return std::nullopt;
        case StepKind::Close:
            host_.closeDocument();
            return std::nullopt;
        case StepKind::Restart:
            host_.restartDocument();
            return std::nullopt;
        case StepKind::Terminate:
            // The program's own handler takes it from the event loop; the scenario ends there.
            std::raise(SIGTERM);
            return std::nullopt;
    }
    return std::nullopt;
}

// Another user at work: the back-end tool runs beside the screen, which goes on handling its
// events; the step waits for the tool to end and fails unless it ends well.
ScenarioRunner::Condition ScenarioRunner::runBackendTool(const QStringList& args) {
    QStringList command = host_.backendToolCommand();
    if (command.isEmpty()) throw StepFailure(QStringLiteral("this host has no back-end tool"));
    const QString program = command.takeFirst();
    // The tool takes its command word first, then the options.
    const QStringList arguments = args.mid(0, 1) + command + args.mid(1);
    auto process = std::make_shared<QProcess>();
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(program, arguments);
    return [this, process] {
        if (process->state() != QProcess::NotRunning && !process->waitForFinished(0)) return false;
        const QString output = QString::fromUtf8(process->readAll()).trimmed();
        log_.write(QStringLiteral("backend"), oneLine(output));
        if (process->error() == QProcess::FailedToStart) {
            throw StepFailure(QStringLiteral("the back-end tool %1 did not start")
                                  .arg(quoted(process->program())));
        }
        if (process->exitStatus() != QProcess::NormalExit || process->exitCode() != 0) {
            throw StepFailure(QStringLiteral("the back-end tool ended with %1: %2")
                                  .arg(process->exitCode())
                                  .arg(quoted(oneLine(output))));
        }
        if (output.contains(QLatin1String("\"NOTIFICATION\""))) {
            throw StepFailure(QStringLiteral("the back end refused the tool's request: %1")
                                  .arg(quoted(oneLine(output))));
        }
        return true;
    };
}

QString ScenarioRunner::takeScreenshot(const QString& name) {
    QWidget* window = QApplication::activeModalWidget();
    if (!window) window = host_.mainWindow();
    if (!window) throw StepFailure(QStringLiteral("no window to take a picture of"));
    QString file = name;
    if (!file.endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) file += QLatin1String(".png");
    QString path = QDir(options_.outDir).filePath(file);
    if (!window->grab().save(path, "PNG"))
        throw StepFailure(QStringLiteral("cannot write %1").arg(path));
    screenshots_ << path;
    return path;
}

void ScenarioRunner::fail(const QString& message) {
    const QString where =
        current_ ? QStringLiteral("line %1 (%2): ").arg(current_->line).arg(current_->text)
                 : QString();
    finish(kScenarioFailed, where + message);
}

void ScenarioRunner::finish(int code, const QString& message) {
    if (finished_) return;
    finished_ = true;
    exitCode_ = code;
    if (code != kScenarioPassed) failure_ = message;
    log_.write(code == kScenarioPassed ? QStringLiteral("PASSED") : QStringLiteral("FAILED"),
               message);
    stopWatchdog_ = true;
    emit finished(code);
}

}  // namespace app
