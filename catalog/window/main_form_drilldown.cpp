// The vehicle drill-down: make, model and version clicks, the key-up and price-list
// handlers that repeat them, and the marker cells of the make and model grids.
//
// Each level loads the grid below it, then fires that grid's click handler for row 1 and
// only afterwards selects row 1 there, so a failure further down (a damaged photo) leaves
// the selection where it was. No handler clears a grid: a level that stops early leaves
// everything below it as it was.
#include "catalog/window/main_form.h"

#include "catalog/technology/technology_part.h"
#include "catalog/window/statements.h"
#include "data/grid_loading.h"
#include "platform/settings.h"
#include "report/schema.h"

#include <QApplication>
#include <QWidget>
#include <iterator>

namespace {

// The brand screen lives in the layer above; it is found by its design name.
void hideBrandScreen()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->objectName() == QLatin1String("FormSelect") && window->isVisible())
            window->hide();
    }
}

QString markerMarkup()
{
    return QStringLiteral("<IMG src=\"file://") + AppDir
           + QStringLiteral("img/BALL.bmp\" align=\"middle\" width=\"15\" height=\"15\">");
}

// Writes the marker into cell (column, row) when it is empty. A marker that cannot be
// written is only a missing decoration, so any failure is ignored.
void writeMarker(DataGrid *grid, int column, int row)
{
    try {
        if (grid->Cells(column, row).isEmpty())
            grid->setCells(column, row, markerMarkup());
    } catch (...) {
    }
}

} // namespace

void Tfrm_main::gridMarcaClickCell(QObject *Sender, int ARow, int)
{
    hideBrandScreen();
    if (ARow == 0)
        return;
    const int keyColumn = FindColumnByHeader(gridMarca, QLatin1String(catalog::schema::vehicles::idMarca));
    const QString makeKey = gridMarca->Cells(keyColumn, ARow);
    const QString statement = ApplicationsMode() ? catalog::modelListForBatteryStatement(makeKey, SelectedBatteryCode())
                                                 : catalog::modelListStatement(makeKey);
    LoadGridFromMdb(gridModello, statement, false);
    gridModello->setRowHeights(0, 0);
    gridModello->setColWidths(catalog::kModelMarker, 20);
    gridModello->setColWidths(catalog::kModelName, 10);
    FitColumnToGrid(gridModello, catalog::kModelName);
    gridModelloClickCell(Sender, 1, 0);
    gridModello->setCurrentRow(1);
}

void Tfrm_main::gridModelloClickCell(QObject *Sender, int ARow, int)
{
    if (ARow == 0)
        return;
    const int makeRow = gridMarca->SelectionRect().Top;
    const QString model = gridModello->Cells(catalog::kModelName, ARow);
    QString statement;
    if (ApplicationsMode()) {
        const int keyColumn = FindColumnByHeader(gridMarca, QLatin1String(catalog::schema::vehicles::idMarca));
        statement =
            catalog::versionListForBatteryStatement(gridMarca->Cells(keyColumn, makeRow), model, SelectedBatteryCode());
    } else {
        statement = catalog::versionListStatement(gridMarca->Cells(catalog::kMakeKey, makeRow), model);
    }
    LoadGridFromMdb(gridVersione, statement, false);
    gridVersione->setRowHeights(0, 0);
    const int widths[] = {0, 200, 40, 55, 65, 65, 42, 1};
    for (int col = 0; col < int(std::size(widths)); ++col)
        gridVersione->setColWidths(col, widths[col]);
    FitColumnToGrid(gridVersione, catalog::kVersionKw);
    gridVersioneClickCell(Sender, 1, 0);
    gridVersione->setCurrentRow(1);
}

void Tfrm_main::gridVersioneClickCell(QObject *Sender, int ARow, int)
{
    if (ARow == 0 || ApplicationsMode())
        return;
    // The vehicle is chosen even when its batteries cannot be listed: the battery shown
    // may then stay from another vehicle, and the guard must say how it compares.
    m_technology->ChooseVehicle(gridVersione->Cells(catalog::kVersionKey, ARow),
                                gridMarca->Cells(catalog::kMakeKey, gridMarca->SelectionRect().Top));
    const QString priceList = SelectedPriceList();
    if (priceList.isEmpty())
        return;
    // An empty version list: there is no vehicle to list batteries for.
    if (gridVersione->Cells(catalog::kVersionKey, 1).isEmpty())
        return;
    LoadGridFromMdb(GridOutput,
                    catalog::batteryListStatement(priceList, gridVersione->Cells(catalog::kVersionKey, ARow)), false);
    GridOutput->setRowHeights(0, 0);
    const int widths[] = {0, 12, 121, 70, 60, 52, 60, 45, 45, 1, 0, 0, 0, 0, 0};
    for (int col = 0; col < int(std::size(widths)); ++col)
        GridOutput->setColWidths(col, widths[col]);
    FitColumnToGrid(GridOutput, catalog::schema::kAltezza);
    GridOutputClickCell(Sender, 1, 0);
    GridOutput->setCurrentRow(1);
}

// Every key released in a grid reloads the levels below from its current row, also after
// an arrow key has moved it; a key held down repeats presses, not releases.
void Tfrm_main::gridMarcaKeyUp(QObject *Sender, int, Qt::KeyboardModifiers)
{
    gridMarcaClickCell(Sender, gridMarca->CurrentRow(), 0);
}

void Tfrm_main::gridModelloKeyUp(QObject *Sender, int, Qt::KeyboardModifiers)
{
    gridModelloClickCell(Sender, gridModello->CurrentRow(), 0);
}

void Tfrm_main::gridVersioneKeyUp(QObject *Sender, int, Qt::KeyboardModifiers)
{
    gridVersioneClickCell(Sender, gridVersione->CurrentRow(), 0);
}

void Tfrm_main::ComboListinoChange(QObject *Sender) { gridVersioneClickCell(Sender, gridVersione->CurrentRow(), 0); }

// The make grid asks about its key column (width 0) only in the auto-size pass of its load,
// which visits every row: so every make gets its marker while the grid is loaded.
void Tfrm_main::gridMarcaGetCellColor(QObject *, int ARow, int ACol, GridDrawState, QBrush &, ColoredFont &)
{
    if (ACol == catalog::kMakeKey)
        writeMarker(gridMarca, catalog::kMakeMarker, ARow);
}

// The model grid is loaded without auto-size: its markers appear as their column is painted.
void Tfrm_main::gridModelloGetCellColor(QObject *, int ARow, int ACol, GridDrawState, QBrush &, ColoredFont &)
{
    if (ACol == catalog::kModelMarker)
        writeMarker(gridModello, catalog::kModelMarker, ARow);
}
