#include "platform/common/error_log.h"

#include <QDateTime>
#include <QFile>
#include <QLoggingCategory>

#include "platform/common/user_context.h"

namespace platform {
namespace {

Q_LOGGING_CATEGORY(lcHalberon, "halberon")

// One record per line: line breaks inside a text become " | ".
QString oneLine(const std::string& text) {
    QString s = QString::fromStdString(text);
    s.replace(QLatin1String("\r\n"), QLatin1String(" | "));
    s.replace(QLatin1Char('\r'), QLatin1String(" | "));
    s.replace(QLatin1Char('\n'), QLatin1String(" | "));
    return s;
}

}  // namespace

LogFileErrorReporter::LogFileErrorReporter(std::shared_ptr<UserFolder> folder)
    : folder_(std::move(folder)) {}

QString LogFileErrorReporter::logPath() const {
    const QString folder = folder_->path();
    return folder.isEmpty() ? QString() : folder + QLatin1String(kLogFileName);
}

void LogFileErrorReporter::ReportError(const std::string& description, const std::string& exeName,
                                       const std::string& source) {
    try {
        append(true, QStringLiteral("ERROR %1 %2: %3")
                         .arg(oneLine(exeName), oneLine(source), oneLine(description)));
    } catch (...) {  // a reporter never throws
    }
}

void LogFileErrorReporter::LogNotification(const std::string& text,
                                           const std::string& completionCode) {
    try {
        append(false,
               QStringLiteral("NOTIFICATION [%1] %2").arg(oneLine(completionCode), oneLine(text)));
    } catch (...) {  // a reporter never throws
    }
}

void LogFileErrorReporter::append(bool error, const QString& line) noexcept {
    try {
        if (error) {
            qCWarning(lcHalberon).noquote() << line;
        } else {
            qCInfo(lcHalberon).noquote() << line;
        }
        const QString stamped = QDateTime::currentDateTime().toString(Qt::ISODateWithMs) +
                                QLatin1Char(' ') + line + QLatin1Char('\n');
        std::lock_guard lock(mutex_);
        const QString path = logPath();
        if (path.isEmpty()) return;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
            file.write(stamped.toUtf8());
        }
    } catch (...) {  // a reporter never throws
    }
}

}  // namespace platform
