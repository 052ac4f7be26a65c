// What the catalogue program needs of its five tables: the tables, the columns it names,
// the kinds of value it compares them with, and the columns it must not find twice in a
// join. Checked on the sources before anything is written.
#pragma once

#include "tools/catalogue-build/source_table.h"

namespace catalogue {

// SourceError (at the file and line to mend) for the first requirement not met. Missing
// tables are reported at line 1 of the file that should hold them in `sourceDir`.
void checkCatalogueSchema(const std::vector<SourceTable> &tables, const std::filesystem::path &sourceDir);

} // namespace catalogue
