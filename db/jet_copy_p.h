// The SQLite copy of a catalogue file: made in a child process, kept for later opens.
#pragma once

#include <QByteArray>
#include <QString>

namespace db::detail {

// The path of an SQLite copy of the Jet file at `path`, whose whole content is `file`.
// A copy made earlier is used when its recorded path, size, modification time and content
// hash all equal the file's; otherwise a new one is made by a child process, so that a
// crash or a hang of the reader on a damaged file ends only the child. Raises
// DbError(Format) "the catalogue file is damaged" when the child fails or takes longer
// than `timeoutSeconds`.
QString sqliteCopyOf(const QString &path, const QByteArray &file, int timeoutSeconds);

// The content hash used in the key (hex), exposed for the tests of the cache.
QString contentHash(const QByteArray &bytes);

} // namespace db::detail
