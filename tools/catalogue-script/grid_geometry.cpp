// Row and column positions: rows and columns of size 0 take no room and draw no line; the
// others are followed by a grid line when the grid draws lines between rows.
#include "tools/catalogue-script/grid_geometry.h"

#include "widgets/data_grid.h"

#include <QScrollBar>

namespace {

int HorizontalLine(const DataGrid &grid) { return (grid.Options() & DataGrid::goHorzLine) ? grid.GridLineWidth() : 0; }

// Top of `row` with `top` as the first row in view.
int RowTop(const DataGrid &grid, int top, int row)
{
    int y = 0;
    for (int r = top; r < row; ++r)
        y += grid.RowHeights(r) > 0 ? grid.RowHeights(r) + HorizontalLine(grid) : 0;
    return y;
}

bool FullyInView(const DataGrid &grid, int row)
{
    return row >= grid.TopRow() && RowTop(grid, grid.TopRow(), row) + grid.RowHeights(row) <= grid.ClientHeight();
}

// The top row that shows `row` as the last row fully in view.
int TopShowingAtBottom(const DataGrid &grid, int row)
{
    int used = grid.RowHeights(row);
    int top = row;
    while (top > 0) {
        const int h = grid.RowHeights(top - 1);
        const int step = h > 0 ? h + HorizontalLine(grid) : 0;
        if (used + step > grid.ClientHeight())
            break;
        used += step;
        --top;
    }
    return top;
}

} // namespace

QRect VisibleCellRect(DataGrid &grid, int row)
{
    if (!FullyInView(grid, row)) {
        const int top = row < grid.TopRow() ? row : TopShowingAtBottom(grid, row);
        grid.verticalScrollBar()->setValue(top);
        if (grid.TopRow() != top)
            grid.setTopRow(top);
    }
    if (row < grid.TopRow())
        return {};
    // The columns before the first one with a width take no room, so it starts at the left.
    int col = grid.LeftCol();
    while (col < grid.ColCount() && grid.ColWidths(col) <= 0)
        ++col;
    if (col >= grid.ColCount())
        return {};
    const int y = RowTop(grid, grid.TopRow(), row);
    if (y >= grid.ClientHeight())
        return {};
    return QRect(0, y, grid.ColWidths(col), grid.RowHeights(row))
        .intersected(QRect(0, 0, grid.ClientWidth(), grid.ClientHeight()));
}
