// halberon-backend: creates and fills a back-end database, and sends it requests through the
// same code the screen's transport uses. For support and tests.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>
#include <QUuid>
#include <algorithm>
#include <array>
#include <cstdio>

#include "backend/case_history.h"
#include "backend/case_store.h"
#include "backend/demo_data.h"
#include "backend/json_parts.h"
#include "backend/schema.h"
#include "backend/sql_backend.h"
#include "records/errors.h"

namespace {

constexpr int kUsageError = 2;
constexpr int kFailure = 1;

QTextStream& Out() {
    static QTextStream out(stdout);
    return out;
}

QTextStream& Err() {
    static QTextStream err(stderr);
    return err;
}

struct UsageError {
    QString message;
};

QString Required(const QCommandLineParser& p, const QString& option) {
    QString v = p.value(option).trimmed();
    if (v.isEmpty()) throw UsageError{QStringLiteral("--%1 is required here.").arg(option)};
    return v;
}

// The database of a command that only uses one: a SQLite file that is not there is a mistyped
// path, not a wish for a new empty database (only init creates one).
std::unique_ptr<backend::SqlBackEnd> OpenExisting(const QString& database) {
    const QString text = database.trimmed().isEmpty() ? backend::DefaultDatabasePath() : database;
    const auto location = backend::DatabaseLocation::Parse(text);
    if (location.dialect == backend::Dialect::SQLite && !QFileInfo::exists(location.path)) {
        throw records::Error(backend::kDatabaseError,
                             QStringLiteral("There is no database file %1; "
                                            "halberon-backend init --database %1 creates one.")
                                 .arg(location.path)
                                 .toStdString());
    }
    return backend::SqlBackEnd::Open(text);
}

int DefaultServiceCode(const QString& word) {
    if (word == QLatin1String("CASES") || word == QLatin1String("CASEHIST")) return 16;
    if (word == QLatin1String("OPENARS") || word == QLatin1String("CASEARS")) return 58;
    if (word == QLatin1String("ADDUPDATE") || word == QLatin1String("PROCESS")) return 17;
    return 0;
}

int Init(const QCommandLineParser& p, const QString& database) {
    auto backEnd = backend::SqlBackEnd::Open(database);
    Out() << "Database ready: " << backEnd->location().describe() << ", table version "
          << backend::SchemaVersion(backEnd->connection()) << ".\n";
    if (!p.isSet(QStringLiteral("demo")) && !p.isSet(QStringLiteral("large"))) return 0;
    backend::DemoOptions options;
    options.demo = p.isSet(QStringLiteral("demo"));
    options.large = p.isSet(QStringLiteral("large"));
    if (p.isSet(QStringLiteral("large-count"))) {
        bool ok = false;
        options.largeCount = p.value(QStringLiteral("large-count")).toInt(&ok);
        if (!ok || options.largeCount < 0)
            throw UsageError{QStringLiteral("--large-count: a count.")};
    }
    if (p.isSet(QStringLiteral("today"))) {
        options.today = QDate::fromString(p.value(QStringLiteral("today")), Qt::ISODate);
        if (!options.today.isValid()) throw UsageError{QStringLiteral("--today: YYYY-MM-DD.")};
    }
    const auto s = backend::CreateDemoData(backEnd->connection(), options);
    if (s.demoWasThere) Out() << "Demo data was already there; not added again.\n";
    if (s.largeWasThere) Out() << "The large customer was already there; not added again.\n";
    Out() << "Added " << s.customers << " customers, " << s.receivables << " receivables, "
          << s.cases << " cases, " << s.payments << " payments.\n";
    return 0;
}

int Request(const QCommandLineParser& p, const QString& database) {
    const QString user = Required(p, QStringLiteral("user"));
    QString word = Required(p, QStringLiteral("theme"));
    const QString title = QString::fromLatin1(messaging::kAppTitle);
    if (word.startsWith(title)) word = word.mid(title.size());
    messaging::Request request;
    request.theme = (title + word).toStdString();
    request.senderId = user.toStdString();
    request.version = p.value(QStringLiteral("request-version")).toStdString();
    request.serviceCode = DefaultServiceCode(word);
    if (p.isSet(QStringLiteral("service-code"))) {
        bool ok = false;
        request.serviceCode = p.value(QStringLiteral("service-code")).toInt(&ok);
        if (!ok) throw UsageError{QStringLiteral("--service-code: a whole number.")};
    }
    request.messageKey = p.isSet(QStringLiteral("message-key"))
                             ? p.value(QStringLiteral("message-key")).toStdString()
                             : QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
    for (const QString& c : p.values(QStringLiteral("criterion"))) {
        const qsizetype eq = c.indexOf(QLatin1Char('='));
        if (eq <= 0) throw UsageError{QStringLiteral("--criterion '%1': KEY=VALUE.").arg(c)};
        QString key = c.left(eq).trimmed();
        if (!key.startsWith(QLatin1String("key:"), Qt::CaseInsensitive)) key.prepend("key:");
        request.criteria.push_back(
            {messaging::kAppName, key.toStdString(), "=", c.mid(eq + 1).toStdString()});
    }
    for (const QString& part : p.values(QStringLiteral("part"))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq <= 0) throw UsageError{QStringLiteral("--part: NAME=<JSON array of records>.")};
        const QString name = part.left(eq).trimmed().toUpper();
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(part.mid(eq + 1).toUtf8(), &error);
        if (error.error != QJsonParseError::NoError || (!doc.isArray() && !doc.isObject())) {
            throw UsageError{QStringLiteral("--part %1: not a JSON array of records (%2).")
                                 .arg(name, error.errorString())};
        }
        const QJsonArray rows = doc.isArray() ? doc.array() : QJsonArray{doc.object()};
        try {
            request.parts.push_back(
                {name.toStdString(), backend::RowsFromJson(backend::LayoutOfPart(name), rows)});
        } catch (const records::Error& e) {
            throw UsageError{
                QStringLiteral("--part %1: %2").arg(name, QString::fromStdString(e.Description()))};
        }
    }
    auto backEnd = OpenExisting(database);
    const messaging::Answer answer = backEnd->Handle(request);
    const auto format =
        p.isSet(QStringLiteral("pretty")) ? QJsonDocument::Indented : QJsonDocument::Compact;
    Out() << QString::fromUtf8(QJsonDocument(backend::AnswerToJson(answer)).toJson(format));
    if (format == QJsonDocument::Compact) Out() << "\n";
    return 0;
}

int Number(const QCommandLineParser& p, const QString& database) {
    const QString user = Required(p, QStringLiteral("user"));
    const QString kind = Required(p, QStringLiteral("kind"));
    auto backEnd = OpenExisting(database);
    Out() << QString::fromStdString(backEnd->NextNumber(user.toStdString(), kind.toStdString()))
          << "\n";
    return 0;
}

int ReturnNumber(const QCommandLineParser& p, const QString& database) {
    const QString kind = Required(p, QStringLiteral("kind"));
    const QString number = Required(p, QStringLiteral("number"));
    auto backEnd = OpenExisting(database);
    backEnd->ReturnNumber(p.value(QStringLiteral("user")).toStdString(), kind.toStdString(),
                          number.toStdString());
    Out() << "Number " << number << " of kind " << kind << " handed back.\n";
    return 0;
}

// The case's history as the screen's "Case History" lists it: newest first, one change a line.
int History(const QCommandLineParser& p, const QString& database) {
    const QString custId = Required(p, QStringLiteral("customer"));
    const QString caseId = Required(p, QStringLiteral("case"));
    auto backEnd = OpenExisting(database);
    backend::Sql& sql = backEnd->connection();
    if (!backend::CustomerExists(sql, custId)) {
        Err() << "halberon-backend: Customer " << custId << " is not on file.\n";
        return kFailure;
    }
    const auto history = backend::CaseHistory(sql, custId, caseId);
    if (history.empty()) {
        Out() << "No history for bankruptcy case " << caseId << " of customer " << custId << ".\n";
        return 0;
    }
    std::vector<QStringList> lines = {{QStringLiteral("When"), QStringLiteral("Who"),
                                       QStringLiteral("Action"), QStringLiteral("Changes")}};
    for (const backend::HistoryEntry& e : history) {
        const QString who =
            e.officer ? QStringLiteral("%1 (officer %2)").arg(e.user).arg(*e.officer) : e.user;
        lines.push_back(
            {e.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), who, e.action, e.changes});
    }
    std::array<qsizetype, 3> width{};
    for (const QStringList& l : lines) {
        for (std::size_t c = 0; c < width.size(); ++c)
            width[c] = std::max(width[c], l[static_cast<qsizetype>(c)].size());
    }
    for (const QStringList& l : lines) {
        for (std::size_t c = 0; c < width.size(); ++c)
            Out() << l[static_cast<qsizetype>(c)].leftJustified(width[c]) << "  ";
        Out() << l[3] << "\n";
    }
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("halberon-backend"));
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral(
        "Creates and fills a HALBERON back-end database and sends it requests.\n"
        "Commands:\n"
        "  init           --database D [--demo] [--large]\n"
        "  request        --database D --user U --theme WORD [--criterion KEY=VALUE]...\n"
        "                 [--part NAME=<JSON array of records>]...\n"
        "  number         --database D --user U --kind R|F\n"
        "  return-number  --database D --kind R|F --number N [--user U]\n"
        "  history        --database D --customer ID --case ID\n"
        "D is a SQLite file or postgresql://user@host:port/database[?schema=name];\n"
        "without --database the default file is used."));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("command"),
                            QStringLiteral("init, request, number, return-number or history"));
    p.addOptions({
        {QStringLiteral("database"), QStringLiteral("SQLite file or PostgreSQL URL."),
         QStringLiteral("path-or-url")},
        {QStringLiteral("demo"), QStringLiteral("init: add the demo data.")},
        {QStringLiteral("large"), QStringLiteral("init: add the customer with many receivables.")},
        {QStringLiteral("large-count"),
         QStringLiteral("init: receivables of the large customer (100000)."), QStringLiteral("n")},
        {QStringLiteral("today"), QStringLiteral("init: the creation day of the demo data."),
         QStringLiteral("YYYY-MM-DD")},
        {QStringLiteral("user"), QStringLiteral("The sender (a user name)."),
         QStringLiteral("user")},
        {QStringLiteral("theme"),
         QStringLiteral("CASES, OPENARS, CASEARS, CASEHIST, ADDUPDATE or PROCESS."),
         QStringLiteral("word")},
        {QStringLiteral("criterion"), QStringLiteral("A criterion, e.g. CUST_ID=1002."),
         QStringLiteral("key=value")},
        {QStringLiteral("part"), QStringLiteral("A data part, e.g. BANKRUPTCY=[{...}]."),
         QStringLiteral("name=json")},
        {QStringLiteral("service-code"), QStringLiteral("Overrides the theme's service code."),
         QStringLiteral("n")},
        {QStringLiteral("request-version"), QStringLiteral("Version of the sender (1.0)."),
         QStringLiteral("version"), QStringLiteral("1.0")},
        {QStringLiteral("message-key"), QStringLiteral("Message key (a new UUID by default)."),
         QStringLiteral("key")},
        {QStringLiteral("pretty"), QStringLiteral("request: indent the JSON answer.")},
        {QStringLiteral("kind"), QStringLiteral("Number kind: R (receipt) or F."),
         QStringLiteral("kind")},
        {QStringLiteral("number"), QStringLiteral("The number to hand back."), QStringLiteral("n")},
        {QStringLiteral("customer"), QStringLiteral("history: the customer."),
         QStringLiteral("id")},
        {QStringLiteral("case"), QStringLiteral("history: the case number."), QStringLiteral("id")},
    });
    p.process(app);
    const QStringList args = p.positionalArguments();
    const int rc = [&] {
        try {
            if (args.size() != 1) throw UsageError{QStringLiteral("Give one command.")};
            const QString database = p.value(QStringLiteral("database"));
            const QString& command = args.front();
            if (command == QLatin1String("init")) return Init(p, database);
            if (command == QLatin1String("request")) return Request(p, database);
            if (command == QLatin1String("number")) return Number(p, database);
            if (command == QLatin1String("return-number")) return ReturnNumber(p, database);
            if (command == QLatin1String("history")) return History(p, database);
            throw UsageError{QStringLiteral("Unknown command '%1'.").arg(command)};
        } catch (const UsageError& e) {
            Err() << "halberon-backend: " << e.message << "\nSee halberon-backend --help.\n";
            return kUsageError;
        } catch (const records::Error& e) {
            Err() << "halberon-backend: " << QString::fromStdString(e.Description()) << "\n";
            return kFailure;
        } catch (const std::exception& e) {
            Err() << "halberon-backend: " << e.what() << "\n";
            return kFailure;
        }
    }();
    Out().flush();
    Err().flush();
    return rc;
}
