// Which batteries of a price list fit the space of a customer's old battery, and in what
// order the counter should offer them. No widgets and no database: the batteries come in
// as the catalogue's texts, the old battery as parsed numbers and texts.
//
// A battery fits when it is no longer, no wider and no taller (plus the tolerance) than
// the old one; a measure of the old battery left empty does not restrict. The order puts
// first the same polarity, then the same hold-down, then "like for like or better"
// (capacity and discharge not below the old ones), then what the shop has in stock, then
// the least spare space, and last the catalogue's own order (ORDINE, then CODICE).
#pragma once

#include <QString>
#include <QStringView>
#include <optional>
#include <vector>

namespace catalog {

// One TabTechInfo row as the catalogue holds it: every value as its text, blanks kept.
struct ReplacementCandidate {
    QString range{};     // GAMMA
    QString code{};      // CODICE
    QString capacity{};  // CAPACITA, ampere-hours
    QString discharge{}; // SCARICA, amperes
    QString polarity{};  // POLO_POSITIVO
    QString length{};    // LUNGHEZZA, millimetres
    QString width{};     // LARGHEZZA, millimetres
    QString height{};    // ALTEZZA, millimetres
    QString holdDown{};  // ATTACCHI_BASE
    QString order{};     // ORDINE
    QString oldCode{};   // OLD_CODICE: filled on the rows that name a former code
    std::optional<int> stock{}; // the shop's quantity here; empty when its stock is not known
};

// The battery to replace. An empty optional or an empty text does not restrict.
struct OldBattery {
    std::optional<double> length{}; // millimetres
    std::optional<double> width{};
    std::optional<double> height{};
    std::optional<double> capacity{};  // ampere-hours
    std::optional<double> discharge{}; // amperes
    QString polarity{};
    QString holdDown{};
    double heightTolerance = 0; // millimetres the new one may stand above the old one
};

// A battery that fits, with what the ranking found out about it.
struct RankedReplacement {
    ReplacementCandidate battery{};
    std::optional<double> length{}; // the battery's measures, as numbers where they are
    std::optional<double> width{};
    std::optional<double> height{};
    std::optional<double> capacity{};
    std::optional<double> discharge{};
    bool polarityDiffers = false; // only when the old polarity is known
    bool holdDownDiffers = false; // only when the old hold-down is known
    bool weakerCapacity = false;  // less capacity than the old battery
    bool weakerDischarge = false; // less discharge than the old battery
    double spareSpace = 0;        // sum of old - new over the old battery's known measures
};

struct ReplacementResult {
    std::vector<RankedReplacement> fits; // best first
    int unmeasured = 0;                  // batteries left out because a measure to compare is not a number
};

// A number as a person or the catalogue writes it: blanks around it, an optional sign,
// digits and at most one decimal separator, "." or ",". Anything else is no number.
std::optional<double> parseNumber(QStringView text);

// The batteries of `candidates` that fit the old battery's space, best first. Rows that
// only point from a former code to its successor (OLD_CODICE filled, no measures) are not
// batteries and are neither listed nor counted.
ReplacementResult rankReplacements(const std::vector<ReplacementCandidate> &candidates, const OldBattery &old);

// Whether the shop has the battery: a known quantity above none.
bool inStock(const ReplacementCandidate &battery);

// `shown` followed by the difference from the old value in brackets: "60 (+4)",
// "240 (−2)", "242 (=)"; `shown` alone when either value is unknown.
QString withDifference(const QString &shown, std::optional<double> value, std::optional<double> old);

} // namespace catalog
