#pragma once
// What the scenario runner needs of the program that hosts the screen. The program implements it
// over the host shell and the document; the runner's own tests implement it over plain widgets.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace app {

class ScenarioHost {
  public:
    virtual ~ScenarioHost() = default;

    // The document's widget: controls not found in the active modal window are looked up here.
    virtual QWidget* documentWidget() = 0;
    // The host's main window: screenshots when no modal window is open.
    virtual QWidget* mainWindow() = 0;

    // The status line's text as it is now.
    virtual QString statusText() = 0;
    // Called with every text the status line is given.
    virtual void setStatusObserver(std::function<void(const QString&)> observer) = 0;

    // Chooses a customer in the customer-selection control as the user would; an error text
    // when the control does not find it.
    virtual QString selectCustomer(const QString& id) = 0;
    virtual void clearCustomer() = 0;

    // True while no request of the screen waits for its answer.
    virtual bool isIdle() = 0;
    // Moves the screen's clock forward; timers whose time has come fire (queued).
    virtual void advanceClock(double seconds) = 0;

    // The host closes the document (BeforeUnload, CloseDocument) / creates and shows a new one.
    virtual void closeDocument() = 0;
    virtual void restartDocument() = 0;

    // The back-end tool on the screen's database, as "another user" runs it: the program and the
    // options that go after the step's command word. Empty when the host has none.
    virtual QStringList backendToolCommand() { return {}; }
};

}  // namespace app
