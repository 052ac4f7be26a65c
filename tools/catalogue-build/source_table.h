// One source table: a CSV file named after the table whose header line declares each
// column as `name:type` (long, int, byte, bool, single, double, decimal(P,S), datetime,
// guid, text(N), text, memo), and the conversion of its records into the writer's values.
#pragma once

#include "tools/catalogue-build/jet_writer.h"
#include "tools/catalogue-build/source_csv.h"

#include <filesystem>

namespace catalogue {

struct SourceTable {
    std::string file; // the path as reported in errors
    std::u16string name;
    std::vector<jet::Column> columns;
    std::vector<std::string> names; // the column names as written (UTF-8), for messages
    std::vector<CsvRecord> records; // the data records, header excluded
};

// Reads and splits the file and parses its header; SourceError on any problem.
SourceTable readSourceTable(const std::filesystem::path &path);

// The source word of a column type ("long", "text", ...).
const char *typeWord(jet::ColumnType type);

// The values of one data record. Empty unquoted fields are Null, "" is the empty text;
// bool takes true/false in any case, 1/0 and -1/0; numbers use a decimal point; a guid is
// written {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX};
// datetime takes YYYY-MM-DD with an optional time HH:MM[:SS] after a blank or a T.
std::vector<jet::Value> convertRecord(const SourceTable &table, const CsvRecord &record);

} // namespace catalogue
