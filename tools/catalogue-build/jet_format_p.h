// Byte-level pieces of the Jet 4 format shared by the writer's files: page size and
// types, little-endian stores, row pointers, the text encoding and the header page.
#pragma once

#include "tools/catalogue-build/jet_writer.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace jet::detail {

constexpr std::size_t kPageSize = 4096;
constexpr std::uint8_t kPageData = 0x01;
constexpr std::uint8_t kPageTdef = 0x02;
constexpr std::uint8_t kPageMapBits = 0x05;

// A data page holds at most this many rows: row pointers keep the row number in one byte,
// and writers of the format never fill the 256th slot.
constexpr int kMaxRowsPerPage = 255;
// Longest row we write; longer ones would read, but other writers never make them.
constexpr std::size_t kMaxRowLength = 4060;
// Room on an empty data page: everything after the 14-byte page header.
constexpr std::size_t kEmptyPageFree = kPageSize - 14;
// Every usage-map row is 69 bytes: a type byte and 64 bitmap bytes plus a start page
// (inline), or a type byte and 17 page numbers of bitmap pages (reference).
constexpr std::size_t kMapRowLength = 69;
// Pages covered by one bitmap page of a reference map (4092 bytes of bits).
constexpr std::uint32_t kPagesPerBitmapPage = (kPageSize - 4) * 8;

inline void put16(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
inline void put32(std::uint8_t *p, std::uint32_t v)
{
    put16(p, v);
    put16(p + 2, v >> 16);
}
inline void putDouble(std::uint8_t *p, double v)
{
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    put32(p, std::uint32_t(bits));
    put32(p + 4, std::uint32_t(bits >> 32));
}
inline std::uint32_t get16(const std::uint8_t *p) { return p[0] | (p[1] << 8); }

// A row pointer: row number in the low byte, page number above it.
inline std::uint32_t rowPointer(std::uint32_t page, std::uint32_t row) { return (page << 8) | row; }

// Plain UTF-16LE, as names are always stored.
void appendUtf16(std::string &out, const std::u16string &text);
// A TEXT or MEMO value as stored: the one-byte-per-character form behind the FF FE marker
// when the column allows it and every character is U+0001..U+00FF, else UTF-16LE.
std::string encodeText(const std::u16string &text, bool compressible);

// The 17 bytes of a Decimal given as text ("-12.5") for a column of this precision and
// scale, and the 16 bytes of a GUID given as "{8E39276A-BCA8-4AC4-891E-49911D8438DD}";
// JetError when the text is not such a value or has more digits than the column holds.
std::string encodeDecimal(const std::u16string &text, int precision, int scale);
std::string encodeGuid(const std::u16string &text);

// The 4096 bytes of page 0 for a file with this password and creation date.
std::vector<std::uint8_t> headerPage(const DatabaseOptions &options);

} // namespace jet::detail
