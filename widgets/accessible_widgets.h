// Makes the program's own widgets readable by screen readers: the data grids as tables
// of their visible rows and cells, the bitmap buttons as buttons named by their hint.
#pragma once

// Installs the accessibility factory for DataGrid and BitmapButton. Call once at start-up,
// before the first window is shown; calling it again does nothing.
void InstallAccessibleWidgets();
