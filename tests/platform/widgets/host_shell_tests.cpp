// The host shell: commands, wait cursor, File > New, closing the hosted document.

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QSignalSpy>

#include "platform/widgets/host_shell.h"

namespace platform::testing {
namespace {

class LoggingDocument : public HostedDocument {
  public:
    explicit LoggingDocument(std::vector<std::string>& log) : widget_(new QWidget), log_(log) {}
    QWidget* DocumentWidget() override { return widget_; }
    bool DataChanged() override { return log("DataChanged"), true; }
    void BeforeUnload() override {
        log("BeforeUnload");
        if (failBeforeUnload) throw std::runtime_error("persist failed");
    }
    bool CloseDocument() override { return log("CloseDocument"), mayClose; }
    void SaveData() override { log("SaveData"); }
    void FileNew() override { log("FileNew"); }
    void Show() override { log("Show"); }

    bool mayClose = true;
    bool failBeforeUnload = false;
    QPointer<QWidget> widget_;

  private:
    void log(const char* what) { log_.push_back(what); }
    std::vector<std::string>& log_;
};

TEST(HostShell, TitledWithTheApplicationAndOffersTheFourHostCommands) {
    HostShell shell;
    EXPECT_EQ(shell.windowTitle(), "HALBERON");
    for (int number : {7, 8, 9, 14}) {
        ASSERT_NE(shell.commandAction(number), nullptr) << number;
        EXPECT_TRUE(shell.IsCommandEnabled(number));
    }
    EXPECT_EQ(shell.commandAction(3), nullptr);

    // The document switches them through the common library's status line.
    auto status = shell.statusLine();
    for (int number : {7, 9, 8, 14}) status->EnableCommand(number, false);
    status->EnableCommand(3, true);  // not a host command: ignored
    for (int number : {7, 8, 9, 14}) EXPECT_FALSE(shell.IsCommandEnabled(number));
    status->EnableCommand(9, true);
    EXPECT_TRUE(shell.IsCommandEnabled(9));
    EXPECT_FALSE(shell.IsCommandEnabled(8));

    QSignalSpy triggered(&shell, &HostShell::CommandTriggered);
    shell.commandAction(14)->trigger();
    EXPECT_TRUE(triggered.isEmpty()) << "a switched-off command does nothing";
    status->EnableCommand(14, true);
    shell.commandAction(14)->trigger();
    ASSERT_EQ(triggered.size(), 1);
    EXPECT_EQ(triggered[0][0].toInt(), 14);

    shell.SetWaitCursor(true);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    shell.SetWaitCursor(false);
}

// The shell hosts a document, routes File > New and Save to it, and closing the window runs
// BeforeUnload then CloseDocument; a document that refuses to close keeps the window open.
TEST(HostShell, HostsTheDocumentRoutesCommandsAndClosesIt) {
    std::vector<std::string> log;
    LoggingDocument document(log), refusing(log);
    HostShell shell;
    QSignalSpy closed(&shell, &HostShell::DocumentClosed);
    refusing.mayClose = false;
    shell.HostDocument(&refusing);
    shell.show();
    EXPECT_FALSE(shell.close());
    EXPECT_TRUE(shell.isVisible());
    EXPECT_EQ(shell.document(), &refusing);
    refusing.mayClose = true;
    log.clear();
    shell.HostDocument(&document);  // the first one is closed before the next is shown
    EXPECT_EQ(log, (std::vector<std::string>{"BeforeUnload", "CloseDocument", "Show"}));
    EXPECT_EQ(shell.centralWidget(), document.widget_.data());

    log.clear();
    shell.fileNewAction()->trigger();
    shell.commandAction(HostShell::kSaveCommand)->trigger();
    document.failBeforeUnload = true;  // a failing unload still closes
    closed.clear();
    EXPECT_TRUE(shell.close());
    EXPECT_EQ(log,
              (std::vector<std::string>{"FileNew", "SaveData", "BeforeUnload", "CloseDocument"}));
    EXPECT_EQ(closed.size(), 1);
    EXPECT_EQ(shell.document(), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(document.widget_.isNull()) << "the document's widget goes with it";
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
}  // namespace platform::testing
