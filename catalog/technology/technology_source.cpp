// Reading a vehicle's batteries for its need. Rows of no price list (a blank or Null
// LISTINO) are no battery the counter can sell, so they say nothing about the vehicle.
#include "catalog/technology/technology_source.h"

#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "data/query_channel.h"

namespace catalog {

QString vehicleBatteriesStatement(const QString &vehicleKey)
{
    return QStringLiteral(
               R"(SELECT DISTINCT TabTechInfo.GAMMA, TabTechInfo.CODICE FROM )"
               R"((CP_Veicoli_Rel_Korva_Master INNER JOIN TabDistintaBatterie ON CP_Veicoli_Rel_Korva_Master.ktypnr = TabDistintaBatterie.ktypnr) )"
               R"(INNER JOIN TabTechInfo ON TabDistintaBatterie.codice = TabTechInfo.CODICE )"
               R"(WHERE CP_Veicoli_Rel_Korva_Master.idVeicolo = %1 AND not TabTechInfo.LISTINO is null )"
               R"(AND trim(TabTechInfo.LISTINO) <> "")")
        .arg(numberLiteral(QStringLiteral("idVeicolo"), vehicleKey));
}

std::optional<std::vector<std::pair<QString, QString>>> loadVehicleBatteries(const QString &vehicleKey)
{
    if (ApriQRY(vehicleBatteriesStatement(vehicleKey)) < 0)
        return std::nullopt;
    // Read by position, which cannot fail on the statement's own two fields.
    db::Query &q = DM->ADOQuery1;
    std::vector<std::pair<QString, QString>> rows;
    rows.reserve(std::size_t(q.RecordCount()));
    for (; !q.Eof(); q.Next())
        rows.emplace_back(q.AsString(0), q.AsString(1));
    q.Close();
    return rows;
}

} // namespace catalog
