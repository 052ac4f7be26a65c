// The Jet value types libmdb does not read as Access shows them: Decimal, Single, GUID
// and the 8-bit text of Jet 3 files. Only the copy's paths for those types call these,
// so the common types keep their direct reading.
#pragma once

#include "db/row_buffer_p.h"

#include <QByteArray>
#include <cstddef>
#include <string>

namespace db::detail {

// Bytes of a Decimal value in the row, and of a GUID.
inline constexpr int kDecimalBytes = 17;
inline constexpr int kGuidBytes = 16;

// The exact text of a Decimal value with `scale` digits after the point (0..28): no
// trailing zeros in the fraction, no point without a fraction, no sign on zero ("-12.5",
// "4", "0"). Returns an empty text when the value has more digits than a Decimal holds.
std::string decimalText(const unsigned char *value, int scale);

// Stores a Decimal value as the number it is: a whole number when it has no fraction and
// fits 64 bits, a real when its text has at most 15 significant digits (a double reads
// them back unchanged), else its text. Returns false for a value a Decimal cannot hold.
bool setDecimal(RowBuffer &rows, size_t column, const unsigned char *value, int scale);

// The double nearest to the shortest decimal text of `value`: it prints as that text
// ("1.1", not the widening 1.100000023841858), converts back to the same float, and
// orders as the floats do.
double singleAsDouble(float value);

// A GUID as Access shows it, "{8E39276A-BCA8-4AC4-891E-49911D8438DD}": the first three
// groups are stored little-endian, the last two byte by byte.
std::string guidText(const unsigned char *value);

// Text of a Jet 3 file stored in the Windows-1252 code page, as UTF-8; the five bytes the
// code page leaves unassigned become the C1 controls of the same value, as Windows reads
// them, so no byte is lost.
QByteArray codePageText(const unsigned char *bytes, size_t size);

} // namespace db::detail
