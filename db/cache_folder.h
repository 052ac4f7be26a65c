// Where the provider keeps its copies of catalogues: per user, safe to delete. Other
// per-catalogue files of the program (the catalogue kept for "what's new") live beside.
#pragma once

#include <QString>

namespace db {

// $CATALOG_CACHE_DIR when set, else the user's cache folder ($XDG_CACHE_HOME, else
// ~/.cache, + dazozizizavuv/catalogue-copies); created when missing. Checked at every
// call, since every look-up of a copy goes through it: the folder and each one the
// program made on the way must be the user's and writable by nobody else. When it is not
// (or HOME is unset, or XDG_CACHE_HOME names a file), a private folder made for this run
// of the program takes its place and is removed when the program ends; the reason is
// written once to the log. Raises DbError (Open) naming the folder and the reason when
// not even that folder can be made.
QString CatalogueCacheFolder();

} // namespace db
