// Numbers as the layer reads them out as text.
#pragma once

#include <QString>

namespace db::detail {

// The shortest text that reads back as exactly `value`, without an exponent for
// ordinary magnitudes (60.5, 12, 0.1, -3.25); an exponent only below 1e-6 or from 1e21.
QString formatNumber(double value);

} // namespace db::detail
