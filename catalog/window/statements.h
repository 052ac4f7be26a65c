// The SQL statements the catalogue window sends, one function each, with the values put
// in safely: a text value goes between double quotes with every double quote in it
// doubled, and a value that must stand bare (the vehicle key, a capacity, a discharge
// rating) is accepted only when it is a number. Nothing a user types or a catalogue
// holds can change what a statement does. Every function returns the whole text. Last,
// the columns of the lists they return, by name.
#pragma once

#include <QString>
#include <optional>

namespace catalog {

// `value` between double quotes, every double quote inside doubled.
QString textLiteral(const QString &value);
// `value` as a bare number when it is one: an optional sign, digits and at most one
// decimal separator ("." or ","), written with "."; nothing otherwise.
std::optional<QString> bareNumber(const QString &value);
// bareNumber(value), or CatalogError (CatalogErrc::NotANumber) naming `field`, raised
// before anything is sent to the database.
QString numberLiteral(const QString &field, const QString &value);

// Distinct non-blank price lists, sorted (fills the price-list combo box).
QString priceListStatement();
// All makes with a listed vehicle: marker column, idMarca, Marca; the window's start-up.
QString makeListStatement();
// The same list as the applications-mode toggle writes it when the mode is left.
QString makeListLeavingModeStatement();
// Makes with a vehicle that `batteryCode` fits: marker, idMarca, marca.
QString makeListForBatteryStatement(const QString &batteryCode);

// Models of a make: marker column, Modello.
QString modelListStatement(const QString &makeKey);
// Models of a make with a vehicle that `batteryCode` fits.
QString modelListForBatteryStatement(const QString &makeKey, const QString &batteryCode);

// Versions of a model: idVeicolo, Versione, Alimentazione, year from, year to, cm3, cv,
// kw; one row per relation row of each vehicle.
QString versionListStatement(const QString &makeKey, const QString &model);
// Versions of a model that `batteryCode` fits.
QString versionListForBatteryStatement(const QString &makeKey, const QString &model, const QString &batteryCode);

// Every vehicle that `batteryCode` fits, once each however many type numbers lead to
// it: idVeicolo, Marca, Modello, Versione, year from, year to; by make, model, version.
QString fittedVehiclesStatement(const QString &batteryCode);
// One record whose field "n" counts the fitments of `batteryCode` on the vehicle;
// `vehicleKey` must be a number (CatalogError otherwise).
QString batteryFitsVehicleStatement(const QString &vehicleKey, const QString &batteryCode);

// Batteries of the price list that fit the vehicle, of each range only the tallest
// (heights compared as numbers; equal greatest heights all kept), sorted by ORDINE.
// `vehicleKey` must be a number (CatalogError otherwise).
QString batteryListStatement(const QString &priceList, const QString &vehicleKey);

// Old-code rows of the price list whose OLD_CODICE is `oldCode`: OLD_CODICE, CODICE
// (the successor, or "ESAURIMENTO"), GAMMA.
QString oldCodeStatement(const QString &oldCode, const QString &priceList);

// The four search groups and the search fields as typed. A field counts as filled when
// it is not empty; blanks count. Only the fields of the searched group are read.
enum class SearchGroup {
    RangeAndCode, // gamma, codice
    Ratings,      // capacita, scarica (bare numbers), polarita
    Dimensions,   // lunghezza, larghezza, altezza, attacchi
    Container,    // monoblocco
};

struct SearchFields {
    QString gamma{};
    QString codice{};
    QString capacita{};
    QString scarica{};
    QString polarita{};
    QString lunghezza{};
    QString larghezza{};
    QString altezza{};
    QString attacchi{};
    QString monoblocco{};
};

// Batteries of the price list equal to every filled field of the group, in the battery
// row layout, sorted by ORDINE then CODICE. A filled capacity or discharge field that is
// not a number raises CatalogError.
QString batterySearchStatement(const QString &priceList, SearchGroup group, const SearchFields &fields);

// Every battery row of the price list but the run-out marks, for the replacement finder:
// GAMMA, CODICE, CAPACITA, SCARICA, POLO_POSITIVO, LUNGHEZZA, LARGHEZZA, ALTEZZA,
// ATTACCHI_BASE, ORDINE, OLD_CODICE; distinct, in no particular order.
QString replacementCandidatesStatement(const QString &priceList);

// One row of ten empty texts (empties the version grid in applications mode).
QString blankVersionRowStatement();

// The columns of the lists above, as the statements return them and the window's grids
// hold them; the battery grid's row is schema::BatteryColumn.
enum MakeColumn : int { kMakeMarker = 0, kMakeKey = 1, kMakeName = 2 }; // idMarca (hidden), Marca
enum ModelColumn : int { kModelMarker = 0, kModelName = 1 };
enum VersionColumn : int {
    kVersionKey = 0, // idVeicolo (hidden)
    kVersionName = 1,
    kVersionFuel = 2,
    kVersionFrom = 3, // year from
    kVersionTo = 4,   // year to
    kVersionCm3 = 5,
    kVersionCv = 6,
    kVersionKw = 7,
};
// fittedVehiclesStatement's record.
enum FittedVehicleColumn : int {
    kFittedKey = 0, // idVeicolo
    kFittedMake = 1,
    kFittedModel = 2,
    kFittedVersion = 3,
    kFittedFrom = 4,
    kFittedTo = 5,
};

} // namespace catalog
