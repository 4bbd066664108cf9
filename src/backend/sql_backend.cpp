#include "backend/sql_backend.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QSqlQuery>
#include <atomic>

#include "backend/handlers.h"
#include "backend/numbers.h"
#include "backend/schema.h"
#include "backend/sql_values.h"
#include "backend/transaction.h"
#include "backend/users.h"
#include "messaging/answer_parts.h"
#include "records/errors.h"
#include "records/layouts.h"

namespace backend {
namespace {

struct ThemeSpec {
    const char* word;
    int serviceCode;
    bool writes;
    void (*handler)(RequestContext&);
};

constexpr ThemeSpec kThemes[] = {
    {"CASES", 16, false, AnswerCases},     {"OPENARS", 58, false, AnswerOpenArs},
    {"CASEARS", 58, false, AnswerCaseArs}, {"ADDUPDATE", 17, true, HandleAddUpdate},
    {"PROCESS", 17, true, HandleProcess},  {"CASEHIST", 16, false, AnswerCaseHistory},
};

const ThemeSpec* FindTheme(const std::string& theme) {
    const std::string title = messaging::kAppTitle;
    if (theme.rfind(title, 0) != 0) return nullptr;
    const std::string word = theme.substr(title.size());
    for (const ThemeSpec& spec : kThemes) {
        if (word == spec.word) return &spec;
    }
    return nullptr;
}

std::uint64_t ThreadSerial() {
    static std::atomic<std::uint64_t> next{0};
    thread_local const std::uint64_t mine = ++next;
    return mine;
}

}  // namespace

SqlBackEnd::SqlBackEnd(DatabaseLocation location) : location_(std::move(location)) {
    static std::atomic<int> instances{0};
    connectionPrefix_ = QStringLiteral("halberon-backend-%1-%2-")
                            .arg(QCoreApplication::applicationPid())
                            .arg(++instances);
    try {
        UpgradeSchema(connection());
    } catch (...) {
        connections_.clear();
        for (const QString& name : QSqlDatabase::connectionNames()) {
            if (name.startsWith(connectionPrefix_)) QSqlDatabase::removeDatabase(name);
        }
        throw;
    }
}

std::unique_ptr<SqlBackEnd> SqlBackEnd::Open(const QString& location) {
    return std::make_unique<SqlBackEnd>(
        DatabaseLocation::Parse(location.trimmed().isEmpty() ? DefaultDatabasePath() : location));
}

SqlBackEnd::~SqlBackEnd() {
    std::lock_guard lock(mutex_);
    watches_.clear();
    for (auto& [serial, sql] : connections_) {
        const QString name = sql->database().connectionName();
        sql->database().close();
        sql.reset();
        QSqlDatabase::removeDatabase(name);
    }
}

Sql& SqlBackEnd::connection() {
    const std::uint64_t serial = ThreadSerial();
    std::lock_guard lock(mutex_);
    if (auto it = connections_.find(serial); it != connections_.end()) return *it->second;
    const QString name = connectionPrefix_ + QString::number(serial);
    auto sql = std::make_unique<Sql>(OpenConnection(location_, name), location_.dialect);
    Sql& ref = *sql;
    connections_.emplace(serial, std::move(sql));
    return ref;
}

void SqlBackEnd::dropConnectionIfBroken() {
    std::unique_ptr<Sql> broken;
    {
        std::lock_guard lock(mutex_);
        const auto it = connections_.find(ThreadSerial());
        if (it == connections_.end()) return;
        try {
            it->second->scalar(QStringLiteral("SELECT 1"));
            return;
        } catch (const records::Error&) {  // dropped below
        }
        broken = std::move(it->second);
        connections_.erase(it);
        watches_.erase(ThreadSerial());  // the new connection starts its own
    }
    const QString name = broken->database().connectionName();
    broken->database().close();
    broken.reset();
    QSqlDatabase::removeDatabase(name);
}

template <class F>
auto SqlBackEnd::guarded(F work) -> decltype(work()) {
    try {
        return work();
    } catch (const records::Error&) {
        dropConnectionIfBroken();
        throw;
    }
}

messaging::Answer SqlBackEnd::Handle(const messaging::Request& request) {
    messaging::Answer answer{request.theme, request.messageKey, {}};
    std::vector<messaging::NamedPart> data;
    std::vector<Problem> problems;
    const ThemeSpec* spec = FindTheme(request.theme);
    const std::string location = std::string("halberon-backend ") + (spec ? spec->word : "request");
    try {
        Problems early;
        if (!spec) {
            early.throwNow(
                code::BadTheme,
                "Unknown request theme '" + request.theme + "'; expected " + messaging::kAppTitle +
                    " followed by CASES, OPENARS, CASEARS, CASEHIST, ADDUPDATE or PROCESS.",
                location);
        }
        if (request.serviceCode != spec->serviceCode) {
            early.throwNow(code::BadService,
                           "Service code " + std::to_string(request.serviceCode) +
                               " does not serve " + spec->word + " (expected " +
                               std::to_string(spec->serviceCode) + ").",
                           location);
        }
        Sql& sql = connection();
        Transaction tx(sql, spec->writes ? Transaction::Kind::Write : Transaction::Kind::Read);
        const QString sender = QString::fromStdString(request.senderId).trimmed();
        if (sender.isEmpty() || HasControlCharacter(request.senderId) || !UserExists(sql, sender)) {
            early.throwNow(code::NoUser,
                           "The sender '" + request.senderId + "' is not a known user.", location);
        }
        RequestContext ctx{
            request, sql, QString::fromLatin1(spec->word), sender, QDate::currentDate(), {}, {}};
        ChangeWatch* watch = spec->writes ? watchOfThread() : nullptr;
        if (watch) watch->beforeOwnChange(sql);
        spec->handler(ctx);
        if (watch) watch->afterOwnChange(sql);
        tx.commit();
        data = std::move(ctx.data);
    } catch (const Refused& refused) {
        problems = refused.problems;
    } catch (const records::Error& e) {
        problems.push_back({code::Failed,
                            "The back end could not complete the request; nothing "
                            "was changed.",
                            location, e.Description()});
        dropConnectionIfBroken();
    } catch (const std::exception& e) {
        problems.push_back({code::Failed,
                            "The back end could not complete the request; nothing "
                            "was changed.",
                            location, e.what()});
    }
    answer.parts.push_back({std::string(records::kLayoutHeader), messaging::HeaderPart(request)});
    if (problems.empty()) {
        for (auto& part : data) answer.parts.push_back(std::move(part));
    } else {
        answer.parts.push_back(
            {std::string(records::kLayoutNotification), messaging::NotificationPart(problems)});
    }
    return answer;
}

std::string SqlBackEnd::NextNumber(const std::string& senderId, const std::string& kind) {
    return guarded([&] {
        Sql& sql = connection();
        const QString sender = QString::fromStdString(senderId).trimmed();
        Transaction tx(sql, Transaction::Kind::Write);
        if (!UserExists(sql, sender)) {
            throw records::Error(records::err::InvalidArgument,
                                 "The sender '" + senderId + "' is not a known user.");
        }
        const std::int64_t n = DrawNumber(sql, QString::fromStdString(kind).trimmed(), sender);
        tx.commit();
        return std::to_string(n);
    });
}

void SqlBackEnd::ReturnNumber(const std::string& senderId, const std::string& kind,
                              const std::string& number) {
    const auto n = ParseNumber(QString::fromStdString(number));
    if (!n) {
        throw records::Error(records::err::InvalidArgument,
                             "'" + number + "' is not a number that was handed out.");
    }
    guarded([&] {
        Sql& sql = connection();
        const QString sender = QString::fromStdString(senderId).trimmed();
        Transaction tx(sql, Transaction::Kind::Write);
        if (!sender.isEmpty() && !UserExists(sql, sender)) {
            throw records::Error(records::err::InvalidArgument,
                                 "The sender '" + senderId + "' is not a known user.");
        }
        HandBackNumber(sql, QString::fromStdString(kind).trimmed(), *n, sender);
        tx.commit();
    });
}

bool SqlBackEnd::HasRight(const std::string& senderId, const std::string& right) {
    return guarded([&] {
        return UserHasRight(connection(), QString::fromStdString(senderId).trimmed(),
                            QString::fromStdString(right));
    });
}

std::optional<std::int64_t> SqlBackEnd::OfficerOf(const std::string& senderId) {
    return guarded(
        [&] { return UserOfficer(connection(), QString::fromStdString(senderId).trimmed()); });
}

std::vector<std::pair<std::string, std::string>> SqlBackEnd::CodeTable(const std::string& table) {
    return guarded([&] {
        QSqlQuery q = connection().exec(QStringLiteral("SELECT code, description FROM code_values"
                                                       " WHERE table_name = ?"
                                                       " ORDER BY sort_order, code"),
                                        {QString::fromStdString(table)});
        std::vector<std::pair<std::string, std::string>> codes;
        while (q.next()) {
            codes.emplace_back(q.value(0).toString().toStdString(),
                               q.value(1).toString().toStdString());
        }
        return codes;
    });
}

std::vector<messaging::OfficerInfo> SqlBackEnd::Officers() {
    return guarded([&] {
        QSqlQuery q = connection().exec(
            QStringLiteral("SELECT officer_id, name FROM officers ORDER BY officer_id"));
        std::vector<messaging::OfficerInfo> list;
        while (q.next()) {
            list.push_back({q.value(0).toLongLong(), q.value(1).toString().toStdString()});
        }
        return list;
    });
}

std::vector<messaging::CustomerInfo> SqlBackEnd::FindCustomers(const std::string& text, int limit) {
    QString pattern = QString::fromStdString(text).trimmed().toLower();
    pattern.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return guarded([&] {
        QSqlQuery q = connection().exec(
            QStringLiteral("SELECT cust_id, name, cust_type, doc_type, mail_address,"
                           " mail_address2, mail_city, mail_state, mail_zip, address2, address2b,"
                           " city2, state2, zip2, phone, ref_number FROM customers"
                           " WHERE cust_id LIKE ? ESCAPE '\\' OR LOWER(name) LIKE ? ESCAPE '\\'"
                           " ORDER BY cust_id LIMIT ?"),
            {pattern + QLatin1Char('%'), QLatin1Char('%') + pattern + QLatin1Char('%'),
             limit > 0 ? limit : 100});
        std::vector<messaging::CustomerInfo> list;
        while (q.next()) {
            auto v = [&](int i) { return q.value(i).toString().toStdString(); };
            list.push_back({v(0), v(1), v(2), v(3), v(4), v(5), v(6), v(7), v(8), v(9), v(10),
                            v(11), v(12), v(13), v(14), v(15)});
        }
        return list;
    });
}

ChangeWatch* SqlBackEnd::watchOfThread() {
    std::lock_guard lock(mutex_);
    const auto it = watches_.find(ThreadSerial());
    return it == watches_.end() ? nullptr : it->second.get();
}

std::vector<std::string> SqlBackEnd::ChangedElsewhere() {
    return guarded([&] {
        Sql& sql = connection();
        ChangeWatch* watch = watchOfThread();
        if (!watch) {
            std::lock_guard lock(mutex_);
            watch = watches_.emplace(ThreadSerial(), std::make_unique<ChangeWatch>())
                        .first->second.get();
        }
        std::vector<std::string> customers;
        for (const QString& c : watch->poll(sql)) customers.push_back(c.toStdString());
        return customers;
    });
}

}  // namespace backend
