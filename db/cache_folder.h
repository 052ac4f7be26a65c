// Where the provider keeps its copies of catalogues: per user, safe to delete. Other
// per-catalogue files of the program (the catalogue kept for "what's new") live beside.
#pragma once

#include <QString>

namespace db {

// $CATALOG_CACHE_DIR, else the user's cache folder, else the temporary folder; created
// when missing.
QString CatalogueCacheFolder();

} // namespace db
