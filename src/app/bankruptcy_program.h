#pragma once
// The program: the back end on its database, the common library over it, the host shell and the
// document it hosts. It is also the scenario runner's host.

#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

#include "app/app_options.h"
#include "app/desktop.h"
#include "app/scenario/scenario_host.h"
#include "platform/common/common_library_factory.h"

class KORVA_Bankruptcy;

namespace backend {
class SqlBackEnd;
}

namespace platform {
class HostShell;
class QtInteraction;
}  // namespace platform

namespace app {

class ObservedStatusLine;

class BankruptcyProgram : public ScenarioHost {
  public:
    explicit BankruptcyProgram(AppOptions options);
    ~BankruptcyProgram() override;

    // Opens the database (creating it and its demo data when it is new), checks the user, builds
    // the common library and the window, and hosts a new document. False with a message when the
    // program cannot start.
    bool start(QString* error);
    // Notes for the user about how it started (the database, demo data added, faults).
    QStringList startNotes() const { return notes_; }

    platform::HostShell& shell() { return *shell_; }
    KORVA_Bankruptcy* document() const;

    // ScenarioHost
    QWidget* documentWidget() override;
    QWidget* mainWindow() override;
    QString statusText() override;
    void setStatusObserver(std::function<void(const QString&)> observer) override;
    QString selectCustomer(const QString& id) override;
    void clearCustomer() override;
    bool isIdle() override;
    void advanceClock(double seconds) override;
    void closeDocument() override;
    void restartDocument() override;
    QStringList backendToolCommand() override;

  private:
    void openBackEnd();
    AboutFacts aboutFacts() const;
    void hostNewDocument();

    AppOptions options_;
    QStringList notes_;
    std::shared_ptr<backend::SqlBackEnd> backEnd_;
    std::unique_ptr<platform::HostShell> shell_;
    std::shared_ptr<ObservedStatusLine> statusLine_;
    std::shared_ptr<platform::QtInteraction> interaction_;
    platform::CommonLibraryParts parts_;
    QPointer<KORVA_Bankruptcy> document_;
};

}  // namespace app
