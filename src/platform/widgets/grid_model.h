#pragma once
// The data grid's model: a thin table over one record-set view. Each record takes as many table
// rows as the grid has lines; the table's columns are the layout's slots. Cells hold the raw
// values (EditRole) and their display text; computed texts come from the grid's RowLoaded
// handler, asked when a row is first shown and kept until the row changes.

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include <QAbstractTableModel>
#include <QFont>

#include "platform/widgets/row_values.h"
#include "records/errors.h"
#include "records/recordset.h"

namespace platform {

class GridColumns;
class GridLayout;

// What the model needs of its grid.
class GridModelHost {
  public:
    virtual ~GridModelHost() = default;
    virtual const GridColumns& gridColumns() const = 0;
    virtual const GridLayout& gridLayout() const = 0;
    virtual QFont cellFont(int column) const = 0;
    // Raises the grid's RowLoaded for the row; the handler may write the values.
    virtual void loadRow(records::Bookmark bookmark, RowValues& values) = 0;
    // Raises the grid's Error for a value that could not be read.
    virtual void dataError(const records::Error& error) = 0;
};

class DataGridModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    enum Role {
        BookmarkRole = Qt::UserRole + 1,  // qint64 bookmark of the cell's record
        ColumnRole,                       // index of the grid column shown, -1 for none
    };

    explicit DataGridModel(GridModelHost& host, QObject* parent = nullptr);
    ~DataGridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setSource(records::RecordsetPtr source);
    const records::RecordsetPtr& source() const { return source_; }
    void reload();  // re-read the rows and forget their loaded values
    // The layout changes (inside the reset, so the table's shape never changes unannounced);
    // loaded values are forgotten.
    void relayout(const std::function<void()>& rebuildLayout);
    void invalidateValues();  // forget loaded values (bound fields changed, refresh)
    void repaintAll();        // appearance changed

    int recordCount() const { return static_cast<int>(bookmarks_.size()); }
    records::Bookmark bookmarkAt(int record) const;
    int recordOf(records::Bookmark bookmark) const;  // -1 when the row is not shown
    int recordOfRow(int row) const { return row / lines(); }
    int firstRowOf(int record) const { return record * lines(); }
    int lines() const;

    // The record's cells after row loading (loads it when it is not loaded yet).
    const RowValues& rowValues(int record) const;
    QString cellText(int record, int column) const;
    bool isLoaded(records::Bookmark bookmark) const { return cache_.count(bookmark) > 0; }

  private:
    void onRowChange(const records::RowChange& change);
    void readBookmarks();
    void rebuildIndex();
    // A row joined or left the shown rows at `record`: the index follows without a rebuild.
    void noteShift(int record, int delta);
    void resolveFields();
    const RowValues& load(int record) const;
    void emitRecordChanged(int record);

    GridModelHost& host_;
    records::RecordsetPtr source_;
    std::shared_ptr<void> subscription_;
    std::vector<records::Bookmark> bookmarks_;
    // Record of each bookmark as of the shift it was written after; the shifts since (rows
    // inserted or removed one at a time) are applied when it is read, and written back. The
    // index is rebuilt only when the shifts pile up.
    struct IndexEntry {
        int record;
        std::uint32_t shifts;  // shifts_ already applied
    };
    struct Shift {
        int record;
        int delta;  // +1 inserted, -1 removed
    };
    mutable std::unordered_map<records::Bookmark, IndexEntry> index_;
    std::vector<Shift> shifts_;
    std::vector<int> fieldOfColumn_;  // field index per grid column, -1 for computed columns
    mutable std::unordered_map<records::Bookmark, RowValues> cache_;
    mutable bool loading_ = false;
    bool reloadQueued_ = false;
};

}  // namespace platform
