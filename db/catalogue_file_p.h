// What tells a catalogue file's content apart without reading all of it: its identity on
// disk, a hash of a sample of its pages, and the hash of every byte for when those differ.
#pragma once

#include <QByteArrayView>
#include <QString>

class QFile;

namespace db::detail {

// The file's device, inode and change time, as text. A file written in place or renamed
// over gets another change time or inode even when its size and modification time were
// set back, and nobody can set a change time back, so an unchanged identity (with the
// same size, time and sample) is taken for unchanged content without reading it all.
// Empty when the file cannot be examined.
QString fileIdentity(const QString &path);

// The hash (hex) of the first page and of 63 pages spread evenly over the rest of `file`
// (open for reading, of `size` bytes): cheap insurance, beside the identity, for file
// systems whose change times cannot be trusted. Raises DbError(Open) when a page cannot
// be read, saying the file changed when it is shorter than `size`.
QString sampleHash(QFile &file, qint64 size);

// Raises DbError(Open) saying that the catalogue file at `path` changed while it was
// being read, and that opening it again will do.
[[noreturn]] void raiseChangedWhileRead(const QString &path);

// The content hash (hex) of every byte of `bytes`.
QString contentHash(QByteArrayView bytes);

} // namespace db::detail
