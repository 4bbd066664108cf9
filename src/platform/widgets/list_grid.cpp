#include "platform/widgets/list_grid.h"

#include <QHBoxLayout>
#include <QLabel>

#include "platform/widgets/data_grid.h"

namespace platform {
namespace {

void listOnlyOptions(DataGrid& grid) {
    grid.SetAllowAddNew(false);
    grid.SetAllowDelete(false);
    grid.SetAllowUpdate(false);
    grid.SetSelectTypeRow(DataGrid::RowSelection::Multi);
    grid.SetSelectTypeCol(false);
}

}  // namespace

CaseNumberLine MakeCaseNumberLine(QWidget* parent, const QString& captionName,
                                  const QString& numberName) {
    CaseNumberLine line;
    line.caption = new QLabel(QStringLiteral("Case #:"), parent);
    line.caption->setObjectName(captionName);
    line.number = new QLabel(parent);
    line.number->setObjectName(numberName);
    line.number->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = line.number->font();
    bold.setBold(true);
    line.number->setFont(bold);
    line.layout = new QHBoxLayout;
    line.layout->addWidget(line.caption);
    line.layout->addWidget(line.number);
    line.layout->addStretch(1);
    return line;
}

void SetListOnly(DataGrid& grid, bool unbind) {
    grid.SetRedraw(false);
    if (unbind) {
        grid.SetDataMember("");
        grid.SetDataSource(nullptr);
        grid.SetBatchUpdate(false);
    } else {
        grid.SetDataSource(nullptr);
    }
    listOnlyOptions(grid);
    grid.SetRedraw(true);
}

void BindListGrid(DataGrid& grid, const records::RecordsetPtr& rs, records::ErrorSink* sink,
                  const char* source) {
    records::Trap(sink, source, [&] { grid.SetRedraw(false); });
    records::Trap(sink, source, [&] { grid.SetDataMember(""); });
    records::Trap(sink, source, [&] { grid.SetDataSource(rs); });
    records::Trap(sink, source,
                  [&] { grid.SetBatchUpdate(rs && rs->IsOpen() && rs->IsBatchOptimistic()); });
    records::Trap(sink, source, [&] { grid.SetRedraw(true); });
    records::Trap(sink, source, [&] { grid.Refresh(); });
}

void BuildListColumns(DataGrid& grid, const std::vector<ColumnDef>& columns,
                      const records::RecordsetPtr& rs, records::ErrorSink* sink,
                      const char* source) {
    records::IgnoreErrors([&] { grid.SetBatchUpdate(rs && rs->IsBatchOptimistic()); });
    records::Trap(sink, source, [&] { grid.Columns().RemoveAll(); });
    for (std::size_t i = 0; i < columns.size(); ++i) {
        records::Trap(sink, source, [&] {
            const ColumnDef& def = columns[i];
            GridColumn& column = grid.Columns().Add(static_cast<int>(i));
            ApplyColumnDef(column, def);
            column.SetWidth(def.width);
        });
    }
    records::Trap(sink, source, [&] { listOnlyOptions(grid); });
}

}  // namespace platform
