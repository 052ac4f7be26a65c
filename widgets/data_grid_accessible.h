// What a screen reader (and anything else speaking Qt's accessibility interfaces) reads
// off a data grid: a table of the rows and columns a user can see (rows of height 0 and
// columns of width 0 are left out), with column headers, each cell named by its text
// with any markup removed, the current row as the selected row and, while the grid has
// the focus, the current row's naming cell as the focused one.
#pragma once

#include <QStringList>

class DataGrid;

// Names the grid's columns in words, one name per grid column from column 0: the names a
// result carries in row 0 are the database's (Expr1000, idMarca). A column named "" only
// decorates (the marker) and is left out of the table too. `nameColumn` is the grid
// column whose cell names a row, the one announced when the row becomes current.
// Without names the row-0 texts head the columns and the current column names the row.
void SetAccessibleColumns(DataGrid *grid, const QStringList &names, int nameColumn);

// Tell assistive tools that the grid's current row moved, or that its contents were
// replaced (a load). Cheap when no tool listens.
void NotifyAccessibleCurrentRow(DataGrid *grid);
void NotifyAccessibleContentsReset(DataGrid *grid);
