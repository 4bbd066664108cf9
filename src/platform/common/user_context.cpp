#include "platform/common/user_context.h"

#include <QDir>
#include <QStandardPaths>

#include "platform/common/transport.h"

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
                                       std::shared_ptr<Transport> transport)
    : senderId_(std::move(senderId)),
      folder_(std::move(folder)),
      transport_(std::move(transport)) {}

std::string BackEndUserContext::GetUserFolder() { return folder_->path().toStdString(); }

std::string BackEndUserContext::GetOfficerNumber() {
    if (officer_) return *officer_;
    const auto officer = transport_->call<std::optional<std::int64_t>>(
        [sender = senderId_](messaging::BackEnd& be) { return be.OfficerOf(sender); },
        "the officer of user " + senderId_);
    if (!officer) return {};  // not remembered: asked again next time
    officer_ = *officer ? std::to_string(**officer) : std::string();
    return *officer_;
}

}  // namespace platform
