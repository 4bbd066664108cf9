#pragma once
// Where each visible column of the grid goes: every record takes `lines` table rows, and the
// table's columns ("slots") are cut at every column edge of every line, so a column of one line
// may span several slots of another (the case grid's trustee spans three dates).

#include <vector>

namespace platform {

class GridColumns;
class GridGroups;

class GridLayout {
  public:
    struct Cell {
        int column = -1;  // index in GridColumns
        int line = 0;
        int firstSlot = 0;
        int slotCount = 1;
    };
    struct Band {
        int group = 0;
        int firstSlot = 0;
        int slotCount = 0;
    };

    // Edges of different lines closer than this many pixels are taken as one edge.
    static constexpr int kEdgeTolerance = 2;

    void build(const GridColumns& columns, const GridGroups& groups, int lines, double dpi);

    int lines() const { return lines_; }
    int slotCount() const { return static_cast<int>(slotWidths_.size()); }
    int slotWidth(int slot) const { return slotWidths_[static_cast<std::size_t>(slot)]; }
    const std::vector<Cell>& cells() const { return cells_; }
    const std::vector<Band>& bands() const { return bands_; }
    // The cell shown at (line, slot), or nullptr (an empty place, or a slot covered by a span
    // that starts further left when `startOnly`).
    const Cell* cellAt(int line, int slot, bool startOnly = false) const;
    const Cell* cellOfColumn(int column) const;

  private:
    int lines_ = 1;
    std::vector<int> slotWidths_;
    std::vector<Cell> cells_;
    std::vector<std::vector<int>> cellIndex_;  // [line][slot] -> index in cells_, -1 when empty
    std::vector<Band> bands_;
};

}  // namespace platform
