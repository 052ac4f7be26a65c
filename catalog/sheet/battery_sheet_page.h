// The battery sheet on paper: one portrait page drawn with QPainter, the same drawing for
// the print preview, a printer and a PDF file.
#pragma once

#include "catalog/sheet/battery_sheet.h"

#include <QPageSize>
#include <QSizeF>

class QPainter;
class QPrinter;

namespace catalog {

// A4, or Letter when the system's default paper is Letter.
QPageSize SheetPaper();

// How many fitted vehicles a page of `pagePoints` (width x height, points) lists, the
// "altri" line included.
int SheetVehicleRows(const QSizeF &pagePoints);

// Draws the sheet of `state` on the page the painter is active on, laid out for that
// page's size (the whole sheet of paper, no margins of the device's own).
void PaintBatterySheet(QPainter &painter, const SheetState &state);

// Prints the sheet on `printer` as it is set up. Raises CatalogError (CatalogErrc::Print)
// "Stampa non riuscita: …" when the printer is missing or does not take the page.
void PrintBatterySheet(QPrinter &printer, const SheetState &state);

// Writes the sheet as a one-page PDF at `path`. The file is written under a temporary
// name beside it and renamed once complete, so a failure (a folder that cannot be
// written, a full disk) leaves no file at all and any earlier file as it was. Raises
// CatalogError (CatalogErrc::Print) "Salvataggio PDF non riuscito: …".
void WriteBatterySheetPdf(const SheetState &state, const QString &path);

} // namespace catalog
