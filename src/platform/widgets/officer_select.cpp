#include "platform/widgets/officer_select.h"

#include <exception>

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QtDebug>

namespace platform {
namespace {

constexpr int kIdRole = Qt::UserRole;

}  // namespace

OfficerSelect::OfficerSelect(std::shared_ptr<messaging::BackEnd> directory, QWidget* parent)
    : QWidget(parent), directory_(std::move(directory)) {
    setObjectName(QStringLiteral("KORVA_OfficerSelect"));
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    filter_ = new QLineEdit(this);
    filter_->setObjectName(QStringLiteral("OfficerFilter"));
    filter_->setPlaceholderText(tr("Officer number or name"));
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("OfficerList"));
    list_->setColumnCount(2);
    list_->setHeaderLabels({tr("Officer #"), tr("Name")});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(true);
    list_->setColumnWidth(0, 80);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("OfficerMessage"));
    box->addWidget(filter_);
    box->addWidget(list_);
    box->addWidget(message_);

    connect(filter_, &QLineEdit::textChanged, this, &OfficerSelect::Filter);
    connect(list_, &QTreeWidget::itemSelectionChanged, this, &OfficerSelect::SelectionChanged);
    connect(list_, &QTreeWidget::itemActivated, this, [this] {
        if (!SelectedOfficerId().empty()) emit OfficerChosen();
    });
    filter_->installEventFilter(this);
    Reload();
}

void OfficerSelect::Reload() {
    const std::string kept = SelectedOfficerId();
    officers_.clear();
    message_->clear();
    if (directory_) {
        try {
            officers_ = directory_->Officers();
        } catch (const std::exception& e) {
            qWarning("Officer list failed: %s", e.what());
            message_->setText(tr("The officers could not be read: %1").arg(e.what()));
        }
    }
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const messaging::OfficerInfo& officer : officers_) {
        auto* item = new QTreeWidgetItem(
            list_, {QString::number(officer.id), QString::fromStdString(officer.name)});
        item->setData(0, kIdRole, static_cast<qlonglong>(officer.id));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        if (!kept.empty() && QString::number(officer.id).toStdString() == kept)
            item->setSelected(true);
    }
    Filter(filter_->text());
}

std::string OfficerSelect::SelectedOfficerId() const {
    const QList<QTreeWidgetItem*> selected = list_->selectedItems();
    if (selected.isEmpty() || selected.front()->isHidden()) return std::string();
    return QString::number(selected.front()->data(0, kIdRole).toLongLong()).toStdString();
}

bool OfficerSelect::SelectOfficer(std::int64_t id) {
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        if (item->data(0, kIdRole).toLongLong() != id) continue;
        item->setHidden(false);
        list_->setCurrentItem(item);
        item->setSelected(true);
        list_->scrollToItem(item);
        return true;
    }
    return false;
}

void OfficerSelect::ClearSelection() {
    list_->clearSelection();
    list_->setCurrentItem(nullptr);
}

void OfficerSelect::Filter(const QString& text) {
    const QString wanted = text.trimmed();
    bool selectionHidden = false;
    for (int i = 0; i < list_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = list_->topLevelItem(i);
        const bool shown = wanted.isEmpty() || item->text(0).startsWith(wanted) ||
                           item->text(1).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (!shown && item->isSelected()) selectionHidden = true;
    }
    // A hidden officer cannot stay the answer.
    if (selectionHidden) ClearSelection();
    if (officers_.empty() && message_->text().isEmpty()) {
        message_->setText(tr("No officers are on file."));
    } else if (!officers_.empty()) {
        message_->setText(VisibleOfficers() == 0 ? tr("No officer matches.") : QString());
    }
}

int OfficerSelect::VisibleOfficers() const {
    int count = 0;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        count += list_->topLevelItem(i)->isHidden() ? 0 : 1;
    return count;
}

bool OfficerSelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == filter_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Up) {
            // Moves through the officers that are shown.
            QTreeWidgetItem* item = list_->currentItem();
            if (!item || item->isHidden()) {
                item = nullptr;
                for (int i = 0; i < list_->topLevelItemCount() && !item; ++i) {
                    if (!list_->topLevelItem(i)->isHidden()) item = list_->topLevelItem(i);
                }
            } else {
                item = key->key() == Qt::Key_Down ? list_->itemBelow(item) : list_->itemAbove(item);
            }
            if (item) {
                list_->setCurrentItem(item);
                item->setSelected(true);
            }
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (SelectedOfficerId().empty() && VisibleOfficers() == 1) {
                for (int i = 0; i < list_->topLevelItemCount(); ++i) {
                    if (!list_->topLevelItem(i)->isHidden()) {
                        list_->setCurrentItem(list_->topLevelItem(i));
                        list_->topLevelItem(i)->setSelected(true);
                    }
                }
            }
            if (!SelectedOfficerId().empty()) {
                emit OfficerChosen();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace platform
