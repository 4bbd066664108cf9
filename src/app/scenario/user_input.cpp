#include "app/scenario/user_input.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTextEdit>
#include <QTreeWidget>

#include "app/scenario/synthetic_input.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/officer_select.h"

namespace app {
namespace {

void requireUsable(const ControlRef& c, QWidget* w) {
    if (!w->isEnabled()) throw StepFailure(QStringLiteral("%1 is disabled").arg(c.name));
    if (!w->isVisible()) {
        throw StepFailure(
            QStringLiteral("%1 is not shown (on another tab or window?)").arg(c.name));
    }
}

QWidget* plainControl(const ControlRef& c) {
    if (c.tabBar) throw StepFailure(QStringLiteral("%1 is a tab; use the tab step").arg(c.name));
    return c.widget;
}

// The widget that takes the keys of a control: the control itself when it is an entry box,
// else its focus proxy or the entry box inside it.
QWidget* inputTarget(QWidget* w) {
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->isEditable() ? combo->lineEdit() : w;
    if (qobject_cast<QLineEdit*>(w) || qobject_cast<QAbstractSpinBox*>(w) ||
        qobject_cast<QTextEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) {
        return w;
    }
    if (QWidget* proxy = w->focusProxy(); proxy && proxy != w) return inputTarget(proxy);
    if (auto* box = w->findChild<QLineEdit*>()) return box;
    if (auto* box = w->findChild<QAbstractSpinBox*>()) return box;
    return w;
}

void selectAllText(QWidget* w) {
    if (auto* line = qobject_cast<QLineEdit*>(w)) {
        line->selectAll();
    } else if (auto* spin = qobject_cast<QAbstractSpinBox*>(w)) {
        spin->selectAll();
    } else if (auto* rich = qobject_cast<QTextEdit*>(w)) {
        rich->selectAll();
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
        plain->selectAll();
    }
}

// Where a click hits a button: the indicator of option buttons and check boxes, else the middle.
QPoint clickPoint(QWidget* w) {
    QStyle::SubElement element{};
    if (qobject_cast<QRadioButton*>(w))
        element = QStyle::SE_RadioButtonIndicator;
    else if (qobject_cast<QCheckBox*>(w))
        element = QStyle::SE_CheckBoxIndicator;
    else
        return w->rect().center();
    QStyleOptionButton option;
    option.initFrom(w);
    const QRect indicator = w->style()->subElementRect(element, &option, w);
    return indicator.isValid() ? indicator.center() : w->rect().center();
}

platform::DataGrid& usableGrid(const ControlRef& c) {
    platform::DataGrid& grid = gridOf(c);
    requireUsable(c, &grid);
    return grid;
}

void checkRow(const ControlRef& c, const platform::DataGrid& grid, int row) {
    if (row < 0 || row >= grid.Rows()) {
        throw StepFailure(QStringLiteral("%1 has %2 rows; there is no row %3")
                              .arg(c.name)
                              .arg(grid.Rows())
                              .arg(row));
    }
}

// The row's first shown cell, in the cell area's coordinates.
QPoint firstCellPoint(const ControlRef& c, platform::DataGrid& grid, int row) {
    checkRow(c, grid, row);
    grid.ScrollToRow(row);
    const auto& columns = grid.Columns();
    for (int i = 0; i < columns.Count(); ++i) {
        const auto& column = columns.Item(i);
        if (!column.Visible()) continue;
        const QRect rect = grid.CellRect(row, column.Name());
        if (rect.isEmpty()) continue;
        return grid.cellArea()->mapFrom(&grid, rect.center());
    }
    throw StepFailure(QStringLiteral("row %1 of %2 shows no cell").arg(row).arg(c.name));
}

}  // namespace

void focusControl(QWidget* widget) {
    QWidget* window = widget->window();
    if (QApplication::activeWindow() != window) {
        window->activateWindow();
        QApplication::setActiveWindow(window);
    }
    if (widget->focusPolicy() == Qt::NoFocus && !widget->focusProxy()) return;
    widget->setFocus(Qt::MouseFocusReason);
}

void clickControl(const ControlRef& c) {
    if (c.tabBar) {
        clickTab(c.widget, c.tab);
        return;
    }
    QWidget* w = c.widget;
    requireUsable(c, w);
    if (QApplication::activeWindow() != w->window()) focusControl(w->window());
    sendMouseClick(w, clickPoint(w));
}

void clickTab(QWidget* tabControl, int index) {
    QTabBar* bar = tabBarOf(tabControl);
    if (!bar)
        throw StepFailure(QStringLiteral("%1 is no tab control").arg(tabControl->objectName()));
    if (index < 0 || index >= bar->count()) {
        throw StepFailure(
            QStringLiteral("%1 has no tab %2").arg(tabControl->objectName()).arg(index));
    }
    if (!bar->isVisible())
        throw StepFailure(QStringLiteral("%1 is not shown").arg(tabControl->objectName()));
    if (!bar->isEnabled() || !bar->isTabEnabled(index)) {
        throw StepFailure(
            QStringLiteral("tab %1 (%2) is disabled").arg(index).arg(bar->tabText(index)));
    }
    if (QApplication::activeWindow() != bar->window()) focusControl(bar->window());
    sendMouseClick(bar, bar->tabRect(index).center());
}

void typeText(const ControlRef& c, const QString& text) {
    QWidget* w = plainControl(c);
    requireUsable(c, w);
    QWidget* target = inputTarget(w);
    focusControl(target);
    selectAllText(target);
    if (text.isEmpty()) {
        sendKeyClick(target, Qt::Key_Delete);
        return;
    }
    for (const char32_t ch : text.toUcs4()) sendCharacter(target, ch);
}

void pasteText(const ControlRef& c, const QString& text) {
    QWidget* w = plainControl(c);
    requireUsable(c, w);
    QWidget* target = inputTarget(w);
    focusControl(target);
    selectAllText(target);
    QGuiApplication::clipboard()->setText(text);
    sendKeyClick(target, Qt::Key_Insert, Qt::ShiftModifier);
}

void pressKey(const ControlRef& c, QKeyCombination key) {
    QWidget* w = plainControl(c);
    requireUsable(c, w);
    auto* grid = qobject_cast<platform::DataGrid*>(w);
    QWidget* target = grid ? static_cast<QWidget*>(grid->view()) : inputTarget(w);
    focusControl(target);
    if (QWidget* focused = QApplication::focusWidget();
        focused && (focused == target || target->isAncestorOf(focused))) {
        target = focused;
    }
    sendKeyClick(target, key.key(), key.keyboardModifiers());
}

void leaveControl(const ControlRef& c) {
    QWidget* w = plainControl(c);
    QWidget* target = inputTarget(w);
    QWidget* focused = QApplication::focusWidget();
    if (!focused || (focused != w && !w->isAncestorOf(focused))) focusControl(target);
    for (QWidget* next = target->nextInFocusChain(); next && next != target;
         next = next->nextInFocusChain()) {
        if (next == w || w->isAncestorOf(next)) continue;
        if (next->window() != w->window() || !next->isEnabled() || !next->isVisible()) continue;
        if (!(next->focusPolicy() & Qt::TabFocus)) continue;
        next->setFocus(Qt::TabFocusReason);
        return;
    }
    if (QWidget* now = QApplication::focusWidget()) now->clearFocus();
}

void pickDate(const ControlRef& c, const QDate& date) {
    QWidget* w = plainControl(c);
    requireUsable(c, w);
    const QMetaObject* meta = w->metaObject();
    const QMetaProperty user = meta->userProperty();
    if (!user.isValid() || !user.isWritable()) {
        throw StepFailure(QStringLiteral("%1 has no value to pick").arg(c.name));
    }
    focusControl(inputTarget(w));
    QVariant value = date.isValid() ? QVariant(date) : QVariant();
    if (user.metaType().id() == QMetaType::QDate && !date.isValid()) {
        throw StepFailure(QStringLiteral("%1 cannot be left without a date").arg(c.name));
    }
    if (!user.write(w, value))
        throw StepFailure(QStringLiteral("%1 does not take that date").arg(c.name));
    // A picker tells its binding that the user changed it through the signal it names.
    const int info = meta->indexOfClassInfo("UserEditSignal");
    if (info >= 0) {
        const QByteArray signature =
            QMetaObject::normalizedSignature(meta->classInfo(info).value());
        const int signal = meta->indexOfSignal(signature.constData());
        if (signal >= 0) meta->method(signal).invoke(w, Qt::DirectConnection);
    }
}

// Officer search
void selectOfficer(const ControlRef& c, const QString& id) {
    auto* select = qobject_cast<platform::OfficerSelect*>(plainControl(c));
    if (!select) throw StepFailure(QStringLiteral("%1 is no officer-select control").arg(c.name));
    requireUsable(c, select);
    typeText(ControlRef{c.name, select->filterBox(), nullptr, -1}, id);
    QTreeWidget* list = select->officerList();
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < list->topLevelItemCount() && !found; ++i) {
        QTreeWidgetItem* item = list->topLevelItem(i);
        if (!item->isHidden() && item->text(0) == id.trimmed()) found = item;
    }
    if (!found) throw StepFailure(QStringLiteral("%1 lists no officer %2").arg(c.name, id));
    list->scrollToItem(found);
    const QRect rect = list->visualItemRect(found);
    if (rect.isEmpty())
        throw StepFailure(QStringLiteral("officer %1 is not on screen in %2").arg(id, c.name));
    sendMouseClick(list->viewport(), rect.center());
    if (select->SelectedOfficerId() != id.trimmed().toStdString()) {
        throw StepFailure(QStringLiteral("%1 did not take officer %2").arg(c.name, id));
    }
}

void gridSelect(const ControlRef& c, const std::vector<int>& rows) {
    platform::DataGrid& grid = usableGrid(c);
    bool first = true;
    for (int row : rows) {
        checkRow(c, grid, row);
        grid.ScrollToRow(row);
        const QRect rect = grid.SelectorRect(row);
        if (rect.isEmpty())
            throw StepFailure(QStringLiteral("row %1 of %2 is not on screen").arg(row).arg(c.name));
        if (first && QApplication::activeWindow() != grid.window()) focusControl(grid.window());
        sendMouseClick(grid.selectorArea(), grid.selectorArea()->mapFrom(&grid, rect.center()),
                       first ? Qt::NoModifier : Qt::ControlModifier);
        first = false;
    }
}

void gridClick(const ControlRef& c, int row) {
    platform::DataGrid& grid = usableGrid(c);
    const QPoint at = firstCellPoint(c, grid, row);
    if (QApplication::activeWindow() != grid.window()) focusControl(grid.window());
    sendMouseClick(grid.cellArea(), at);
}

void gridDoubleClick(const ControlRef& c, int row) {
    platform::DataGrid& grid = usableGrid(c);
    const QPoint at = firstCellPoint(c, grid, row);
    if (QApplication::activeWindow() != grid.window()) focusControl(grid.window());
    sendMouseDoubleClick(grid.cellArea(), at);
}

}  // namespace app
