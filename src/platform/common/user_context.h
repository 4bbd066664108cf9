#pragma once
// Who is working, and where their files go.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include <QString>

#include "messaging/common_library.h"

namespace platform {

// The user's folder: the application's data folder unless overridden, created on first use.
class UserFolder {
  public:
    explicit UserFolder(QString overridePath = {});
    // The folder with a separator at the end; "" when it cannot be created.
    QString path();

  private:
    std::mutex mutex_;
    QString override_;
};

class BackEndUserContext : public messaging::UserContext {
  public:
    // backEnd: a QueuedDirectory that throws NoAnswer when the back end gives none.
    BackEndUserContext(std::string senderId, std::shared_ptr<UserFolder> folder,
                       std::shared_ptr<messaging::BackEnd> backEnd);

    std::string GetSenderId() override { return senderId_; }
    std::string GetUserFolder() override;
    // The back end's officer number of the user as text; "" when the user has none. Asked once.
    std::string GetOfficerNumber() override;

  private:
    std::string senderId_;
    std::shared_ptr<UserFolder> folder_;
    std::shared_ptr<messaging::BackEnd> backEnd_;
    std::optional<std::string> officer_;
};

}  // namespace platform
