// What changed from one catalogue to the next, as counters ask it: vehicles, fitments,
// batteries and old codes added, removed or changed, and per vehicle the battery codes it
// gained or lost. Values compare exactly, as text (a changed letter case is a change).
#pragma once

#include "report/catalogue_tables.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace catalog::report {

// In the order the report lists them.
enum class Subject { Vehicle, Fitment, Battery, OldCode };
enum class ChangeKind { Added, Removed, Changed };

struct Change {
    ChangeKind change = ChangeKind::Added;
    Subject subject = Subject::Vehicle;
    QStringList key; // idVeicolo; ktypnr, codice; LISTINO, CODICE; LISTINO, OLD_CODICE
    QString field;   // Changed: the column
    Value oldValue;  // Changed: the values (Null possible)
    Value newValue;
    QString label; // for people: the vehicle's make, model and version; the battery's range

    QString keyText() const { return key.join(u'/'); }
};

// A vehicle in both catalogues whose fitting battery codes changed (through its type
// numbers' fitments or its relation rows).
struct VehicleCodes {
    QString idVeicolo;
    QString name; // make, model, version
    QStringList gained;
    QStringList lost;
};

struct CatalogueDiff {
    QString oldPath;
    QString newPath;
    // By subject, then key (whole numbers by value), then the column's place in the table.
    std::vector<Change> changes;
    // By idVeicolo.
    std::vector<VehicleCodes> vehicleCodes;
    // What could not be compared: a table missing in one catalogue, a column only in one.
    QStringList notes;

    // Changed counts distinct keys, not columns.
    int count(Subject subject, ChangeKind change) const;
};

CatalogueDiff DiffCatalogues(const Catalogue &oldCatalogue, const Catalogue &newCatalogue);

} // namespace catalog::report
