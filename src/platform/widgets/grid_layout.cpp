#include "platform/widgets/grid_layout.h"

#include <algorithm>
#include <cstdlib>

#include "platform/widgets/grid_columns.h"
#include "platform/widgets/twips.h"

namespace platform {

void GridLayout::build(const GridColumns& columns, const GridGroups& groups, int lines,
                       double dpi) {
    lines_ = std::max(1, lines);
    cells_.clear();
    bands_.clear();

    // Visible columns per line, in their place order.
    std::vector<std::vector<int>> perLine(static_cast<std::size_t>(lines_));
    for (int c = 0; c < columns.Count(); ++c) {
        const GridColumn& column = columns.Item(c);
        if (!column.Visible()) continue;
        const int line = std::clamp(column.Level(), 0, lines_ - 1);
        perLine[static_cast<std::size_t>(line)].push_back(c);
    }
    for (auto& line : perLine) {
        std::stable_sort(line.begin(), line.end(), [&](int a, int b) {
            const int pa = columns.Item(a).Position(), pb = columns.Item(b).Position();
            return (pa < 0 ? a : pa) < (pb < 0 ? b : pb);
        });
    }

    // Edges from cumulative twips, so rounding does not add up along a line.
    std::vector<std::vector<int>> lineEdges(perLine.size());
    std::vector<int> allEdges{0};
    for (std::size_t l = 0; l < perLine.size(); ++l) {
        double twips = 0.0;
        lineEdges[l].push_back(0);
        for (int c : perLine[l]) {
            twips += std::max(0.0, columns.Item(c).Width());
            const int edge = std::max(lineEdges[l].back() + 1, twipsToPixels(twips, dpi));
            lineEdges[l].push_back(edge);
            allEdges.push_back(edge);
        }
    }
    std::sort(allEdges.begin(), allEdges.end());
    std::vector<int> edges;
    for (int e : allEdges) {
        if (edges.empty() || e - edges.back() > kEdgeTolerance) edges.push_back(e);
    }
    const auto slotOf = [&](int edge) {
        int best = 0;
        for (std::size_t i = 0; i < edges.size(); ++i) {
            if (std::abs(edges[i] - edge) < std::abs(edges[static_cast<std::size_t>(best)] - edge))
                best = static_cast<int>(i);
        }
        return best;
    };

    slotWidths_.clear();
    for (std::size_t i = 1; i < edges.size(); ++i) slotWidths_.push_back(edges[i] - edges[i - 1]);

    cellIndex_.assign(static_cast<std::size_t>(lines_), std::vector<int>(slotWidths_.size(), -1));
    for (std::size_t l = 0; l < perLine.size(); ++l) {
        for (std::size_t k = 0; k < perLine[l].size(); ++k) {
            const int first = slotOf(lineEdges[l][k]);
            const int last = slotOf(lineEdges[l][k + 1]);
            if (last <= first) continue;
            cells_.push_back(Cell{perLine[l][k], static_cast<int>(l), first, last - first});
            for (int s = first; s < last; ++s)
                cellIndex_[l][static_cast<std::size_t>(s)] = static_cast<int>(cells_.size()) - 1;
        }
    }

    // A group's band spans the slots of its columns.
    for (int g = 0; g < groups.Count(); ++g) {
        int first = -1, end = -1;
        for (const Cell& cell : cells_) {
            if (columns.Item(cell.column).Group() != g && groups.Count() > 1) continue;
            first = first < 0 ? cell.firstSlot : std::min(first, cell.firstSlot);
            end = std::max(end, cell.firstSlot + cell.slotCount);
        }
        if (first >= 0) bands_.push_back(Band{g, first, end - first});
    }
}

const GridLayout::Cell* GridLayout::cellAt(int line, int slot, bool startOnly) const {
    if (line < 0 || line >= lines_ || slot < 0 || slot >= slotCount()) return nullptr;
    const int index = cellIndex_[static_cast<std::size_t>(line)][static_cast<std::size_t>(slot)];
    if (index < 0) return nullptr;
    const Cell& cell = cells_[static_cast<std::size_t>(index)];
    if (startOnly && cell.firstSlot != slot) return nullptr;
    return &cell;
}

const GridLayout::Cell* GridLayout::cellOfColumn(int column) const {
    for (const Cell& cell : cells_) {
        if (cell.column == column) return &cell;
    }
    return nullptr;
}

}  // namespace platform
