// The batteries the replacement finder chooses from: every battery row of a price list,
// read through the query channel.
#pragma once

#include "catalog/replacement/replacement_ranking.h"

#include <optional>
#include <vector>

namespace catalog {

// The battery rows of `priceList` (the run-out marks left out). Empty optional when the
// query failed: the query channel has then shown its message.
std::optional<std::vector<ReplacementCandidate>> loadReplacementCandidates(const QString &priceList);

} // namespace catalog
