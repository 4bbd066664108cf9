#pragma once
// The back end over a SQL database. Thread-safe: every thread gets its own connection (Qt SQL
// connections belong to the thread that opened them), and every request runs in one
// transaction on it.

#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "backend/change_watch.h"
#include "backend/database.h"
#include "messaging/backend_api.h"

namespace backend {

class SqlBackEnd final : public messaging::BackEnd {
  public:
    // Opens (and creates or upgrades) the database; throws records::Error when it cannot.
    explicit SqlBackEnd(DatabaseLocation location);
    // `location`: a SQLite path or a postgresql:// URL; empty for the default file.
    static std::unique_ptr<SqlBackEnd> Open(const QString& location);
    ~SqlBackEnd() override;
    SqlBackEnd(const SqlBackEnd&) = delete;
    SqlBackEnd& operator=(const SqlBackEnd&) = delete;

    messaging::Answer Handle(const messaging::Request& request) override;

    // Throw records::Error for an unknown sender or kind (and, when handing back, for a number
    // never handed out or held by someone else).
    std::string NextNumber(const std::string& senderId, const std::string& kind) override;
    void ReturnNumber(const std::string& senderId, const std::string& kind,
                      const std::string& number) override;
    bool HasRight(const std::string& senderId, const std::string& right) override;
    std::optional<std::int64_t> OfficerOf(const std::string& senderId) override;
    std::vector<std::pair<std::string, std::string>> CodeTable(const std::string& table) override;
    std::vector<messaging::OfficerInfo> Officers() override;
    std::vector<messaging::CustomerInfo> FindCustomers(const std::string& text, int limit) override;
    std::vector<std::string> ChangedElsewhere() override;

    const DatabaseLocation& location() const { return location_; }
    // This thread's connection (opened on first use).
    Sql& connection();

  private:
    // After a failure: a connection that no longer answers is dropped, so the next call of this
    // thread connects again (a restarted server, a killed session).
    void dropConnectionIfBroken();
    template <class F>
    auto guarded(F work) -> decltype(work());

    DatabaseLocation location_;
    QString connectionPrefix_;
    std::mutex mutex_;
    std::map<std::uint64_t, std::unique_ptr<Sql>> connections_;      // by thread serial
    std::map<std::uint64_t, std::unique_ptr<ChangeWatch>> watches_;  // by thread serial
    // This thread's watch over others' changes, when it has started one.
    ChangeWatch* watchOfThread();
};

}  // namespace backend
