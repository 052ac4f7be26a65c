// The technology guard's rules, without widgets or a database: what technology a battery
// is, what a vehicle needs, and the lines the counter reads about both.
//
// A battery's technology comes from the maker's table (a line for its code first, then
// one for its range), else from the words of its range's name (AGM, EFB or GEL as whole
// words), else it is unknown. A range whose name says nothing is not taken to be flooded:
// only the maker says so. The order of the rules is flooded < EFB < AGM, GEL counting as
// AGM; unknown is never lower or higher than anything.
#pragma once

#include "report/maker_tables.h"

#include <QHash>
#include <QString>
#include <optional>
#include <vector>

namespace catalog {

using report::Technology;

// The technology a range's name gives, by its whole words ("Korva AGM", "efb plus");
// Unknown when it names none, or two that rank differently.
Technology TechnologyFromRangeName(QStringView range);

// Whether `candidate` is a lower technology than `reference`; false when either is unknown.
bool IsLowerTechnology(Technology candidate, Technology reference);

// The higher of two technologies; a known one wins over unknown.
Technology HigherTechnology(Technology a, Technology b);

// "AGM", "EFB", "GEL", "tradizionale", "non indicata".
QString TechnologyName(Technology t);

// The maker's technology table over the range words.
class TechnologyRule {
public:
    TechnologyRule() = default; // range words only
    explicit TechnologyRule(const std::vector<report::TechnologyEntry> &table);

    Technology Of(const QString &range, const QString &code) const;

private:
    QHash<QString, Technology> m_byCode;  // folded CODICE
    QHash<QString, Technology> m_byRange; // folded GAMMA
};

// What a vehicle needs, from the technologies of every battery the catalogue lists for
// it: EFB or AGM (the lowest of them) when every one is known and EFB or better;
// nothing while any is unknown or flooded, or none is listed.
std::optional<Technology> VehicleNeed(const std::vector<Technology> &listed);

// "Richiede EFB o superiore", "Richiede AGM".
QString NeedText(Technology need);

// One line of the information strip; an empty text hides it.
struct StripText {
    QString text;
    bool warning = false; // drawn red

    bool operator==(const StripText &) const = default;
};

// The shown battery's line, with the chosen vehicle's need when there is one:
// "Tecnologia AGM", "AGM – adatta · Richiede EFB o superiore",
// "EFB – tecnologia inferiore a quella richiesta (AGM)" (a warning).
StripText TechnologyLine(Technology battery, std::optional<Technology> need);

// The registration rules by make, from the maker's table.
class RegistrationRule {
public:
    RegistrationRule() = default; // no table: nothing is ever said
    explicit RegistrationRule(const std::vector<report::RegistrationEntry> &table);

    // The make's text, a warning when a diagnostic tool is needed; empty for a make the
    // table does not name.
    StripText For(const QString &makeKey) const;

private:
    QHash<QString, StripText> m_byMake; // folded idMarca
};

} // namespace catalog
