#pragma once
// Finding a scenario's controls and reading them as the user sees them. A control is found by
// its object name in the active modal window first, then in the document. A name such as
// "SSTab1(2)" that names no widget but whose base is a tab control stands for that tab.

#include <QString>
#include <optional>
#include <stdexcept>

class QTabBar;
class QWidget;

namespace platform {
class DataGrid;
}

namespace app {

// A step that cannot go on; the runner stops the scenario with this text.
class StepFailure : public std::runtime_error {
  public:
    explicit StepFailure(const QString& message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromStdString(what()); }
};

struct ControlRef {
    QString name;
    QWidget* widget = nullptr;  // the control, or the tab control for a tab
    QTabBar* tabBar = nullptr;  // set for a tab
    int tab = -1;
};

// The widget named `name` in root or below it (root itself included); nullptr when none.
QWidget* findNamedWidget(QWidget* root, const QString& name);

// Looks in `modal` (may be nullptr) first, then in `document`. Throws StepFailure when the
// name is found in neither.
ControlRef findControl(const QString& name, QWidget* modal, QWidget* document);

// The tab bar of a tab control (a QTabWidget, a QTabBar, or a widget holding one).
QTabBar* tabBarOf(QWidget* widget);

// The text or caption: labels and buttons their text, entry boxes their contents, group boxes
// their title, other controls their user property (dates as MM/dd/yyyy), a tab its caption.
QString controlText(const ControlRef& control);
bool controlEnabled(const ControlRef& control);
// nullopt when the control has no checked state.
std::optional<bool> controlChecked(const ControlRef& control);

// The grid named by the reference; throws StepFailure when it is no data grid.
platform::DataGrid& gridOf(const ControlRef& control);
// The column index for a column name (or, failing that, a caption); throws StepFailure.
int gridColumnIndex(const platform::DataGrid& grid, const QString& column);

}  // namespace app
