#pragma once
// `KORVA_CustSelect`: finds a customer of the back end by number or name and holds the one the
// user picked. Typing searches after a short pause (Enter searches at once and picks the
// highlighted result; the arrow keys move through the results). Events: SelectionChanged when a
// customer is picked, ClearForm when the user clears the control, CustomerEdit when the picked
// customer's details were read again.

#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "messaging/backend_api.h"

class QLabel;
class QLineEdit;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace platform {

class CustomerSelect : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kSearchLimit = 50;
    static constexpr int kTypingPauseMs = 300;

    explicit CustomerSelect(std::shared_ptr<messaging::BackEnd> directory,
                            QWidget* parent = nullptr);

    void setDirectory(std::shared_ptr<messaging::BackEnd> directory) {
        directory_ = std::move(directory);
    }

    // The picked customer; all fields empty when none is picked.
    bool HasCustomer() const { return picked_; }
    const messaging::CustomerInfo& Customer() const { return customer_; }

    // Forgets the picked customer and the search, without raising ClearForm.
    void ClearSelection();
    // Shows this customer as the picked one without raising SelectionChanged: the customer of a
    // restored screen, whose data the screen holds already.
    void ShowCustomer(const messaging::CustomerInfo& customer);
    // Picks the customer with exactly this number (SelectionChanged); false when there is none.
    bool SelectCustomerById(const std::string& id);
    // Reads the picked customer again (CustomerEdit); false when it is no longer found.
    bool ReloadCustomer();
    // Runs the look-up for `text` now; returns the number of customers found.
    int Search(const QString& text);

    QLineEdit* searchBox() const { return search_; }
    QTreeWidget* resultList() const { return results_; }
    QString searchMessage() const;

  signals:
    void ClearForm();
    void SelectionChanged();
    void CustomerEdit();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void pick(const messaging::CustomerInfo& customer);
    void pickCurrent();
    void showPicked();
    void setMessage(const QString& text);
    std::vector<messaging::CustomerInfo> lookUp(const std::string& text, bool* ok);

    std::shared_ptr<messaging::BackEnd> directory_;
    QLineEdit* search_ = nullptr;
    QToolButton* clear_ = nullptr;
    QToolButton* reload_ = nullptr;
    QTreeWidget* results_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* pickedLabel_ = nullptr;
    QTimer* typingPause_ = nullptr;
    std::vector<messaging::CustomerInfo> found_;
    messaging::CustomerInfo customer_;
    bool picked_ = false;
};

}  // namespace platform
