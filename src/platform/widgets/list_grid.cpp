#include "platform/widgets/list_grid.h"

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
