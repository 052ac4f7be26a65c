// Shortest round-trip formatting through std::to_chars, which picks the fewest digits
// that read back as the same double.
#include "db/number_text_p.h"

#include <charconv>
#include <cmath>

namespace db::detail {

QString formatNumber(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (value == 0)
        return QStringLiteral("0"); // also for -0
    char buf[400];
    const double mag = std::fabs(value);
    const auto format = (mag >= 1e-6 && mag < 1e21) ? std::chars_format::fixed : std::chars_format::scientific;
    const auto res = std::to_chars(buf, buf + sizeof buf, value, format);
    return QString::fromLatin1(buf, res.ptr - buf);
}

} // namespace db::detail
