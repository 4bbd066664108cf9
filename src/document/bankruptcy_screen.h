#pragma once
// The controls of the bankruptcy document, built on it and laid out: three tabs, the customer
// labels, the two grids, the sort options, the officer box, the command buttons and the time-out
// timer. The document owns this object and wires the controls to its procedures.

#include <array>
#include <memory>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QString;
class QTabWidget;
class QTimer;
class QWidget;

namespace messaging {
class BackEnd;
}  // namespace messaging

namespace platform {
class CustomerSelect;
class DataGrid;
}  // namespace platform

class BankruptcyScreen {
  public:
    // Builds the controls as children of `document`, which takes the layout; the customer
    // selection looks customers up in `directory`.
    void setupUi(QWidget* document, std::shared_ptr<messaging::BackEnd> directory);

    QTabWidget* SSTab1 = nullptr;
    platform::CustomerSelect* KORVA_CustSelect1 = nullptr;
    std::array<QLabel*, 14> mLblDataBankruptcy{};
    std::array<platform::DataGrid*, 2> mSdgBankruptcy{};
    std::array<QPushButton*, 6> mCmdBankruptcy{};
    std::array<QRadioButton*, 3> mOptBankruptcy{};
    QGroupBox* mFraSortBy = nullptr;
    QGroupBox* mFraAssigned = nullptr;
    QLabel* mLblOfficer = nullptr;
    QLineEdit* mTxtBankruptcy = nullptr;
    QTimer* mTimUpdateTimeout = nullptr;

  private:
    QWidget* buildCustomerTab(std::shared_ptr<messaging::BackEnd> directory);
    QWidget* buildReceivablesTab();
    QWidget* buildCasesTab();
    QWidget* buildCustomerLabels(int first, const QString& title);
    platform::DataGrid* buildGrid(int index, QWidget* tab);
};
