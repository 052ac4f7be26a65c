// Putting query results on the screen: a catalogue grid filled through the grid exchange
// file, the price-list combo filled from the query channel, and the column arithmetic the
// screens use after a load.
#pragma once

#include <QString>

class DataGrid;
class ColumnComboBox;

// Runs `SqlText` (unchanged) on the grid query and fills `Grid` with the result: row 0 the
// column names, one record per row after it, at least rows 0 and 1, every row 21 pixels
// high. Returns the record count, or -1 after the "Attenzione" message box when the query
// failed (the grid is then untouched). Errors of the exchange file end the load and reach
// the caller; the grid's update lock and the busy cursor are released first.
int LoadGridFromMdb(DataGrid *Grid, const QString &SqlText, bool AutoSize);

// Fills `Combo` with one item per record of `SqlText` (through ApriQRY), then, when
// `DefaultItem` holds more than blanks, a first item split at its first "|"; selects item 0.
void LoadComboFromQuery(ColumnComboBox *Combo, const QString &SqlText, const QString &DefaultItem);

// Widens or narrows column `Col` so the grid's columns fill its width, leaving room for a
// vertical scroll bar when one is needed.
void FitColumnToGrid(DataGrid *Grid, int Col);

// The first column whose row-0 text equals `Name` ignoring the case of A..Z, or -1.
int FindColumnByHeader(DataGrid *Grid, const QString &Name);

// Whether the file exists and can be opened for writing by nobody else; `Retries` further
// tries one second apart.
bool WaitForFile(const QString &Path, int Retries);

// The exchange file of this computer: TempDir + "kelpStone/" + MachineTag + "~mdbgrid.tmp",
// in the user's own kelpStone when the one under TempDir is another user's (ExchangeFolder).
QString ExchangeFilePath();
