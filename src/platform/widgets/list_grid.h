#pragma once
// The grid of a dialog that only lists rows (a case's receivables, a case's history) and the
// case-number line over it: nothing in the grid can be changed, whole rows are selected, and the
// dialog hands it new record sets while it is open. Each step runs under records::Trap with the
// dialog's source and goes on after a report, as the dialogs' procedures do.

#include <string>
#include <vector>

#include <QString>

#include "platform/widgets/grid_columns.h"
#include "records/errors.h"
#include "records/recordset.h"

class QHBoxLayout;
class QLabel;
class QWidget;

namespace platform {

class DataGrid;

// The line over a case's list: "Case #:" and the case number, bold and selectable.
struct CaseNumberLine {
    QLabel* caption = nullptr;
    QLabel* number = nullptr;
    QHBoxLayout* layout = nullptr;  // both labels, then a stretch
};
CaseNumberLine MakeCaseNumberLine(QWidget* parent, const QString& captionName,
                                  const QString& numberName);

// Nothing can be added, deleted or changed; several whole rows, no columns, can be selected.
// `unbind` also takes the grid off its data member and record set and switches batch updates off.
void SetListOnly(DataGrid& grid, bool unbind);

// Binds the grid to rs (nullptr for none): drawing off, data member empty, bound, batch updates
// as rs allows, drawing on, refreshed.
void BindListGrid(DataGrid& grid, const records::RecordsetPtr& rs, records::ErrorSink* sink,
                  const char* source);

// Removes every column, adds those of the table at positions 0, 1, ... and sets the list-only
// options; rs decides the batch-update switch.
void BuildListColumns(DataGrid& grid, const std::vector<ColumnDef>& columns,
                      const records::RecordsetPtr& rs, records::ErrorSink* sink,
                      const char* source);

// One step of a list's row formatting: a failure is logged with its description and number and
// the next step runs; an object that is not there is passed over without a report.
template <class F>
void RowFormattingStep(records::ErrorSink* sink, const char* source, F&& body) {
    constexpr long kObjectNotSet = 91;
    std::string description;
    try {
        body();
        return;
    } catch (const records::Error& e) {
        if (e.Number() == kObjectNotSet) return;
        description = e.Description() + " " + std::to_string(e.Number());
    } catch (const std::exception& e) {
        description = std::string(e.what()) + " 0";
    }
    records::IgnoreErrors(
        [&] { sink->ReportError(description, std::string(records::kExeName), source); });
}

}  // namespace platform
