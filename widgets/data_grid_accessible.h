// What a screen reader (and anything else speaking Qt's accessibility interfaces) reads
// off a data grid: a table of the rows and columns a user can see (rows of height 0 and
// columns of width 0 are left out), each cell named by its text with any markup removed,
// the current row as the selected row and, while the grid has the focus, its focused cell.
#pragma once

class DataGrid;

// Tell assistive tools that the grid's current row moved, or that its contents were
// replaced (a load). Cheap when no tool listens.
void NotifyAccessibleCurrentRow(DataGrid *grid);
void NotifyAccessibleContentsReset(DataGrid *grid);
