#pragma once
// The program as a desktop application: its icon, the window's place between starts, and the
// Help menu (the user guide and "About HALBERON").

#include <QString>
#include <functional>
#include <memory>

class QIcon;
class QMainWindow;
class QSettings;
class QWidget;

namespace app {

// The name of the desktop entry, the icon and the AppStream component.
inline constexpr const char* kDesktopId = "org.halberon.bankruptcy";

// The program's icon, drawn from its SVG at the sizes window managers ask for.
QIcon programIcon();

// The user's settings of this program: a file in the user's config folder
// ($XDG_CONFIG_HOME/HALBERON/halberon-bankruptcy.conf), apart from the data folder that holds the
// log and the saved screen state.
std::unique_ptr<QSettings> userSettings();
// Puts the window where it was last closed; a window with no saved place keeps its own.
void restoreWindowPlace(QWidget& window, const QSettings& settings);
void saveWindowPlace(const QWidget& window, QSettings& settings);

// The user guide for a program started from programDir: the installed one
// (<prefix>/share/doc/halberon-bankruptcy/docs/user-guide.md), or, for a program built inside a
// checkout, the checkout's docs/user-guide.md beside its README. Empty when neither is there.
QString findUserGuide(const QString& programDir);

struct AboutFacts {
    QString version;
    QString database;    // where the back end's data is
    QString user;        // who works, with the officer number when there is one
    QString userFolder;  // the error log and the saved screen state
};
QString aboutText(const AboutFacts& facts);

// Help > User Guide (shows guideFile in a window of its own, pictures included, or says where
// the guide is when guideFile is empty) and Help > About HALBERON, which asks for its facts when
// it opens.
void addHelpMenu(QMainWindow& window, std::function<AboutFacts()> facts, const QString& guideFile);

}  // namespace app
