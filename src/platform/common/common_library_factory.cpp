#include "platform/common/common_library_factory.h"

#include <QCommandLineParser>

#include "platform/common/answer_store.h"
#include "platform/common/clock.h"
#include "platform/common/error_log.h"
#include "platform/common/faults.h"
#include "platform/common/global_services.h"
#include "platform/common/layout_dtd.h"
#include "platform/common/message_service.h"
#include "platform/common/queued_directory.h"
#include "platform/common/recording_status_line.h"
#include "platform/common/transport.h"
#include "platform/common/user_context.h"

namespace platform {

CommonLibraryParts buildCommonLibraryParts(std::shared_ptr<messaging::BackEnd> backEnd,
                                           const std::string& userName,
                                           const CommonLibraryOptions& options) {
    installLayoutObjectFactory();

    CommonLibraryParts parts;
    parts.userFolder = std::make_shared<UserFolder>(options.userFolder);
    parts.errorReporter = std::make_shared<LogFileErrorReporter>(parts.userFolder);
    parts.clock = std::make_shared<OffsetClock>();
    parts.answerStore = std::make_shared<MemoryAnswerStore>(options.answersKept);

    FaultTable faults;
    faults.addAll(options.faults, &parts.faultErrors);
    if (options.faultsFromEnvironment) faults.addFromEnvironment(&parts.faultErrors);
    for (const QString& error : parts.faultErrors) {
        parts.errorReporter->ReportError(error.toStdString(), "KORVA_COMMON",
                                         "CommonLibrary.Faults");
    }

    parts.transport =
        std::make_shared<Transport>(std::move(backEnd), parts.clock, parts.answerStore);
    parts.transport->setErrorReporter(parts.errorReporter);
    parts.transport->setServiceLimit(options.serviceLimitSeconds);
    parts.transport->setFaults(std::move(faults));

    auto services =
        std::make_shared<QueuedDirectory>(parts.transport, QueuedDirectory::WhenUnanswered::Throw);
    auto user = std::make_shared<BackEndUserContext>(userName, parts.userFolder, services);
    parts.globalServices = std::make_shared<BackEndGlobalServices>(services, user);

    messaging::CommonLibrary& lib = parts.library;
    lib.messageService = std::make_shared<TransportMessageService>(parts.transport);
    lib.answerStore = parts.answerStore;
    lib.statusLine =
        options.statusLine ? options.statusLine : std::make_shared<RecordingStatusLine>();
    lib.userContext = user;
    lib.globalServices = parts.globalServices;
    lib.errorReporter = parts.errorReporter;
    lib.clock = parts.clock;
    lib.directory = std::make_shared<QueuedDirectory>(parts.transport);
    return parts;
}

void addCommonLibraryOptions(QCommandLineParser& parser) {
    parser.addOption(QCommandLineOption(
        QStringLiteral("fault"),
        QStringLiteral("Inject a fault into the answers of a theme word (repeatable): "
                       "WORD=drop, WORD=fail or WORD=delay:MS; * is every theme."),
        QStringLiteral("WORD=drop|fail|delay:MS")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("service-limit"),
        QStringLiteral("Seconds the message service waits for an answer (default 90)."),
        QStringLiteral("SECONDS")));
}

bool readCommonLibraryOptions(const QCommandLineParser& parser, CommonLibraryOptions& options,
                              QString* error) {
    options.faults += parser.values(QStringLiteral("fault"));
    if (parser.isSet(QStringLiteral("service-limit"))) {
        bool ok = false;
        const double seconds = parser.value(QStringLiteral("service-limit")).toDouble(&ok);
        if (!ok || seconds <= 0) {
            if (error)
                *error = QStringLiteral("--service-limit needs a positive number of seconds");
            return false;
        }
        options.serviceLimitSeconds = seconds;
    }
    return true;
}

}  // namespace platform
