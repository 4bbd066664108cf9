#pragma once
// Errors and notifications go to "halberon.log" in the user's folder and to the Qt log.
// Nothing here throws: a report that cannot be written is lost, not raised.

#include <memory>
#include <mutex>
#include <string>

#include <QString>

#include "messaging/common_library.h"

namespace platform {

class UserFolder;

inline constexpr const char* kLogFileName = "halberon.log";

class LogFileErrorReporter : public messaging::ErrorReporter {
  public:
    explicit LogFileErrorReporter(std::shared_ptr<UserFolder> folder);

    void ReportError(const std::string& description, const std::string& exeName,
                     const std::string& source) override;
    void LogNotification(const std::string& text, const std::string& completionCode) override;

    // The log file's full name; "" when the user folder cannot be made.
    QString logPath() const;

  private:
    void append(bool error, const QString& line) noexcept;

    std::shared_ptr<UserFolder> folder_;
    std::mutex mutex_;
};

}  // namespace platform
