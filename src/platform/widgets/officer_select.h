#pragma once
// `KORVA_OfficerSelect`: the back end's officers with their names, filtered by what is typed
// (number or part of the name). The selected officer's number is the control's answer; a fresh
// control has none. Enter or a double-click raises OfficerChosen (the dialog's OK).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QWidget>

#include "messaging/backend_api.h"

class QLabel;
class QLineEdit;
class QTreeWidget;

namespace platform {

class OfficerSelect : public QWidget {
    Q_OBJECT

  public:
    explicit OfficerSelect(std::shared_ptr<messaging::BackEnd> directory,
                           QWidget* parent = nullptr);

    // Reads the officers again; the selection is kept when the officer is still there.
    void Reload();
    // The selected officer's number as text; "" when none is selected.
    std::string SelectedOfficerId() const;
    bool SelectOfficer(std::int64_t id);
    void ClearSelection();
    // Shows only the officers whose number starts with, or whose name contains, the text.
    void Filter(const QString& text);
    int VisibleOfficers() const;

    QLineEdit* filterBox() const { return filter_; }
    QTreeWidget* officerList() const { return list_; }

  signals:
    void SelectionChanged();
    void OfficerChosen();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::shared_ptr<messaging::BackEnd> directory_;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* list_ = nullptr;
    QLabel* message_ = nullptr;
    std::vector<messaging::OfficerInfo> officers_;
};

}  // namespace platform
