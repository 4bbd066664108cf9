#include "app/bankruptcy_program.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QSessionManager>
#include <QTimer>
#include <QToolButton>

#include "app/desktop.h"
#include "app/scenario/synthetic_input.h"
#include "backend/demo_data.h"
#include "backend/sql_backend.h"
#include "backend/users.h"
#include "document/korva_bankruptcy.h"
#include "platform/common/clock.h"
#include "platform/common/transport.h"
#include "platform/common/user_context.h"
#include "platform/widgets/customer_select.h"
#include "platform/widgets/host_shell.h"
#include "platform/widgets/qt_interaction.h"
#include "records/errors.h"

namespace app {

// The shell's status line, telling an observer (the scenario log) of every text.
class ObservedStatusLine : public messaging::StatusLine {
  public:
    explicit ObservedStatusLine(std::shared_ptr<messaging::StatusLine> inner)
        : inner_(std::move(inner)) {}
    void SetStatus(const std::string& text) override {
        inner_->SetStatus(text);
        if (observer) observer(QString::fromStdString(text));
    }
    void EnableCommand(int command, bool enabled) override {
        inner_->EnableCommand(command, enabled);
    }

    std::function<void(const QString&)> observer;

  private:
    std::shared_ptr<messaging::StatusLine> inner_;
};

BankruptcyProgram::BankruptcyProgram(AppOptions options) : options_(std::move(options)) {}

BankruptcyProgram::~BankruptcyProgram() {
    // The document goes with the window, before the library and the back end it talks to.
    shell_.reset();
    parts_ = {};
    backEnd_.reset();
}

void BankruptcyProgram::openBackEnd() {
    const QString location =
        options_.database.isEmpty() ? backend::DefaultDatabasePath() : options_.database;
    backEnd_ = backend::SqlBackEnd::Open(location);
    backend::Sql& sql = backEnd_->connection();
    notes_ << QStringLiteral("Database: %1").arg(backEnd_->location().describe());
    // A database without any customer is new: it gets the demo data.
    if (sql.scalar(QStringLiteral("SELECT COUNT(*) FROM customers")).toLongLong() == 0) {
        const backend::DemoSummary s = backend::CreateDemoData(sql, backend::DemoOptions{});
        notes_ << QStringLiteral(
                      "New database filled with the demo data: %1 customers, %2 "
                      "receivables, %3 cases.")
                      .arg(s.customers)
                      .arg(s.receivables)
                      .arg(s.cases);
    }
    if (!backend::UserExists(sql, options_.user)) {
        throw records::Error(records::err::InvalidArgument,
                             QStringLiteral("The database has no user '%1' (the demo users are "
                                            "manager and officer).")
                                 .arg(options_.user)
                                 .toStdString());
    }
}

bool BankruptcyProgram::start(QString* error) {
    try {
        openBackEnd();
    } catch (const std::exception& e) {
        if (error) *error = QString::fromStdString(e.what());
        return false;
    }
    shell_ = std::make_unique<platform::HostShell>();
    addHelpMenu(
        *shell_, [this] { return aboutFacts(); },
        findUserGuide(QCoreApplication::applicationDirPath()));
    statusLine_ = std::make_shared<ObservedStatusLine>(shell_->statusLine());
    options_.library.statusLine = statusLine_;
    parts_ =
        platform::buildCommonLibraryParts(backEnd_, options_.user.toStdString(), options_.library);
    for (const QString& fault : parts_.faultErrors)
        notes_ << QStringLiteral("Fault not understood: %1").arg(fault);
    for (const QString& fault : options_.library.faults)
        notes_ << QStringLiteral("Fault injected: %1").arg(fault);
    interaction_ = std::make_shared<platform::QtInteraction>();
    hostNewDocument();
    // However the program ends, the document is closed first: when the session ends (the
    // window closes and the program quits) and when something quits the event loop directly.
    QObject::connect(qApp, &QGuiApplication::commitDataRequest, shell_.get(),
                     [this](QSessionManager&) { shell_->close(); });
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, shell_.get(),
                     [this] { closeDocument(); });
    return true;
}

AboutFacts BankruptcyProgram::aboutFacts() const {
    AboutFacts facts;
    facts.version = QCoreApplication::applicationVersion();
    facts.database = backEnd_->location().describe();
    facts.user = options_.user;
    try {
        const std::string officer = parts_.library.userContext->GetOfficerNumber();
        if (!officer.empty())
            facts.user += QStringLiteral(" (officer %1)").arg(QString::fromStdString(officer));
    } catch (const std::exception&) {
        // The About box goes without the officer number when the back end cannot say it.
    }
    facts.userFolder = QDir::toNativeSeparators(parts_.userFolder->path());
    return facts;
}

void BankruptcyProgram::hostNewDocument() {
    auto* document = new KORVA_Bankruptcy(parts_.library, interaction_);
    document_ = document;
    shell_->HostDocument(document);
}

KORVA_Bankruptcy* BankruptcyProgram::document() const {
    return document_.data();
}

QWidget* BankruptcyProgram::documentWidget() {
    return document_.data();
}

QWidget* BankruptcyProgram::mainWindow() {
    return shell_.get();
}

QString BankruptcyProgram::statusText() {
    return shell_->statusText();
}

void BankruptcyProgram::setStatusObserver(std::function<void(const QString&)> observer) {
    statusLine_->observer = std::move(observer);
}

QString BankruptcyProgram::selectCustomer(const QString& id) {
    auto* control =
        document_
            ? document_->findChild<platform::CustomerSelect*>(QStringLiteral("KORVA_CustSelect1"))
            : nullptr;
    if (!control)
        return QStringLiteral("no customer-selection control KORVA_CustSelect1 on the screen");
    if (!control->isEnabled()) return QStringLiteral("the customer-selection control is disabled");
    if (!control->SelectCustomerById(id.trimmed().toStdString())) {
        return QStringLiteral("the customer-selection control finds no customer %1").arg(id);
    }
    return {};
}

void BankruptcyProgram::clearCustomer() {
    auto* control =
        document_
            ? document_->findChild<platform::CustomerSelect*>(QStringLiteral("KORVA_CustSelect1"))
            : nullptr;
    auto* clear =
        control ? control->findChild<QToolButton*>(QStringLiteral("ClearCustomer")) : nullptr;
    if (!clear) return;
    sendMouseClick(clear, clear->rect().center());
}

QStringList BankruptcyProgram::backendToolCommand() {
    // HALBERON_BACKEND_TOOL names the tool (the tests' build tree); else it lies beside us.
    QString tool = qEnvironmentVariable("HALBERON_BACKEND_TOOL");
    if (tool.isEmpty()) tool = QCoreApplication::applicationDirPath() + "/halberon-backend";
    QStringList command{tool};
    if (!options_.database.isEmpty()) command << QStringLiteral("--database") << options_.database;
    return command;
}

bool BankruptcyProgram::isIdle() {
    return !document_ || document_->IsIdle();
}

void BankruptcyProgram::advanceClock(double seconds) {
    parts_.clock->advance(seconds);
    // Timers that fell due on the moved clock fire from the event loop, as they would have.
    QPointer<KORVA_Bankruptcy> document = document_;
    std::weak_ptr<platform::Transport> transport = parts_.transport;
    QTimer::singleShot(0, shell_.get(), [document, transport] {
        if (auto t = transport.lock()) t->checkDeadlines();
        if (document) document->CheckTimeouts();
    });
}

void BankruptcyProgram::closeDocument() {
    if (shell_->CloseHostedDocument()) document_ = nullptr;
}

void BankruptcyProgram::restartDocument() {
    if (document_ && !shell_->CloseHostedDocument()) return;
    document_ = nullptr;
    hostNewDocument();
}

}  // namespace app
