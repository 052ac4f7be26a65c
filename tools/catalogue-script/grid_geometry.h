// Where a grid row is on screen, from the grid's public sizes, and scrolling it into view
// the way a user does with the scroll bar.
#pragma once

#include <QRect>

class DataGrid;

// Scrolls `row` into view if needed, then returns the rectangle (viewport coordinates) of
// its cell in the first column with a width; empty when the grid has no such column or
// the row cannot be brought into view.
QRect VisibleCellRect(DataGrid &grid, int row);
