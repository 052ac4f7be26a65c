// What a catalogue file is, told without reading it whole where that can be avoided: the
// key of its content, as the provider's copies record it, and the date its header says it
// was made. For the layers above that must tell whether a catalogue changed (what's new)
// without opening it.
#pragma once

#include <QDateTime>
#include <QString>

namespace db {

struct CatalogueKey {
    // The hash (hex) of every byte of the file, the one the copies of it are recorded
    // under: two files with the same content have the same key, and a change of any byte
    // gives another one.
    QString content;
    // When the file was made, as its header records it (Jet 4); invalid when it keeps none.
    QDateTime created;
    // Whether the file had to be read whole to tell: false when its size, modification
    // time, identity on disk and sampled pages equal those recorded the last time its key
    // was found, by this call or by an open of a connection on it.
    bool readWhole = false;
};

// The key of the catalogue file at `path`. The header page and a sample of the pages are
// read; the rest only when the record of the file's last key does not settle it, after
// which the new key is recorded (best effort: a cache folder that cannot be written only
// costs that read again). Raises DbError(Open) when the file cannot be read or is not a
// Jet database.
CatalogueKey CatalogueContentKey(const QString &path);

} // namespace db
