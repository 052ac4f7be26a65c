// Writing the catalogue as the builder's CSV sources: one file per table, named after the
// table, RFC 4180 with CRLF line ends, UTF-8; the header names each column with its type.
// An empty unquoted field is Null, "" is the empty text.
#include "tools/catalogue-demo/catalogue.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace demo {

namespace {

std::string field(const Text &value)
{
    if (!value)
        return {};
    if (value->empty())
        return "\"\"";
    if (value->find_first_of(",\"\r\n") == std::string::npos)
        return *value;
    std::string quoted = "\"";
    for (char c : *value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string field(const Number &value)
{
    if (!value)
        return {};
    if (*value == std::floor(*value))
        return std::to_string(static_cast<long long>(*value));
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", *value); // point, whatever the locale says
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    return s;
}

std::string field(long value) { return std::to_string(value); }
std::string field(int value) { return std::to_string(value); }
std::string field(const std::string &value) { return field(Text(value)); }

class CsvFile {
public:
    CsvFile(const std::string &folder, const std::string &table, const std::string &header)
        : m_path(folder + "/" + table + ".csv")
    {
        m_out << header << "\r\n";
    }

    template <class... Fields>
    void row(const Fields &...fields)
    {
        bool first = true;
        ((m_out << (first ? "" : ",") << field(fields), first = false), ...);
        m_out << "\r\n";
    }

    void save() const
    {
        std::ofstream file(m_path, std::ios::binary | std::ios::trunc);
        file << m_out.str();
        file.close();
        if (!file)
            throw std::runtime_error("cannot write " + m_path);
    }

private:
    std::string m_path;
    std::ostringstream m_out;
};

} // namespace

void writeCsvSources(const Catalogue &c, const std::string &folder)
{
    CsvFile vehicles(folder, "CP_Veicoli",
                     "idVeicolo:long,idMarca:text(10),Marca:text(50),Modello:text(60),"
                     "Versione:text(80),Alimentazione:text(20),Dal:text(10),Al:text(10),"
                     "Cm3:long,Cv:long,Kw:long");
    for (const Vehicle &v : c.vehicles)
        vehicles.row(v.id, v.makeKey, v.make, v.model, v.version, v.fuel, v.from, v.to, v.cm3, v.cv, v.kw);

    CsvFile relations(folder, "CP_Veicoli_Rel_Korva_Master", "idVeicolo:long,ktypnr:long");
    for (const Relation &r : c.relations)
        relations.row(r.vehicle, r.ktypnr);

    CsvFile fitments(folder, "TabDistintaBatterie", "ktypnr:long,codice:text(30)");
    for (const Fitment &f : c.fitments)
        fitments.row(f.ktypnr, f.code);

    CsvFile batteries(folder, "TabTechInfo",
                      "LISTINO:text(20),GAMMA:text(40),CODICE:text(30),OLD_CODICE:text(30),"
                      "CAPACITA:double,SCARICA:long,POLO_POSITIVO:text(10),LUNGHEZZA:text(10),"
                      "LARGHEZZA:text(10),ALTEZZA:text(10),ATTACCHI_BASE:text(10),"
                      "MONOBLOCCO:text(20),FOTO:text(40),NOTE:text(255),ORDINE:long");
    for (const Battery &b : c.batteries)
        batteries.row(b.priceList, b.range, b.code, b.oldCode, b.capacity, b.discharge, b.polarity, b.length, b.width,
                      b.height, b.fittings, b.container, b.photo, b.note, b.order);

    CsvFile oneRow(folder, "Tab1riga", "id:long");
    oneRow.row(1L);

    for (const CsvFile *file : {&vehicles, &relations, &fitments, &batteries, &oneRow})
        file->save();
}

} // namespace demo
