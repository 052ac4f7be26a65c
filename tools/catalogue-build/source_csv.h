// The CSV sources of a catalogue: RFC 4180 records with the line each starts on, UTF-8
// decoding, and the error every source problem is reported with ("file:line: reason").
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace catalogue {

class SourceError : public std::runtime_error {
public:
    SourceError(const std::string &file, int line, const std::string &reason)
        : std::runtime_error(file + ":" + std::to_string(line) + ": " + reason)
    {}
};

struct CsvField {
    std::string text; // UTF-8, quotes removed and doubled quotes undone
    bool quoted = false;
};

struct CsvRecord {
    int line = 0; // where the record starts; quoted line breaks make records span lines
    std::vector<CsvField> fields;
};

// Splits a whole file. Records end at LF, CR LF or CR outside quotes; a final line break
// does not start another record. A leading UTF-8 byte-order mark is skipped.
std::vector<CsvRecord> parseCsv(std::string_view data, const std::string &file);

// UTF-8 to UTF-16; malformed sequences are a SourceError at `line`.
std::u16string decodeUtf8(std::string_view text, const std::string &file, int line);

} // namespace catalogue
