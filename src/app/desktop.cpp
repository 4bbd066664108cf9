#include "app/desktop.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QSettings>
#include <QSvgRenderer>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <memory>

namespace app {
namespace {

const QString kPlaceKey = QStringLiteral("window/geometry");
// Where packaging/packaging.cmake installs the documentation, seen from the program's folder.
const QString kInstalledGuide =
    QStringLiteral("../share/doc/halberon-bankruptcy/docs/user-guide.md");
const QString kCheckoutGuide = QStringLiteral("docs/user-guide.md");
// A build folder sits a few levels below the checkout (build/debug/src/app).
constexpr int kCheckoutLevels = 6;

void showGuide(QMainWindow& window, QPointer<QDialog>& open, const QString& guideFile) {
    if (guideFile.isEmpty()) {
        QMessageBox::information(
            &window, QObject::tr("User Guide"),
            QObject::tr("The user guide is not installed on this computer.\n\nIt is "
                        "docs/user-guide.md in the program's source folder, beside README.md."));
        return;
    }
    if (!open) {
        auto* dialog = new QDialog(&window, Qt::Window);
        dialog->setObjectName(QStringLiteral("UserGuide"));
        dialog->setWindowTitle(QObject::tr("HALBERON User Guide"));
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        auto* browser = new QTextBrowser(dialog);
        browser->setObjectName(QStringLiteral("UserGuideText"));
        browser->setOpenExternalLinks(true);
        browser->setSource(QUrl::fromLocalFile(guideFile), QTextDocument::MarkdownResource);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
        QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::close);
        auto* layout = new QVBoxLayout(dialog);
        layout->addWidget(browser);
        layout->addWidget(buttons);
        // Wide enough for the guide's pictures of the main window.
        dialog->resize(980, 720);
        open = dialog;
    }
    open->show();
    open->raise();
    open->activateWindow();
}

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

}  // namespace

QIcon programIcon() {
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(kDesktopId)));
    QIcon icon;
    if (!renderer.isValid()) return icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

std::unique_ptr<QSettings> userSettings() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("HALBERON"),
                                       QStringLiteral("halberon-bankruptcy"));
}

void restoreWindowPlace(QWidget& window, const QSettings& settings) {
    const QByteArray place = settings.value(kPlaceKey).toByteArray();
    if (!place.isEmpty()) window.restoreGeometry(place);
}

void saveWindowPlace(const QWidget& window, QSettings& settings) {
    settings.setValue(kPlaceKey, window.saveGeometry());
    settings.sync();
}

QString findUserGuide(const QString& programDir) {
    const QDir program(programDir);
    QString installed = QDir::cleanPath(program.filePath(kInstalledGuide));
    if (QFileInfo(installed).isFile()) return installed;
    QDir folder = program;
    for (int level = 0; level <= kCheckoutLevels; ++level) {
        if (QFileInfo(folder.filePath(QStringLiteral("README.md"))).isFile() &&
            QFileInfo(folder.filePath(kCheckoutGuide)).isFile()) {
            return QDir::cleanPath(folder.filePath(kCheckoutGuide));
        }
        if (!folder.cdUp()) break;
    }
    return {};
}

QString aboutText(const AboutFacts& facts) {
    return QObject::tr(
               "<h3>HALBERON Bankruptcy Manager</h3>"
               "<p>Version %1 (Qt %2)</p>"
               "<p>Database: %3<br>User: %4</p>"
               "<p>Error log and saved screen state: %5</p>")
        .arg(escaped(facts.version), QLatin1String(qVersion()), escaped(facts.database),
             escaped(facts.user), escaped(facts.userFolder));
}

void addHelpMenu(QMainWindow& window, std::function<AboutFacts()> facts, const QString& guideFile) {
    QMenu* help = window.menuBar()->addMenu(QObject::tr("&Help"));
    help->setObjectName(QStringLiteral("HelpMenu"));

    QAction* guide = help->addAction(QObject::tr("&User Guide"));
    guide->setObjectName(QStringLiteral("HelpUserGuide"));
    guide->setShortcut(QKeySequence::HelpContents);
    auto open = std::make_shared<QPointer<QDialog>>();
    QObject::connect(guide, &QAction::triggered, &window,
                     [&window, open, guideFile] { showGuide(window, *open, guideFile); });

    QAction* about = help->addAction(QObject::tr("&About HALBERON"));
    about->setObjectName(QStringLiteral("HelpAbout"));
    QObject::connect(about, &QAction::triggered, &window, [&window, facts = std::move(facts)] {
        QMessageBox::about(&window, QObject::tr("About HALBERON"), aboutText(facts()));
    });
}

}  // namespace app
