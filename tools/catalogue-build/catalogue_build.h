// Building a catalogue: every TABLE.csv of a source folder becomes a table of
// OUT_DIR/vc_korva.mdb, written beside an empty workgroup file OUT_DIR/system.mdw.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace catalogue {

struct BuildOptions {
    std::filesystem::path sourceDir;
    std::filesystem::path outDir;
    std::u16string password;     // of the catalogue; the workgroup file has none
    std::optional<double> date;  // creation date (day number); else the sources' latest change
    bool catalogueSchema = true; // require the five tables the catalogue program reads
};

struct BuildSummary {
    int tables = 0;
    long long rows = 0;
};

// Reads and checks every source, then writes both files under temporary names and renames
// them into place, so a failure (SourceError "file:line: reason", or jet::JetError) leaves
// OUT_DIR as it was.
BuildSummary buildCatalogue(const BuildOptions &options);

// The program's fixed database password: the 20 characters U+0001..U+0014.
std::u16string defaultPassword();

} // namespace catalogue
