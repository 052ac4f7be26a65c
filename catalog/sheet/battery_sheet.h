// The battery sheet a counter hands to a customer: one page with the chosen battery's
// data, photo and note, and the vehicle it was chosen for or the vehicles it fits. Its
// content is plain text built from what the catalogue window shows, so that what goes on
// paper can be checked without a printer; battery_sheet_page.h draws it.
#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace catalog {

// A vehicle as the catalogue lists it; years are the first four characters of Dal and Al.
struct SheetVehicle {
    QString make;
    QString model;
    QString version;
    QString fuel;
    QString yearFrom;
    QString yearTo;
    QString cm3;
    QString cv;
    QString kw;
};

// What the window shows, the sheet's only input.
struct SheetState {
    QString program;        // the program's name, as the window's caption
    QStringList batteryRow; // the battery row shown: LISTINO .. ORDINE, fifteen cells
    // The drill-down's vehicle, when the battery was listed for it; otherwise
    // `fittedVehicles` holds every vehicle the battery fits.
    std::optional<SheetVehicle> chosenVehicle;
    std::vector<SheetVehicle> fittedVehicles;
    QImage photo;            // the battery's photo, or the placeholder
    QDateTime catalogueDate; // when the catalogue file was made; invalid when unknown
    QDateTime printedAt;
    std::optional<qint64> priceCents; // the shop's price of the battery, in euro cents, when it has one
};

// A caption and its value, one line of the sheet.
struct SheetLine {
    QString caption;
    QString value;
};

struct BatterySheet {
    // Header.
    QString program;
    QString brand;         // the price list the battery belongs to
    QString catalogueDate; // "Catalogo del 05/06/2004"
    QString printedAt;     // "Stampato il 10/12/2026 alle 09:30"
    // The battery.
    QString title;               // range and code
    std::vector<SheetLine> data; // range, code, ratings, polarity, measures, fittings, container, and
                                 // the shop's price when it has one
    QImage photo;
    QString noteMarkup; // the note label's markup, as the catalogue holds it
    // The vehicle.
    QString vehicleTitle;               // "Veicolo" or "Veicoli compatibili"
    std::vector<SheetLine> vehicle;     // the chosen vehicle, line by line
    std::vector<SheetVehicle> vehicles; // the fitted vehicles that fit on the page
    QString moreVehicles;               // "… e altri N veicoli", or why the list is empty
    // Footer.
    QString notesCaption; // above the counter's ruled lines
    QString footer;       // what the page is for
};

// The sheet of `state`. `vehicleRows` is how many lines the page has for fitted vehicles;
// when there are more, the last of those lines says how many were left out.
BatterySheet MakeBatterySheet(const SheetState &state, int vehicleRows);

// "1999 – 2005", "dal 2006", "fino al 2005" or "—" for a vehicle's years.
QString SheetYears(const SheetVehicle &vehicle);

// The file name a saved sheet is offered under: the battery code with the characters a
// file name cannot hold replaced, and ".pdf".
QString SheetFileName(const QString &batteryCode);

} // namespace catalog
