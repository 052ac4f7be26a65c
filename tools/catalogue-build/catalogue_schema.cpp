// The catalogue's schema requirements, as a table of columns and kinds.
#include "tools/catalogue-build/catalogue_schema.h"

#include <algorithm>

namespace catalogue {

namespace {

// Grids show every required column, and a memo reaches a grid as "(MEMO)", so no
// required column may be a memo; beyond that, a compared column needs the right kind.
enum class Kind { Text, Integer, Number, Shown };

struct Requirement {
    const char *table;
    std::vector<std::pair<const char *, Kind>> columns;
    std::vector<const char *> forbidden; // would make the join statements ambiguous
};

const std::vector<Requirement> &requirements()
{
    static const std::vector<Requirement> list = {
        {"CP_Veicoli",
         {{"idVeicolo", Kind::Integer},
          {"idMarca", Kind::Text},
          {"Marca", Kind::Text},
          {"Modello", Kind::Text},
          {"Versione", Kind::Text},
          {"Alimentazione", Kind::Text},
          {"Dal", Kind::Text},
          {"Al", Kind::Text},
          {"Cm3", Kind::Shown},
          {"Cv", Kind::Shown},
          {"Kw", Kind::Shown}},
         {}},
        {"CP_Veicoli_Rel_Korva_Master",
         {{"idVeicolo", Kind::Integer}, {"ktypnr", Kind::Shown}},
         {"idMarca", "Marca", "Modello", "Versione", "Alimentazione", "Dal", "Al", "Cm3", "Cv", "Kw"}},
        {"TabDistintaBatterie", {{"ktypnr", Kind::Shown}, {"codice", Kind::Text}}, {"Dal", "Al"}},
        {"TabTechInfo",
         {{"LISTINO", Kind::Text},
          {"GAMMA", Kind::Text},
          {"CODICE", Kind::Text},
          {"OLD_CODICE", Kind::Text},
          {"CAPACITA", Kind::Number},
          {"SCARICA", Kind::Number},
          {"POLO_POSITIVO", Kind::Text},
          {"LUNGHEZZA", Kind::Text},
          {"LARGHEZZA", Kind::Text},
          {"ALTEZZA", Kind::Text},
          {"ATTACCHI_BASE", Kind::Text},
          {"MONOBLOCCO", Kind::Text},
          {"FOTO", Kind::Text},
          {"NOTE", Kind::Text},
          {"ORDINE", Kind::Shown}},
         {}},
        {"Tab1riga", {}, {}},
    };
    return list;
}

bool sameWord(const std::string &a, const std::string &b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

std::string utf8Name(const std::u16string &s)
{
    // Table names of interest are ASCII; others only need to differ from them.
    std::string out;
    for (char16_t c : s)
        out.push_back(c < 0x80 ? char(c) : '?');
    return out;
}

bool fits(jet::ColumnType t, Kind kind)
{
    using T = jet::ColumnType;
    const bool integer = t == T::Long || t == T::Int || t == T::Byte;
    switch (kind) {
    case Kind::Text: return t == T::Text;
    case Kind::Integer: return integer;
    case Kind::Number: return integer || t == T::Single || t == T::Double || t == T::Numeric;
    case Kind::Shown: return t != T::Memo;
    }
    return false;
}

const char *kindWord(Kind kind)
{
    switch (kind) {
    case Kind::Text: return "text";
    case Kind::Integer: return "a whole number (long, int or byte)";
    case Kind::Number: return "a number (long, int, byte, single, double or decimal)";
    case Kind::Shown: return "any type but memo";
    }
    return "";
}

int columnIndex(const SourceTable &t, const char *name)
{
    for (std::size_t i = 0; i < t.names.size(); ++i)
        if (sameWord(t.names[i], name))
            return int(i);
    return -1;
}

} // namespace

void checkCatalogueSchema(const std::vector<SourceTable> &tables, const std::filesystem::path &sourceDir)
{
    std::vector<const SourceTable *> found;
    for (const Requirement &r : requirements()) {
        const auto it = std::find_if(tables.begin(), tables.end(),
                                     [&](const SourceTable &t) { return sameWord(utf8Name(t.name), r.table); });
        if (it == tables.end())
            throw SourceError((sourceDir / (std::string(r.table) + ".csv")).string(), 1,
                              std::string("the catalogue needs the table ") + r.table + "; its file is missing");
        const SourceTable &t = *it;
        found.push_back(&t);
        for (const auto &[name, kind] : r.columns) {
            const int i = columnIndex(t, name);
            if (i < 0)
                throw SourceError(t.file, 1,
                                  std::string("the catalogue needs a column ") + name + " (" + kindWord(kind) + ")");
            if (!fits(t.columns[std::size_t(i)].type, kind))
                throw SourceError(t.file, 1,
                                  std::string("column ") + name + " must be " + kindWord(kind) + ", not "
                                      + typeWord(t.columns[std::size_t(i)].type));
        }
        for (const char *name : r.forbidden)
            if (columnIndex(t, name) >= 0)
                throw SourceError(t.file, 1,
                                  std::string("column ") + name + " may not be in " + r.table
                                      + ": the catalogue's joins name it without a table");
    }
    const SourceTable &relation = *found[1];
    const SourceTable &fitments = *found[2];
    const auto relationType = relation.columns[std::size_t(columnIndex(relation, "ktypnr"))].type;
    const auto fitmentType = fitments.columns[std::size_t(columnIndex(fitments, "ktypnr"))].type;
    if (relationType != fitmentType)
        throw SourceError(relation.file, 1,
                          std::string("column ktypnr must have the type of TabDistintaBatterie.ktypnr (")
                              + typeWord(fitmentType) + "), not " + typeWord(relationType));
    const SourceTable &oneRow = *found[4];
    if (oneRow.records.size() != 1)
        throw SourceError(oneRow.file, oneRow.records.size() > 1 ? oneRow.records[1].line : 1,
                          "Tab1riga must hold exactly one row, not " + std::to_string(oneRow.records.size()));
}

} // namespace catalogue
