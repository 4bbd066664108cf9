#pragma once
// The host shell: the application's main window. It hosts one document, offers the host
// commands 7, 8, 9 and 14 on its command bar (the document switches them off while shown),
// File > New, a status line and the hourglass pointer, and closes the document (BeforeUnload,
// then CloseDocument) when the window closes.

#include <array>
#include <map>
#include <memory>
#include <string>

#include <QMainWindow>
#include <QPointer>

#include "messaging/common_library.h"

class QAction;
class QLabel;

namespace platform {

// What the shell calls of the document it hosts.
class HostedDocument {
  public:
    virtual ~HostedDocument() = default;
    // The document's widget; the shell shows it and deletes it after CloseDocument.
    virtual QWidget* DocumentWidget() = 0;
    virtual bool DataChanged() = 0;
    virtual void BeforeUnload() = 0;
    virtual bool CloseDocument() = 0;
    virtual void SaveData() = 0;
    virtual void FileNew() = 0;
    virtual void Show() = 0;
};

class HostShell;

// The common library's status line on the shell's window.
class ShellStatusLine : public messaging::StatusLine {
  public:
    explicit ShellStatusLine(HostShell* shell) : shell_(shell) {}
    void SetStatus(const std::string& text) override;
    void EnableCommand(int command, bool enabled) override;

  private:
    QPointer<HostShell> shell_;
};

class HostShell : public QMainWindow {
    Q_OBJECT

  public:
    static constexpr std::array<int, 4> kCommands = {7, 8, 9, 14};
    static constexpr int kSaveCommand = 7;

    explicit HostShell(QWidget* parent = nullptr);
    ~HostShell() override;

    std::shared_ptr<ShellStatusLine> statusLine() const { return statusLine_; }

    void EnableCommand(int number, bool enabled);  // numbers the shell does not have are ignored
    bool IsCommandEnabled(int number) const;
    QAction* commandAction(int number) const;  // nullptr for a number the shell does not have
    QAction* fileNewAction() const { return fileNew_; }

    void SetStatus(const QString& text);
    QString statusText() const;
    void SetWaitCursor(bool on);
    bool IsWaitCursor() const { return waitCursor_; }

    // Hosts the document (closing any other first) and shows it.
    void HostDocument(HostedDocument* document);
    HostedDocument* document() const { return document_; }
    // BeforeUnload, then CloseDocument; the document's widget goes. False when the document
    // refused to close.
    bool CloseHostedDocument();

  signals:
    void CommandTriggered(int number);
    void DocumentClosed();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildMenusAndCommands();

    std::shared_ptr<ShellStatusLine> statusLine_;
    std::map<int, QAction*> commands_;
    QAction* fileNew_ = nullptr;
    QLabel* status_ = nullptr;
    HostedDocument* document_ = nullptr;
    bool waitCursor_ = false;
};

}  // namespace platform
