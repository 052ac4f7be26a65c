// The batteries the catalogue lists for one vehicle, every price list, read through the
// query channel: what the vehicle's need is worked out from.
#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace catalog {

// The statement: distinct GAMMA, CODICE of every battery row of a listed price list whose
// code a fitment of one of the vehicle's type numbers names (before the tallest-per-range
// rule). `vehicleKey` must be a number (CatalogError otherwise).
QString vehicleBatteriesStatement(const QString &vehicleKey);

// Range and code of each; empty optional when the query failed, after the query channel
// showed its message.
std::optional<std::vector<std::pair<QString, QString>>> loadVehicleBatteries(const QString &vehicleKey);

} // namespace catalog
