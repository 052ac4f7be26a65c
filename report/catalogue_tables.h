// A catalogue's five tables read whole into memory through the database layer, with the
// options every catalogue tool takes to open one (password, workgroup file; read from a
// command line in report/tool_arguments.h).
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace catalog::report {

// A value as the catalogue holds it: Null, or its text as the database layer gives it.
using Value = std::optional<QString>;
using Row = std::vector<Value>;

struct Table {
    QString name;
    bool present = false;  // false: the catalogue has no such table
    QStringList columns;   // as the file spells them
    std::vector<Row> rows; // in the file's order

    // Position of the column `columnName` compared without regard to case; -1 when none.
    int column(const QString &columnName) const;
};

struct Catalogue {
    QString path;
    Table vehicles;  // CP_Veicoli
    Table relations; // CP_Veicoli_Rel_Korva_Master
    Table fitments;  // TabDistintaBatterie
    Table batteries; // TabTechInfo: battery rows and old-code rows
    Table oneRow;    // Tab1riga

    std::vector<const Table *> all() const { return {&vehicles, &relations, &fitments, &batteries, &oneRow}; }
};

struct OpenOptions {
    QString password = DefaultPassword(); // the database password
    QString workgroup;                    // empty: system.mdw beside the catalogue

    // The program's fixed database password: the characters with the codes 1 to 20.
    static QString DefaultPassword();
};

// The Jet connection string of the catalogue at `mdb` with these options.
QString ConnectionStringFor(const QString &mdb, const OpenOptions &options);

// Opens the catalogue through the database layer and reads its five tables. Raises
// db::DbError with the provider's message when the file cannot be opened; a table the
// catalogue lacks is read as not present.
Catalogue ReadCatalogue(const QString &mdb, const OpenOptions &options);

// The two catalogues of a comparison, each read on a thread and connection of its own:
// what one spends waiting for its copy to be made, the other spends reading. Raises as
// ReadCatalogue does, the old catalogue's error first when both fail.
std::pair<Catalogue, Catalogue> ReadCatalogues(const QString &oldMdb, const QString &newMdb,
                                               const OpenOptions &options);

// Whether a battery-data row is an old-code row: its OLD_CODICE holds a former code.
bool IsOldCodeRow(const Table &batteries, const Row &row);

// A vehicle as people name it: make, model and version (those that are not empty).
QString VehicleName(const Table &vehicles, const Row &row);

// Order of keys made of several values: part by part, whole numbers by value, other
// texts by their characters.
int CompareKeys(const QStringList &a, const QStringList &b);

// Text of a key made of several values, '/' between them, Null as the empty text.
QString KeyText(std::initializer_list<const Value *> parts);

} // namespace catalog::report
