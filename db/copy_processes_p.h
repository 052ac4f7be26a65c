// The helper processes that make a copy: the helper program found, one process started
// per share of the tables, waited for, and what their exit statuses say.
#pragma once

#include "db/copy_key_p.h"
#include "db/copy_tables_p.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace db::detail {

// The helper's exit statuses; anything else (a crash, a sanitizer's report) reads as a
// failed reading.
enum HelperStatus { HelperDone = 0, HelperDbError = 2, HelperUsage = 4 };

// The name of a share on the helper's command line, and the share a name stands for (All
// for any other name).
const char *shareName(TableShare share);
TableShare shareNamed(const QString &name);

// One copy file: where it is kept, where it is written first, and which tables it holds.
struct CopyShare {
    QString copy;
    QString tmp;
    TableShare tables = TableShare::All;
};

// The helper program's path. Raises DbError(Open) when it is missing.
QString copyHelper();

// Starts one helper per share, each copying its share of the file at `path` (with the
// key `key`) to its temporary file, and waits for all of them; helpers still running
// after `timeoutSeconds` are ended. When any fails, every temporary file is removed and
// DbError(Format) "the catalogue file is damaged" raised, with the helper's report when
// it gave one; DbError(Open) when the helper does not start.
// Returns the notes of the copies made (copyJetTables), one a line.
QStringList makeCopies(const QString &path, const SourceKey &key, const std::vector<CopyShare> &shares,
                       int timeoutSeconds);

} // namespace db::detail
