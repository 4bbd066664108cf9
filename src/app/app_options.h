#pragma once
// The command line of halberon-bankruptcy.

#include <QString>
#include <QStringList>

#include "platform/common/common_library_factory.h"

class QCommandLineParser;

namespace app {

inline constexpr const char* kDefaultUser = "manager";
inline constexpr double kDefaultStepTimeoutSeconds = 10.0;

enum class RunMode { Interactive, Script, Tour };

struct AppOptions {
    RunMode mode = RunMode::Interactive;
    QString database;  // empty: the default SQLite file
    QString user = QString::fromLatin1(kDefaultUser);
    QString userFolder;  // empty: the application's data folder
    QString script;      // --script FILE
    QString outDir;      // --out DIR, or the folder of --tour
    double stepTimeoutSeconds = kDefaultStepTimeoutSeconds;
    platform::CommonLibraryOptions library;
};

void addAppOptions(QCommandLineParser& parser);
// Reads the parsed command line; false with a message when the options do not fit together.
bool readAppOptions(const QCommandLineParser& parser, AppOptions& options, QString* error);

// True when Qt will have a display: a -platform argument, QT_QPA_PLATFORM, DISPLAY or
// WAYLAND_DISPLAY.
bool hasDisplay(int argc, char* argv[]);

}  // namespace app
