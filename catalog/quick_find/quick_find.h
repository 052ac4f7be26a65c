// The catalogue's search-as-you-type: what the counter types into the one search box
// ("pernice hdi", "QP56", "278x175x190", "70Ah 640A") turned into the rows of a short list,
// in three groups: vehicles, battery codes (old codes too) and batteries by measures.
//
// Typed text never reaches a statement. The catalogue's vehicles and battery rows are
// read once, with two fixed statements, into memory, where every keystroke is answered by
// a search of pre-folded text, so no quote, wildcard or bracket in the text can mean
// anything but itself. Text is matched as the catalogue compares it: without regard to
// case or accents.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace db {
class Connection;
}

namespace catalog {

// A vehicle with at least one relation row, the only vehicles the window ever lists.
struct FindVehicle {
    QString idVeicolo, idMarca, marca, modello, versione, alimentazione;
    QString yearFrom, yearTo; // the first four characters of Dal and Al
    QString kw;
};

// One row of the battery table (an old-code row too: then oldCodice is set and codice
// holds the successor, or "ESAURIMENTO").
struct FindBattery {
    QString listino, gamma, codice, oldCodice;
    QString capacita, scarica, lunghezza, larghezza, altezza;
};

// What the typed text asks for, each part absent when the text is not of its form.
struct FindRequest {
    QStringList words;                           // folded, distinct, none inside another; longest first;
                                                 // none when the text holds more than 64 different words
    QString codePrefix;                          // folded; set when the text is one word
    std::optional<double> length, width, height; // "278x175x190", "278 175 190"
    std::optional<double> capacity, discharge;   // "70Ah", "640A", "70Ah 640A", "70 640", "70"
};

// Reads the typed text; never fails: a text of no known form asks for nothing.
FindRequest ParseFindText(const QString &text);

// A number as the catalogue or the counter writes it ("60", "62.5", "62,5"), or none.
std::optional<double> FindNumber(const QString &text);

enum class FindKind {
    Vehicle,  // a vehicle to drill down to
    Code,     // a battery code of the price list
    OldCode,  // a former code, with its successor or run out
    Measures, // a battery with the length, width and height typed
    Ratings,  // a battery with the capacity and/or discharge typed
};

// One row of the list; `index` points into the finder's vehicles or batteries.
struct FindRow {
    FindKind kind = FindKind::Vehicle;
    int index = 0;
    QString text; // what the row says
};

// The caption of a group of rows ("Veicoli", "Codici batteria", "Misure").
QString FindGroupCaption(FindKind kind);

class QuickFinder {
public:
    static constexpr int kMaxRows = 50;

    QuickFinder() = default;
    // `vehicles` in the order the list shows them (make, model, version).
    QuickFinder(std::vector<FindVehicle> vehicles, std::vector<FindBattery> batteries);

    // The rows for `text` in the price list `priceList`: vehicles first, then codes and
    // old codes, then measures; at most kMaxRows in all, shared out among the groups so
    // that a group with matches is never crowded out by a larger one.
    std::vector<FindRow> find(const QString &text, const QString &priceList) const;

    const std::vector<FindVehicle> &vehicles() const { return m_vehicles; }
    const std::vector<FindBattery> &batteries() const { return m_batteries; }

private:
    // What a keystroke compares of a battery row, folded and read as numbers at load.
    struct BatteryKeys {
        QString code, oldCode;
        std::optional<double> capacity, discharge, length, width, height;
    };

    // Make, model and version of every vehicle folded, one per line, as UTF-8 in one run
    // of bytes, each vehicle's ended by a zero: a keystroke looks for its longest word
    // through the whole run at once and checks the other words only where it occurs, which
    // is quicker and smaller than a text per vehicle.
    QByteArray m_vehicleKeys;
    std::vector<uint32_t> m_vehicleKeyStart; // where each vehicle's begins; one more at the end

    std::vector<FindVehicle> m_vehicles;
    std::vector<FindBattery> m_batteries;
    std::vector<BatteryKeys> m_batteryKeys;
};

// Reads the catalogue's vehicles and battery rows through `connection`; raises the
// database layer's error when a statement fails.
QuickFinder LoadQuickFinder(db::Connection &connection);

} // namespace catalog
