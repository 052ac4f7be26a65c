// The catalogue-copy helper program: the process the database layer starts to read a
// catalogue file through libmdb into SQLite, so that a crash or a hang of the reader on a
// damaged file ends that process and never the program. Its work lives here, beside the
// reader it runs; tools/catalogue-copy only hands it the command line.
#pragma once

#include <QStringList>

namespace db {

// The helper's file name; it is installed in the program folder, beside the executable.
inline constexpr const char *kCopyHelperName = "catalogue-copy";

// Runs the helper on its command line (without the program name) and returns its exit
// status. The command line is written by the database layer and is no interface for
// people.
int runCopyHelper(const QStringList &arguments);

} // namespace db
