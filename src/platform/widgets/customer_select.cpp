#include "platform/widgets/customer_select.h"

#include <exception>

#include <QGridLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtDebug>

#include "records/text_util.h"
#include "records/value_rules.h"

namespace platform {
namespace {

QString q(const std::string& s) {
    return QString::fromStdString(s);
}

QString cityLine(const messaging::CustomerInfo& c) {
    const bool firstBlank =
        records::Trim(c.mailAddress + c.mailAddress2 + c.mailCity + c.mailState + c.mailZip)
            .empty();
    const std::string& city = firstBlank ? c.city2 : c.mailCity;
    const std::string& state = firstBlank ? c.state2 : c.mailState;
    QString line = q(records::Trim(city));
    if (!records::Trim(state).empty())
        line += (line.isEmpty() ? "" : ", ") + q(records::Trim(state));
    return line;
}

}  // namespace

CustomerSelect::CustomerSelect(std::shared_ptr<messaging::BackEnd> directory, QWidget* parent)
    : QWidget(parent), directory_(std::move(directory)) {
    setObjectName(QStringLiteral("KORVA_CustSelect"));
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);

    auto* label = new QLabel(tr("&Customer:"), this);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("CustomerSearch"));
    search_->setPlaceholderText(tr("Customer number or name"));
    search_->setClearButtonEnabled(false);
    label->setBuddy(search_);
    clear_ = new QToolButton(this);
    clear_->setObjectName(QStringLiteral("ClearCustomer"));
    clear_->setText(tr("Clear"));
    clear_->setToolTip(tr("Clear the chosen customer"));
    reload_ = new QToolButton(this);
    reload_->setObjectName(QStringLiteral("ReloadCustomer"));
    reload_->setText(tr("Reload"));
    reload_->setToolTip(tr("Read the chosen customer's details again"));
    reload_->setEnabled(false);

    results_ = new QTreeWidget(this);
    results_->setObjectName(QStringLiteral("CustomerResults"));
    results_->setColumnCount(3);
    results_->setHeaderLabels({tr("Customer #"), tr("Name"), tr("City")});
    results_->setRootIsDecorated(false);
    results_->setUniformRowHeights(true);
    results_->setAllColumnsShowFocus(true);
    results_->header()->setStretchLastSection(true);
    results_->setColumnWidth(0, 90);
    results_->setColumnWidth(1, 220);
    message_ = new QLabel(this);
    message_->setObjectName(QStringLiteral("SearchMessage"));
    message_->hide();
    pickedLabel_ = new QLabel(this);
    pickedLabel_->setObjectName(QStringLiteral("ChosenCustomer"));
    pickedLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    grid->addWidget(label, 0, 0);
    grid->addWidget(search_, 0, 1);
    grid->addWidget(clear_, 0, 2);
    grid->addWidget(reload_, 0, 3);
    grid->addWidget(results_, 1, 0, 1, 4);
    grid->addWidget(message_, 2, 0, 1, 4);
    grid->addWidget(pickedLabel_, 3, 0, 1, 4);

    typingPause_ = new QTimer(this);
    typingPause_->setSingleShot(true);
    typingPause_->setInterval(kTypingPauseMs);
    connect(typingPause_, &QTimer::timeout, this, [this] { Search(search_->text()); });
    connect(search_, &QLineEdit::textEdited, typingPause_, qOverload<>(&QTimer::start));
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        if (typingPause_->isActive() || results_->topLevelItemCount() == 0) {
            typingPause_->stop();
            Search(search_->text());
        }
        pickCurrent();
    });
    connect(results_, &QTreeWidget::itemActivated, this, [this] { pickCurrent(); });
    connect(clear_, &QToolButton::clicked, this, [this] {
        ClearSelection();
        emit ClearForm();
    });
    connect(reload_, &QToolButton::clicked, this, [this] { ReloadCustomer(); });
    search_->installEventFilter(this);
    showPicked();
}

QString CustomerSelect::searchMessage() const {
    return message_->text();
}

void CustomerSelect::setMessage(const QString& text) {
    message_->setText(text);
    message_->setVisible(!text.isEmpty());
}

std::vector<messaging::CustomerInfo> CustomerSelect::lookUp(const std::string& text, bool* ok) {
    *ok = false;
    if (!directory_) {
        setMessage(tr("No customer directory is available."));
        return {};
    }
    try {
        auto found = directory_->FindCustomers(text, kSearchLimit);
        *ok = true;
        return found;
    } catch (const std::exception& e) {
        qWarning("Customer search failed: %s", e.what());
        setMessage(tr("The customer search failed: %1").arg(QString::fromUtf8(e.what())));
        return {};
    }
}

int CustomerSelect::Search(const QString& text) {
    typingPause_->stop();
    results_->clear();
    found_.clear();
    setMessage(QString());
    const std::string wanted = records::Trim(text.toStdString());
    if (wanted.empty()) return 0;
    bool ok = false;
    found_ = lookUp(wanted, &ok);
    if (!ok) return 0;
    for (std::size_t i = 0; i < found_.size(); ++i) {
        const messaging::CustomerInfo& c = found_[i];
        auto* item = new QTreeWidgetItem(results_, {q(c.custId), q(c.name), cityLine(c)});
        item->setData(0, Qt::UserRole, static_cast<int>(i));
    }
    if (found_.empty()) {
        setMessage(tr("No customer matches \"%1\".").arg(q(wanted)));
    } else {
        if (static_cast<int>(found_.size()) >= kSearchLimit)
            setMessage(tr("The first %1 matches are shown.").arg(kSearchLimit));
        results_->setCurrentItem(results_->topLevelItem(0));
    }
    return static_cast<int>(found_.size());
}

void CustomerSelect::pickCurrent() {
    const QTreeWidgetItem* item = results_->currentItem();
    if (!item) return;
    const int index = item->data(0, Qt::UserRole).toInt();
    if (index < 0 || index >= static_cast<int>(found_.size())) return;
    pick(found_[static_cast<std::size_t>(index)]);
}

void CustomerSelect::pick(const messaging::CustomerInfo& customer) {
    customer_ = customer;
    picked_ = true;
    showPicked();
    emit SelectionChanged();
}

void CustomerSelect::showPicked() {
    reload_->setEnabled(picked_);
    if (!picked_) {
        pickedLabel_->setText(tr("No customer chosen."));
        return;
    }
    pickedLabel_->setText(tr("Chosen: %1  %2").arg(q(customer_.custId), q(customer_.name)));
}

void CustomerSelect::ShowCustomer(const messaging::CustomerInfo& customer) {
    ClearSelection();
    customer_ = customer;
    picked_ = !customer.custId.empty();
    showPicked();
}

void CustomerSelect::ClearSelection() {
    typingPause_->stop();
    search_->clear();
    results_->clear();
    found_.clear();
    setMessage(QString());
    customer_ = messaging::CustomerInfo{};
    picked_ = false;
    showPicked();
}

bool CustomerSelect::SelectCustomerById(const std::string& id) {
    const std::string wanted = records::Trim(id);
    if (wanted.empty()) return false;
    search_->setText(q(wanted));
    Search(q(wanted));
    for (int i = 0; i < results_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = results_->topLevelItem(i);
        const int index = item->data(0, Qt::UserRole).toInt();
        if (records::EqualsIgnoreCase(records::Trim(found_[static_cast<std::size_t>(index)].custId),
                                      wanted)) {
            results_->setCurrentItem(item);
            pickCurrent();
            return true;
        }
    }
    return false;
}

bool CustomerSelect::ReloadCustomer() {
    if (!picked_) return false;
    bool ok = false;
    const std::string id = records::Trim(customer_.custId);
    for (const messaging::CustomerInfo& c : lookUp(id, &ok)) {
        if (records::EqualsIgnoreCase(records::Trim(c.custId), id)) {
            customer_ = c;
            showPicked();
            emit CustomerEdit();
            return true;
        }
    }
    if (ok) setMessage(tr("Customer %1 is no longer found.").arg(q(id)));
    return false;
}

bool CustomerSelect::eventFilter(QObject* watched, QEvent* event) {
    if (watched == search_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int count = results_->topLevelItemCount();
        const int row =
            results_->currentItem() ? results_->indexOfTopLevelItem(results_->currentItem()) : -1;
        if (key->key() == Qt::Key_Down && count > 0) {
            results_->setCurrentItem(results_->topLevelItem(std::min(count - 1, row + 1)));
            return true;
        }
        if (key->key() == Qt::Key_Up && count > 0) {
            results_->setCurrentItem(results_->topLevelItem(std::max(0, row - 1)));
            return true;
        }
        if (key->key() == Qt::Key_Escape && !search_->text().isEmpty()) {
            search_->clear();
            results_->clear();
            found_.clear();
            setMessage(QString());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace platform
