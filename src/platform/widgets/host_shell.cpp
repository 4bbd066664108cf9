#include "platform/widgets/host_shell.h"

#include <exception>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QtDebug>

namespace platform {
namespace {

struct CommandText {
    int number;
    const char* text;
    const char* tip;
};
// What the host's commands are is the host's choice; these are a back office's usual ones.
constexpr CommandText kCommandTexts[] = {
    {7, "&Save", "Save the document's data"},
    {8, "&Print", "Print the document"},
    {9, "&Delete", "Delete the selected item"},
    {14, "&Find", "Find an item"},
};

// The host keeps going whatever a document's handler lets escape.
template <class F>
void guarded(const char* what, F&& body) {
    try {
        body();
    } catch (const std::exception& e) {
        qWarning("Host shell: %s failed: %s", what, e.what());
    }
}

}  // namespace

void ShellStatusLine::SetStatus(const std::string& text) {
    if (shell_) shell_->SetStatus(QString::fromStdString(text));
}

void ShellStatusLine::EnableCommand(int command, bool enabled) {
    if (shell_) shell_->EnableCommand(command, enabled);
}

HostShell::HostShell(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("HostShell"));
    setWindowTitle(QString::fromLatin1(messaging::kAppName));
    statusLine_ = std::make_shared<ShellStatusLine>(this);
    buildMenusAndCommands();
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("StatusLine"));
    statusBar()->addWidget(status_, 1);
    resize(900, 640);
}

HostShell::~HostShell() {
    if (waitCursor_) QApplication::restoreOverrideCursor();
}

void HostShell::buildMenusAndCommands() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    fileNew_ = file->addAction(tr("&New"));
    fileNew_->setObjectName(QStringLiteral("FileNew"));
    fileNew_->setShortcut(QKeySequence::New);
    connect(fileNew_, &QAction::triggered, this, [this] {
        if (document_) guarded("FileNew", [this] { document_->FileNew(); });
    });
    file->addSeparator();
    QAction* exit = file->addAction(tr("E&xit"));
    exit->setObjectName(QStringLiteral("FileExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    QToolBar* bar = addToolBar(tr("Commands"));
    bar->setObjectName(QStringLiteral("CommandBar"));
    bar->setMovable(false);
    for (const CommandText& c : kCommandTexts) {
        QAction* action = bar->addAction(tr(c.text));
        action->setObjectName(QStringLiteral("HostCommand(%1)").arg(c.number));
        action->setToolTip(tr(c.tip));
        action->setData(c.number);
        connect(action, &QAction::triggered, this, [this, number = c.number] {
            if (number == kSaveCommand && document_)
                guarded("SaveData", [this] { document_->SaveData(); });
            emit CommandTriggered(number);
        });
        commands_[c.number] = action;
    }
}

void HostShell::EnableCommand(int number, bool enabled) {
    if (QAction* action = commandAction(number)) action->setEnabled(enabled);
}

bool HostShell::IsCommandEnabled(int number) const {
    const QAction* action = commandAction(number);
    return action && action->isEnabled();
}

QAction* HostShell::commandAction(int number) const {
    const auto it = commands_.find(number);
    return it == commands_.end() ? nullptr : it->second;
}

void HostShell::SetStatus(const QString& text) {
    status_->setText(text);
}

QString HostShell::statusText() const {
    return status_->text();
}

void HostShell::SetWaitCursor(bool on) {
    if (on == waitCursor_) return;
    waitCursor_ = on;
    if (on) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void HostShell::HostDocument(HostedDocument* document) {
    if (document_ && document_ != document && !CloseHostedDocument()) return;
    document_ = document;
    if (!document_) return;
    setCentralWidget(document_->DocumentWidget());
    guarded("Show", [this] { document_->Show(); });
}

bool HostShell::CloseHostedDocument() {
    if (!document_) return true;
    HostedDocument* document = document_;
    bool closed = true;
    SetWaitCursor(true);
    guarded("BeforeUnload", [&] { document->BeforeUnload(); });
    guarded("CloseDocument", [&] { closed = document->CloseDocument(); });
    SetWaitCursor(false);
    if (!closed) return false;
    document_ = nullptr;
    if (QWidget* widget = takeCentralWidget()) {
        widget->hide();
        widget->deleteLater();
    }
    emit DocumentClosed();
    return true;
}

void HostShell::closeEvent(QCloseEvent* event) {
    if (CloseHostedDocument()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace platform
