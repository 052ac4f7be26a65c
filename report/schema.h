// Names of the catalogue's tables and of the columns the program reads, as the catalogue
// database spells them. The statements carry their own texts; these names are for code
// that looks columns up in results or builds catalogue files.
#pragma once

#include <QList>
#include <QStringList>

namespace catalog::schema {

// The fixed fifteen-column layout of every battery list the window shows, from LISTINO to
// ORDINE: the handlers read a battery row by position.
enum BatteryColumn : int {
    kListino = 0,
    kGamma = 2,
    kCodice = 3,
    kCapacita = 4, // Ah
    kScarica = 5,  // A (EN)
    kPolarita = 6,
    kLunghezza = 7, // mm, text
    kLarghezza = 8, // mm, text
    kAltezza = 9,   // mm, text
    kAttacchi = 10,
    kMonoblocco = 11,
    kFoto = 12,
    kNote = 13,
    kOrdine = 14,
};

// One row per vehicle version.
namespace vehicles {
inline constexpr const char *table = "CP_Veicoli";
inline constexpr const char *idVeicolo = "idVeicolo"; // integer key
inline constexpr const char *idMarca = "idMarca";     // text make key
inline constexpr const char *Marca = "Marca";
inline constexpr const char *Modello = "Modello";
inline constexpr const char *Versione = "Versione";
inline constexpr const char *Alimentazione = "Alimentazione"; // fuel
inline constexpr const char *Dal = "Dal";                     // production start, YYYYMM text
inline constexpr const char *Al = "Al";                       // production end, YYYYMM text or Null
inline constexpr const char *Cm3 = "Cm3";                     // displacement, cubic centimetres
inline constexpr const char *Cv = "Cv";                       // metric horsepower
inline constexpr const char *Kw = "Kw";                       // kilowatts
} // namespace vehicles

// One row per vehicle and vehicle type number; a vehicle without one is never listed.
namespace relations {
inline constexpr const char *table = "CP_Veicoli_Rel_Korva_Master";
inline constexpr const char *idVeicolo = "idVeicolo";
inline constexpr const char *ktypnr = "ktypnr";
} // namespace relations

// One row per type number and fitting battery code.
namespace fitments {
inline constexpr const char *table = "TabDistintaBatterie";
inline constexpr const char *ktypnr = "ktypnr";
inline constexpr const char *codice = "codice";
} // namespace fitments

// Battery data, one row per price list and code; old-code rows carry OLD_CODICE.
namespace batteries {
inline constexpr const char *table = "TabTechInfo";
inline constexpr const char *LISTINO = "LISTINO";
inline constexpr const char *GAMMA = "GAMMA";
inline constexpr const char *CODICE = "CODICE";
inline constexpr const char *OLD_CODICE = "OLD_CODICE";
inline constexpr const char *CAPACITA = "CAPACITA"; // ampere-hours, numeric
inline constexpr const char *SCARICA = "SCARICA";   // cold-cranking amperes, numeric
inline constexpr const char *POLO_POSITIVO = "POLO_POSITIVO";
inline constexpr const char *LUNGHEZZA = "LUNGHEZZA"; // millimetres, text
inline constexpr const char *LARGHEZZA = "LARGHEZZA"; // millimetres, text
inline constexpr const char *ALTEZZA = "ALTEZZA";     // millimetres, text
inline constexpr const char *ATTACCHI_BASE = "ATTACCHI_BASE";
inline constexpr const char *MONOBLOCCO = "MONOBLOCCO";
inline constexpr const char *FOTO = "FOTO";     // photo base name: foto/<FOTO>.JPG
inline constexpr const char *NOTE = "NOTE";     // note label markup, plain text column
inline constexpr const char *ORDINE = "ORDINE"; // display order
// CODICE of an old-code row whose former code is run out without a successor.
inline constexpr const char *runOutCode = "ESAURIMENTO";
} // namespace batteries

// Exactly one row; selecting constants from it gives one blank row.
namespace oneRow {
inline constexpr const char *table = "Tab1riga";
} // namespace oneRow

// The indexes the catalogue's statements need, for the database layer to make when the
// file lacks them (db::Connection::setIndexHints): the columns every join and filter
// goes through, and make with model together, which serves both the model list (by make,
// sorted by model) and the version list (by make and model) with one sort at the first
// open instead of two. Every connection to a catalogue is given the same hints, so the
// program and the tools share one copy of it.
inline QList<QStringList> IndexHints()
{
    return {
        {vehicles::idMarca, vehicles::Modello},
        {vehicles::idVeicolo},
        {relations::ktypnr},
        {fitments::codice},
        {batteries::LISTINO},
        {batteries::OLD_CODICE},
        {batteries::CODICE},
        {vehicles::idMarca},
    };
}

} // namespace catalog::schema
