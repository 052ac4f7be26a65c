// The maker's two tables of the demo catalogue, as a maker ships them beside the catalogue
// file (the program reads them from db/): semicolons, a header, CRLF line ends, UTF-8.
//
// The technology table covers the ranges whose names say nothing, so that every rule
// shows: a range flooded, EFB, AGM or GEL by the table ("Korva Power", "Brask Gold",
// "Brask Marine"), one battery of a range set apart by its code (KP074), the ranges named
// "... EFB" and "... AGM" left to their names, and a few ranges ("Korva Service", "Quib
// Moto", "Zelkar Mini"...) left out, so unknown. The registration table names two makes,
// one with each rule.
#include "tools/catalogue-demo/catalogue.h"

#include <fstream>
#include <stdexcept>

namespace demo {

namespace {

const char *const kTechnologies[][3] = {
    {"Korva Start", "TRADIZIONALE", ""},
    {"Korva Power", "EFB", ""},
    {"Korva Power", "AGM", "KP074"},
    {"Korva Heavy", "TRADIZIONALE", ""},
    {"Quib Classic", "TRADIZIONALE", ""},
    {"Quib Plus", "EFB", ""},
    {"Quib Truck", "TRADIZIONALE", ""},
    {"Brask Silver", "TRADIZIONALE", ""},
    {"Brask Gold", "AGM", ""},
    {"Brask Marine", "GEL", ""},
    {"Fenu Eco", "TRADIZIONALE", ""},
    {"Fenu Plus", "EFB", ""},
    {"Zelkar Base", "TRADIZIONALE", ""},
    {"Zelkar Pro", "EFB", ""},
};

const char *const kRegistrations[][3] = {
    {"ALV", "diagnosi", "Dopo la sostituzione registrare la batteria con la diagnosi"},
    {"BOR", "autoapprendimento", "La centralina riconosce da sola la batteria nuova"},
};

void write(const std::string &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    file.close();
    if (!file)
        throw std::runtime_error("cannot write " + path);
}

} // namespace

void writeMakerTables(const std::string &folder)
{
    std::string technologies = "GAMMA;TECNOLOGIA;CODICE\r\n";
    for (const auto &line : kTechnologies)
        technologies += std::string(line[0]) + ";" + line[1] + ";" + line[2] + "\r\n";
    std::string registrations = "idMarca;REGOLA;TESTO\r\n";
    for (const auto &line : kRegistrations)
        registrations += std::string(line[0]) + ";" + line[1] + ";" + line[2] + "\r\n";
    write(folder + "/tecnologie.csv", technologies);
    write(folder + "/registrazione.csv", registrations);
}

} // namespace demo
