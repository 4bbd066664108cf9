#include "platform/common/user_context.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/common/queued_directory.h"

namespace platform {

UserFolder::UserFolder(QString overridePath) : override_(std::move(overridePath)) {}

QString UserFolder::path() {
    std::lock_guard lock(mutex_);
    QString folder = override_.isEmpty()
                         ? QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
                         : override_;
    if (folder.isEmpty() || !QDir().mkpath(folder)) return {};
    folder = QDir::cleanPath(folder);
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

BackEndUserContext::BackEndUserContext(std::string senderId, std::shared_ptr<UserFolder> folder,
                                       std::shared_ptr<messaging::BackEnd> backEnd)
    : senderId_(std::move(senderId)), folder_(std::move(folder)), backEnd_(std::move(backEnd)) {}

std::string BackEndUserContext::GetUserFolder() {
    return folder_->path().toStdString();
}

std::string BackEndUserContext::GetOfficerNumber() {
    if (officer_) return *officer_;
    try {
        const std::optional<std::int64_t> officer = backEnd_->OfficerOf(senderId_);
        officer_ = officer ? std::to_string(*officer) : std::string();
    } catch (const NoAnswer&) {
        return {};  // not remembered: asked again next time
    }
    return *officer_;
}

}  // namespace platform
