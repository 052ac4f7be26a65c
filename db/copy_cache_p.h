// The SQLite copy of a catalogue file: made by helper processes, kept for later opens.
#pragma once

#include <QString>
#include <QStringList>

class QFile;

namespace db::detail {

// The paths of the SQLite copy of the Jet file at `path`, open for reading as `file`,
// with the indexes of `indexHints` (index_plan_p.h):
// the main database first, then the databases to attach to it (together they hold every
// table). A copy made earlier is used when its recorded path, size, modification time,
// index hints, identity and sample all equal the file's (catalogue_file_p.h), or, when only the
// identity or the sample differ, its content hash; otherwise a new one is made by the
// helper program (db/copy_helper.h), so that a crash or a hang of the reader on a damaged
// file ends only a helper. While another process makes the same copy, it is waited for
// (at most `timeoutSeconds`) and used. Raises DbError(Format) "the catalogue file is
// damaged" when a helper fails or they take longer than `timeoutSeconds`, DbError(Open)
// when the helper is missing or the file changed while the helpers read it (however the
// helper ended).
QStringList sqliteCopyOf(const QString &path, QFile &file, const QList<QStringList> &indexHints, int timeoutSeconds);

} // namespace db::detail
