// The SQLite copy of a catalogue file: made by helper processes, kept for later opens.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace db::detail {

// The paths of the SQLite copy of the Jet file at `path`, whose whole content is `file`:
// the main database first, then the databases to attach to it (together they hold every
// table). A copy made earlier is used when its recorded path, size, modification time and
// content hash all equal the file's in every one of its files; otherwise a new one is made
// by the helper program (db/copy_helper.h), so that a crash or a hang of the reader on a
// damaged file ends only a helper. Raises DbError(Format) "the catalogue file is damaged"
// when a helper fails or they take longer than `timeoutSeconds`, DbError(Open) when the
// helper is missing.
QStringList sqliteCopyOf(const QString &path, const QByteArray &file, int timeoutSeconds);

// The content hash used in the key (hex), exposed for the tests of the cache.
QString contentHash(const QByteArray &bytes);

} // namespace db::detail
