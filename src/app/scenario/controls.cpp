#include "app/scenario/controls.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDate>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>

#include "app/scenario/step_values.h"
#include "platform/widgets/data_grid.h"

namespace app {
namespace {

QString valueText(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return {};
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(QStringLiteral("MM/dd/yyyy"));
    if (value.typeId() == QMetaType::QDateTime) {
        return value.toDateTime().date().toString(QStringLiteral("MM/dd/yyyy"));
    }
    if (value.typeId() == QMetaType::Bool) {
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    }
    return value.toString();
}

}  // namespace

QWidget* findNamedWidget(QWidget* root, const QString& name) {
    if (!root) return nullptr;
    if (root->objectName() == name) return root;
    return root->findChild<QWidget*>(name);
}

QTabBar* tabBarOf(QWidget* widget) {
    if (!widget) return nullptr;
    if (auto* bar = qobject_cast<QTabBar*>(widget)) return bar;
    if (auto* tabs = qobject_cast<QTabWidget*>(widget)) return tabs->tabBar();
    return widget->findChild<QTabBar*>();
}

ControlRef findControl(const QString& name, QWidget* modal, QWidget* document) {
    for (QWidget* root : {modal, document}) {
        if (QWidget* w = findNamedWidget(root, name)) return ControlRef{name, w, nullptr, -1};
    }
    if (const auto indexed = splitIndexedName(name)) {
        for (QWidget* root : {modal, document}) {
            QWidget* w = findNamedWidget(root, indexed->base);
            QTabBar* bar = tabBarOf(w);
            if (!bar) continue;
            if (indexed->index >= bar->count()) {
                throw StepFailure(
                    QStringLiteral("%1 has no tab %2").arg(indexed->base).arg(indexed->index));
            }
            return ControlRef{name, w, bar, indexed->index};
        }
    }
    throw StepFailure(QStringLiteral("no control named '%1' in %2")
                          .arg(name, modal ? QStringLiteral("the open window or the document")
                                           : QStringLiteral("the document")));
}

QString controlText(const ControlRef& c) {
    if (c.tabBar) return c.tabBar->tabText(c.tab);
    QWidget* w = c.widget;
    if (auto* x = qobject_cast<QLabel*>(w)) return x->text();
    if (auto* x = qobject_cast<QAbstractButton*>(w)) return x->text();
    if (auto* x = qobject_cast<QLineEdit*>(w)) return x->text();
    if (auto* x = qobject_cast<QTextEdit*>(w)) return x->toPlainText();
    if (auto* x = qobject_cast<QPlainTextEdit*>(w)) return x->toPlainText();
    if (auto* x = qobject_cast<QComboBox*>(w)) return x->currentText();
    if (auto* x = qobject_cast<QAbstractSpinBox*>(w)) return x->text();
    if (auto* x = qobject_cast<QGroupBox*>(w)) return x->title();
    const QMetaProperty user = w->metaObject()->userProperty();
    if (user.isValid()) return valueText(user.read(w));
    const QVariant text = w->property("text");
    if (text.isValid()) return valueText(text);
    return w->windowTitle();
}

bool controlEnabled(const ControlRef& c) {
    if (c.tabBar) return c.tabBar->isTabEnabled(c.tab) && c.tabBar->isEnabled();
    return c.widget->isEnabled();
}

std::optional<bool> controlChecked(const ControlRef& c) {
    if (c.tabBar) return c.tabBar->currentIndex() == c.tab;
    QWidget* w = c.widget;
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        if (b->isCheckable()) return b->isChecked();
        return std::nullopt;
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        if (g->isCheckable()) return g->isChecked();
        return std::nullopt;
    }
    const QVariant checked = w->property("checked");
    if (checked.isValid()) return checked.toBool();
    // A composite control with one check box (a date picker).
    for (auto* b : w->findChildren<QAbstractButton*>()) {
        if (b->isCheckable()) return b->isChecked();
    }
    return std::nullopt;
}

platform::DataGrid& gridOf(const ControlRef& c) {
    auto* grid = qobject_cast<platform::DataGrid*>(c.widget);
    if (!grid || c.tabBar) throw StepFailure(QStringLiteral("%1 is no data grid").arg(c.name));
    return *grid;
}

int gridColumnIndex(const platform::DataGrid& grid, const QString& column) {
    const std::string name = column.toStdString();
    if (const int i = grid.Columns().IndexOf(name); i >= 0) return i;
    for (int i = 0; i < grid.Columns().Count(); ++i) {
        const QString caption = QString::fromStdString(grid.Columns().Item(i).Caption());
        if (caption == column || displayedCaption(caption) == column) return i;
    }
    throw StepFailure(QStringLiteral("the grid has no column named '%1'").arg(column));
}

}  // namespace app
