#include "app/app_options.h"

#include <QCommandLineParser>
#include <QDir>
#include <cstring>

#include "app/scenario/scenario_script.h"

namespace app {

void addAppOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral(
            "HALBERON bankruptcy manager: pick a customer, see the open receivables and bankruptcy "
            "cases, record and settle cases.\n\n"
            "Without --script or --tour the screen opens for work. --script plays a scenario file "
            "and --tour a built-in one; both need no display when started with -platform "
            "offscreen.\n\n"
            "Exit codes: 0 done or passed, 1 a scenario step failed or the program could not "
            "start, "
            "2 wrong options or a faulty scenario file, 3 a scenario got stuck.\n\n"
            "Scenario steps (described in README.md):\n  ") +
        scriptStepSummary().replace(QLatin1Char('\n'), QStringLiteral("\n  ")));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        {QStringLiteral("database"),
         QStringLiteral("The back end's database: a SQLite file or a postgresql:// URL. A database "
                        "that does not exist yet is created and filled with the demo data. "
                        "Default: halberon.sqlite in the user's data folder."),
         QStringLiteral("PATH|URL")},
        {QStringLiteral("user"),
         QStringLiteral("Who works: a user of the database (demo: \"manager\", who may write off "
                        "and dismiss cases, or \"officer\"). Default: manager."),
         QStringLiteral("NAME"), QString::fromLatin1(kDefaultUser)},
        {QStringLiteral("user-folder"),
         QStringLiteral("Folder for the error log and the saved screen state. Default: the "
                        "user's data folder."),
         QStringLiteral("DIR")},
        {QStringLiteral("script"),
         QStringLiteral("Play this scenario file, then quit (exit code 0 "
                        "when it passed, 1 when a step failed)."),
         QStringLiteral("FILE")},
        {QStringLiteral("out"),
         QStringLiteral("Where --script writes scenario.log and its pictures (default: the current "
                        "folder)."),
         QStringLiteral("DIR")},
        {QStringLiteral("tour"),
         QStringLiteral("Play the built-in tour over the demo data and save its pictures and log "
                        "into DIR."),
         QStringLiteral("DIR")},
        {QStringLiteral("step-timeout"),
         QStringLiteral("Seconds a waiting scenario step may take (default 10)."),
         QStringLiteral("SECONDS")},
    });
    platform::addCommonLibraryOptions(parser);
}

bool readAppOptions(const QCommandLineParser& parser, AppOptions& options, QString* error) {
    auto failWith = [&](const QString& text) {
        if (error) *error = text;
        return false;
    };
    if (!parser.positionalArguments().isEmpty()) {
        return failWith(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().front()));
    }
    options.database = parser.value(QStringLiteral("database")).trimmed();
    options.user = parser.value(QStringLiteral("user")).trimmed();
    if (options.user.isEmpty()) return failWith(QStringLiteral("--user needs a name"));
    options.userFolder = parser.value(QStringLiteral("user-folder")).trimmed();
    options.library.userFolder = options.userFolder;

    const bool script = parser.isSet(QStringLiteral("script"));
    const bool tour = parser.isSet(QStringLiteral("tour"));
    if (script && tour) return failWith(QStringLiteral("--script and --tour do not go together"));
    if (parser.isSet(QStringLiteral("out")) && !script) {
        return failWith(QStringLiteral("--out goes with --script"));
    }
    if (script) {
        options.mode = RunMode::Script;
        options.script = parser.value(QStringLiteral("script"));
        options.outDir = parser.isSet(QStringLiteral("out")) ? parser.value(QStringLiteral("out"))
                                                             : QStringLiteral(".");
    } else if (tour) {
        options.mode = RunMode::Tour;
        options.outDir = parser.value(QStringLiteral("tour"));
        // The tour closes its screen like a user; its saved screen state stays beside its
        // pictures instead of waiting for the user's next start.
        if (options.userFolder.isEmpty()) {
            options.userFolder = QDir(options.outDir).filePath(QStringLiteral("user"));
            options.library.userFolder = options.userFolder;
        }
    }
    if (parser.isSet(QStringLiteral("step-timeout"))) {
        bool ok = false;
        options.stepTimeoutSeconds = parser.value(QStringLiteral("step-timeout")).toDouble(&ok);
        if (!ok || options.stepTimeoutSeconds <= 0) {
            return failWith(QStringLiteral("--step-timeout needs a positive number of seconds"));
        }
    }
    return platform::readCommonLibraryOptions(parser, options.library, error);
}

bool hasDisplay(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        if (!qEnvironmentVariableIsEmpty(variable)) return true;
    }
    return false;
}

}  // namespace app
