#pragma once
// Builds the whole common library over a back end: one transport, its answer store, and the
// services around them. Call on the user-interface thread, with a QApplication in place.

#include <cstddef>
#include <memory>
#include <string>

#include <QString>
#include <QStringList>

#include "messaging/common_library.h"

class QCommandLineParser;

namespace platform {

class Transport;
class OffsetClock;
class MemoryAnswerStore;
class LogFileErrorReporter;
class BackEndGlobalServices;
class UserFolder;

struct CommonLibraryOptions {
    double serviceLimitSeconds = 90.0;
    QStringList faults;                 // "WORD=drop|fail|delay:MS"
    bool faultsFromEnvironment = true;  // also HALBERON_FAULTS
    QString userFolder;                 // empty: the application's data folder
    std::size_t answersKept = 64;
    std::shared_ptr<messaging::StatusLine> statusLine;  // none: a RecordingStatusLine
};

// The library and its concrete pieces, for the host and for tests.
struct CommonLibraryParts {
    messaging::CommonLibrary library;
    std::shared_ptr<Transport> transport;
    std::shared_ptr<OffsetClock> clock;
    std::shared_ptr<MemoryAnswerStore> answerStore;
    std::shared_ptr<LogFileErrorReporter> errorReporter;
    std::shared_ptr<BackEndGlobalServices> globalServices;
    std::shared_ptr<UserFolder> userFolder;
    QStringList faultErrors;  // fault texts that could not be read (also logged)
};

// Also installs the layout-object factory, so records::NewRecordsetTemplate makes LayoutDtds.
CommonLibraryParts buildCommonLibraryParts(std::shared_ptr<messaging::BackEnd> backEnd,
                                           const std::string& userName,
                                           const CommonLibraryOptions& options = {});

// The command-line options of the common library: --fault WORD=... (repeatable) and
// --service-limit SECONDS.
void addCommonLibraryOptions(QCommandLineParser& parser);
// Reads them into options; false (and a message) when --service-limit is not a positive number.
bool readCommonLibraryOptions(const QCommandLineParser& parser, CommonLibraryOptions& options,
                              QString* error = nullptr);

}  // namespace platform
