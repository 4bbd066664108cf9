// The program on the desktop: its icon, the window's place between starts, the user guide and
// the About box of the Help menu.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QMessageBox>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/desktop.h"

namespace app {
namespace {

void writeFile(const QString& path) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("# guide\n");
}

// Triggers the action and returns the text of the message box it opened (closing the box).
QString boxOpenedBy(QAction* action) {
    QString text;
    QTimer::singleShot(0, [&text] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            box->close();
        }
    });
    action->trigger();
    return text;
}

TEST(Desktop, TheProgramIconIsDrawnAtTheSizesDesktopsAskFor) {
    const QIcon icon = programIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 48, 256}) {
        const QImage image = icon.pixmap(size).toImage();
        ASSERT_EQ(image.width(), size);
        EXPECT_GT(qAlpha(image.pixel(size / 2, size / 2)), 0) << "nothing drawn at " << size;
    }
}

TEST(Desktop, TheWindowPlaceIsKeptInTheUsersConfigFolder) {
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    {
        const auto settings = userSettings();
        EXPECT_EQ(settings->fileName(), config.filePath("HALBERON/halberon-bankruptcy.conf"));
        QWidget fresh;
        fresh.setGeometry(10, 20, 300, 200);
        restoreWindowPlace(fresh, *settings);
        EXPECT_EQ(fresh.size(), QSize(300, 200)) << "nothing saved: the window keeps its size";

        QWidget closing;
        closing.setGeometry(40, 50, 520, 310);
        saveWindowPlace(closing, *settings);
    }
    QWidget next;
    next.setGeometry(10, 20, 300, 200);
    restoreWindowPlace(next, *userSettings());
    EXPECT_EQ(next.size(), QSize(520, 310));
    EXPECT_EQ(next.pos(), QPoint(40, 50));
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(Desktop, TheUserGuideIsFoundInstalledOrInTheCheckout) {
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString installed = root.filePath("usr/share/doc/halberon-bankruptcy/docs/user-guide.md");
    writeFile(installed);
    const QString checkout = root.filePath("src/halberon");
    writeFile(checkout + "/README.md");
    writeFile(checkout + "/docs/user-guide.md");

    writeFile(root.filePath("other/docs/user-guide.md"));
    for (const char* folder :
         {"usr/bin", "src/halberon/build/debug/src/app", "opt/bin", "other/build"})
        ASSERT_TRUE(QDir(root.path()).mkpath(folder));

    auto found = [&](const char* programDir) {
        return findUserGuide(root.filePath(programDir)).toStdString();
    };
    EXPECT_EQ(found("usr/bin"), installed.toStdString());
    EXPECT_EQ(found("src/halberon/build/debug/src/app"),
              (checkout + "/docs/user-guide.md").toStdString());
    EXPECT_EQ(found("opt/bin"), "");
    EXPECT_EQ(found("other/build"), "") << "a guide without the README beside it is no checkout";
}

TEST(Desktop, HelpShowsTheGuideWithItsPicturesAndTellsAboutTheProgram) {
    // This test runs from a build inside the checkout: the guide is the checkout's own.
    const QString guide = findUserGuide(QCoreApplication::applicationDirPath());
    ASSERT_TRUE(guide.endsWith("docs/user-guide.md")) << guide.toStdString();

    QMainWindow window;
    int asked = 0;
    addHelpMenu(
        window,
        [&asked] {
            ++asked;
            return AboutFacts{"9.8.7", "SQLite /tmp/x <b>.sqlite", "manager (officer 101)",
                              "/home/u/.local/share/HALBERON/"};
        },
        guide);
    auto* showGuide = window.findChild<QAction*>("HelpUserGuide");
    auto* about = window.findChild<QAction*>("HelpAbout");
    ASSERT_TRUE(showGuide && about);

    showGuide->trigger();
    auto* browser = window.findChild<QTextBrowser*>("UserGuideText");
    ASSERT_NE(browser, nullptr);
    EXPECT_TRUE(browser->toPlainText().startsWith("User guide: the bankruptcy manager"));
    int pictures = 0;
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat()) continue;
            ++pictures;
            const QString name = format.toImageFormat().name();
            EXPECT_FALSE(browser->loadResource(QTextDocument::ImageResource, QUrl(name)).isNull())
                << "picture not found: " << name.toStdString();
        }
    }
    EXPECT_GT(pictures, 0);
    showGuide->trigger();
    EXPECT_EQ(window.findChildren<QTextBrowser*>().size(), 1) << "one guide window, shown again";

    const QString text = boxOpenedBy(about);
    EXPECT_EQ(asked, 1);
    for (const char* fact : {"Version 9.8.7", "SQLite /tmp/x &lt;b&gt;.sqlite",
                             "User: manager (officer 101)", "/home/u/.local/share/HALBERON/"})
        EXPECT_TRUE(text.contains(fact)) << fact << " not in " << text.toStdString();

    QMainWindow built;
    addHelpMenu(
        built, [] { return AboutFacts{}; }, QString());
    EXPECT_TRUE(boxOpenedBy(built.findChild<QAction*>("HelpUserGuide"))
                    .contains("docs/user-guide.md in the program's source folder"));
}

}  // namespace
}  // namespace app
