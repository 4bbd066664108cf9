// halberon-bankruptcy: the bankruptcy manager. Opens the screen on a database, or plays a
// scenario (--script) or the tour (--tour) and quits.
#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>

#include <sys/socket.h>
#include <unistd.h>

#include "app/app_options.h"
#include "app/bankruptcy_program.h"
#include "app/desktop.h"
#include "app/scenario/scenario_runner.h"
#include "app/scenario/scenario_script.h"
#include "app/tour.h"
#include "platform/binding/display_formats.h"
#include "platform/widgets/host_shell.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kStartFailed = 1;

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

QTextStream& out() {
    static QTextStream stream(stdout);
    return stream;
}

bool argumentGiven(int argc, char* argv[], const char* name) {
    const std::size_t n = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], name, n) == 0 && (argv[i][n] == '\0' || argv[i][n] == '='))
            return true;
    }
    return false;
}

// SIGTERM, SIGINT and SIGHUP end the program the way closing its window does. The handler only
// writes the signal's number to a socket; the event loop reads it and runs `end`, also when it
// is the loop of an open dialog.
int signalSocket[2] = {-1, -1};

void onSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSocket[0], &byte, 1);
}

void endOnSignals(QObject* context, std::function<void(int)> end) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalSocket) != 0) return;
    auto* notifier = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [end = std::move(end)] {
        char byte = 0;
        if (::read(signalSocket[1], &byte, 1) == 1) end(byte);
    });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) sigaction(number, &action, nullptr);
}

// Plays a scenario over the running program; returns the exit code.
int play(QApplication& qtApp, app::BankruptcyProgram& program, const app::AppOptions& options,
         const app::Script& script, const QString& title) {
    app::ScenarioRunner::Options runnerOptions;
    runnerOptions.outDir = options.outDir;
    runnerOptions.title = title;
    runnerOptions.stepTimeoutSeconds = options.stepTimeoutSeconds;
    app::ScenarioRunner runner(program, script.steps, runnerOptions);
    QObject::connect(&runner, &app::ScenarioRunner::finished, &qtApp, [&](int code) {
        // A passed scenario ends as the user would end it: the window closes, so the document
        // is unloaded. A failed one stops where it is.
        QTimer::singleShot(0, &qtApp, [&program, code] {
            if (code == app::kScenarioPassed) program.shell().close();
            QCoreApplication::exit(code);
        });
    });
    QString error;
    if (!runner.start(&error)) {
        err() << "halberon-bankruptcy: " << error << "\n";
        return kStartFailed;
    }
    const int code = qtApp.exec();
    if (!runner.isFinished()) {
        err() << "halberon-bankruptcy: scenario " << title << " stopped by a signal"
              << "\n  log: " << runner.logPath() << "\n";
    } else if (runner.exitCode() != app::kScenarioPassed) {
        err() << "halberon-bankruptcy: scenario " << title << " failed at "
              << runner.failureMessage() << "\n  log: " << runner.logPath() << "\n";
    } else {
        out() << "Scenario " << title << " passed; log: " << runner.logPath() << "\n";
    }
    for (const QString& picture : runner.screenshots()) out() << "  picture: " << picture << "\n";
    return runner.isFinished() ? runner.exitCode() : code;
}

}  // namespace

int main(int argc, char* argv[]) {
    const bool unattended =
        argumentGiven(argc, argv, "--script") || argumentGiven(argc, argv, "--tour");
    const bool help = argumentGiven(argc, argv, "--help") || argumentGiven(argc, argv, "-h") ||
                      argumentGiven(argc, argv, "--version") || argumentGiven(argc, argv, "-v");
    if (!app::hasDisplay(argc, argv)) {
        if (unattended || help) {
            // Scenarios and the tour need no screen.
            qputenv("QT_QPA_PLATFORM", "offscreen");
        } else {
            std::fputs(
                "halberon-bankruptcy: there is no display (neither DISPLAY nor WAYLAND_DISPLAY "
                "is set), so the screen cannot open.\n"
                "To see it at work without one, play the tour offscreen:\n"
                "  halberon-bankruptcy --tour DIR -platform offscreen\n",
                stderr);
            return kStartFailed;
        }
    }

    QApplication qtApp(argc, argv);
    // The user's data folder is ".../HALBERON", where the default database also lives.
    QApplication::setApplicationName(QStringLiteral("HALBERON"));
    QApplication::setApplicationDisplayName(QStringLiteral("HALBERON Bankruptcy Manager"));
    QApplication::setApplicationVersion(QStringLiteral(HALBERON_VERSION));
    // The window and every dialog carry the program's icon; the desktop finds its entry by name.
    QApplication::setWindowIcon(app::programIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(app::kDesktopId));
    platform::useUsFormsWithoutRegionalSettings();

    QCommandLineParser parser;
    app::addAppOptions(parser);
    parser.process(qtApp);
    app::AppOptions options;
    QString error;
    if (!app::readAppOptions(parser, options, &error)) {
        err() << "halberon-bankruptcy: " << error << "\nSee halberon-bankruptcy --help.\n";
        return kUsageError;
    }

    app::Script script;
    QString title;
    if (options.mode == app::RunMode::Script) {
        QFile file(options.script);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            err() << "halberon-bankruptcy: cannot read the scenario " << options.script << ": "
                  << file.errorString() << "\n";
            return kUsageError;
        }
        script = app::parseScript(QString::fromUtf8(file.readAll()));
        title = options.script;
    } else if (options.mode == app::RunMode::Tour) {
        script = app::parseScript(app::tourScript());
        title = QStringLiteral("tour");
    }
    if (!script.ok()) {
        for (const app::ScriptError& e : script.errors) {
            err() << title << ":" << e.line << ": " << e.message << "\n";
        }
        return kUsageError;
    }

    app::BankruptcyProgram program(options);
    if (!program.start(&error)) {
        err() << "halberon-bankruptcy: cannot start: " << error << "\n";
        return kStartFailed;
    }
    if (options.mode == app::RunMode::Interactive) {
        for (const QString& note : program.startNotes()) out() << note << "\n";
        out().flush();
    }
    // The window opens where the user left it. Scenarios and the tour keep the window's own
    // size, so their pictures do not depend on the user's desktop.
    const bool interactive = options.mode == app::RunMode::Interactive;
    const std::unique_ptr<QSettings> settings = interactive ? app::userSettings() : nullptr;
    if (settings) app::restoreWindowPlace(program.shell(), *settings);
    program.shell().show();
    // The window closes first (the document persists what is on display and closes its
    // dialogs); a scenario or the tour cut short by a signal ends as failed.
    endOnSignals(&qtApp, [&program, interactive](int number) {
        program.shell().close();
        QCoreApplication::exit(interactive ? 0 : 128 + number);
    });

    if (interactive) {
        const int code = qtApp.exec();
        app::saveWindowPlace(program.shell(), *settings);
        return code;
    }
    const int code = play(qtApp, program, options, script, title);
    if (options.mode == app::RunMode::Tour && code == app::kScenarioPassed) {
        out() << "The tour's pictures are in " << QDir(options.outDir).absolutePath() << "\n";
    }
    return code;
}
