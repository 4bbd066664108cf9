#pragma once
// The data grid's definition: columns, column groups and named style sets. The screen builds
// them in its InitColumnProps handlers, one property at a time; every change is told to the
// grid, which lays itself out again or repaints (once, when drawing resumes, while it is off).

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <QFont>
#include <QString>

#include "records/recordset.h"
#include "records/value.h"

namespace platform {

// What a change to the definition asks of the grid.
enum class GridChange {
    Layout,      // columns added, removed, shown, hidden, resized or moved between lines
    Values,      // a bound field changed: cached row values are stale
    Appearance,  // captions, alignments, formats, fonts: repaint only
};

class GridColumns;

class GridColumn {
  public:
    explicit GridColumn(GridColumns* owner) : owner_(owner) {}
    GridColumn(const GridColumn&) = delete;
    GridColumn& operator=(const GridColumn&) = delete;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption);
    const std::string& Name() const { return name_; }
    void SetName(std::string name);
    // The record-set field shown; a name that no field bears makes a column computed in RowLoaded.
    const std::string& DataField() const { return dataField_; }
    void SetDataField(std::string field);
    records::FieldType DataType() const { return dataType_; }
    void SetDataType(records::FieldType type);
    double Width() const { return widthTwips_; }  // twips
    void SetWidth(double twips);
    // 0 = general: numbers right, everything else left.
    Qt::Alignment Alignment() const { return alignment_; }
    void SetAlignment(Qt::Alignment alignment);
    Qt::Alignment CaptionAlignment() const { return captionAlignment_; }
    void SetCaptionAlignment(Qt::Alignment alignment);
    // "CURRENCY", "Short Date", "mm/dd/yyyy", digit placeholders such as "(###) ### - ####", or "".
    const std::string& NumberFormat() const { return numberFormat_; }
    void SetNumberFormat(std::string format);
    const std::string& Mask() const { return mask_; }  // entry mask; the grid never edits
    void SetMask(std::string mask);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    // Line of the row the column is shown on (grids with several lines per row).
    int Level() const { return level_; }
    void SetLevel(int level);
    // Place in the row; columns of one line are shown in this order (ties: column order).
    int Position() const { return position_; }
    void SetPosition(int position);
    int Group() const { return group_; }
    void SetGroup(int group);
    const std::string& StyleSet() const { return styleSet_; }
    void SetStyleSet(std::string name);
    const std::string& HeadStyleSet() const { return headStyleSet_; }
    void SetHeadStyleSet(std::string name);

    // The cell of the grid's current row: its value after row loading, and its display text.
    // Error 3021 when the grid has no current row.
    records::Value Value() const;
    QString Text() const;

  private:
    void changed(GridChange change);
    template <class T>
    void assign(T& member, T value, GridChange change) {
        if (member == value) return;
        member = std::move(value);
        changed(change);
    }

    GridColumns* owner_;
    std::string caption_, name_, dataField_, numberFormat_, mask_, styleSet_, headStyleSet_;
    records::FieldType dataType_ = records::FieldType::Variant;
    double widthTwips_ = 1000.0;
    Qt::Alignment alignment_;
    Qt::Alignment captionAlignment_;
    bool visible_ = true;
    int level_ = 0;
    int position_ = -1;
    int group_ = 0;
};

// Reads cells of the current row for GridColumn::Value and Text (supplied by the grid).
struct CurrentRowAccess {
    std::function<records::Value(int column)> value;
    std::function<QString(int column)> text;
};

class GridColumns {
  public:
    GridColumns() = default;
    GridColumns(const GridColumns&) = delete;
    GridColumns& operator=(const GridColumns&) = delete;

    int Count() const { return static_cast<int>(columns_.size()); }
    // Inserts a new column at position (clamped to 0..Count) and returns it.
    GridColumn& Add(int position);
    void Remove(int index);
    void RemoveAll();
    // Error 3265 when there is no such column.
    GridColumn& Item(int index);
    const GridColumn& Item(int index) const;
    GridColumn& Item(std::string_view name);  // names compare without regard to case
    const GridColumn& Item(std::string_view name) const;
    int IndexOf(std::string_view name) const noexcept;  // -1 when none
    int IndexOf(const GridColumn* column) const noexcept;

    void setChangeHook(std::function<void(GridChange)> hook) { hook_ = std::move(hook); }
    void setCurrentRowAccess(CurrentRowAccess access) { access_ = std::move(access); }

  private:
    friend class GridColumn;
    void notify(GridChange change) {
        if (hook_) hook_(change);
    }

    std::vector<std::unique_ptr<GridColumn>> columns_;
    std::function<void(GridChange)> hook_;
    CurrentRowAccess access_;
};

// A column group: a band above the column headers carrying the grid's title.
class GridGroup {
  public:
    const std::string& Caption() const { return caption_; }
    double Width() const { return widthTwips_; }  // twips; the band spans the group's columns
    void SetCaption(std::string caption);
    void SetWidth(double twips);

  private:
    friend class GridGroups;
    std::function<void()> changed_;
    std::string caption_;
    double widthTwips_ = 0.0;
};

class GridGroups {
  public:
    int Count() const { return static_cast<int>(groups_.size()); }
    GridGroup& Add(int position);
    void RemoveAll();
    GridGroup& Item(int index);  // error 3265 when out of range
    const GridGroup& Item(int index) const;

    void setChangeHook(std::function<void()> hook) { hook_ = std::move(hook); }

  private:
    std::vector<std::unique_ptr<GridGroup>> groups_;
    std::function<void()> hook_;
};

// A named style: a font whose explicitly set properties override the grid's font.
class GridStyleSet {
  public:
    explicit GridStyleSet(std::string name) : name_(std::move(name)) {}
    const std::string& Name() const { return name_; }
    const QFont& Font() const { return font_; }
    void SetFont(const QFont& font);
    void SetBold(bool bold);
    // The font a cell of this style shows with, over the grid's font.
    QFont resolvedFont(const QFont& gridFont) const { return font_.resolve(gridFont); }

  private:
    friend class GridStyleSets;
    std::function<void()> changed_;
    std::string name_;
    QFont font_;  // nothing set: everything comes from the grid's font
};

class GridStyleSets {
  public:
    int Count() const { return static_cast<int>(sets_.size()); }
    // Adds a style set, or returns the one of that name.
    GridStyleSet& Add(std::string_view name);
    GridStyleSet& Item(std::string_view name);  // error 3265 when there is none of that name
    const GridStyleSet* Find(std::string_view name) const noexcept;

    void setChangeHook(std::function<void()> hook) { hook_ = std::move(hook); }

  private:
    std::vector<std::unique_ptr<GridStyleSet>> sets_;
    std::function<void()> hook_;
};

// A column as a form's table of columns gives it.
struct ColumnDef {
    const char* caption;
    const char* name;
    const char* field;  // nullptr: computed while rows load (bound to its own name)
    records::FieldType type;
    double width;  // twips
    Qt::Alignment alignment;
    Qt::Alignment captionAlignment;
    const char* format;
    const char* mask;
    bool visible;
    int level = -1;     // in a grid of several lines: the row's line, -1 for none
    int position = -1;  // the place in that line, -1 for none
};

// Everything of the entry but the width, which some forms set only once every column is there.
void ApplyColumnDef(GridColumn& column, const ColumnDef& def);

// Short names for the alignments of the column tables; kNone leaves the grid's default.
namespace column_align {
inline const Qt::Alignment kNone = {};
inline const Qt::Alignment kLeft = Qt::AlignLeft;
inline const Qt::Alignment kCentre = Qt::AlignHCenter;
inline const Qt::Alignment kRight = Qt::AlignRight;
}  // namespace column_align

}  // namespace platform
