// The key of each catalogue file as last found, kept in the cache folder apart from any
// copy: what lets a file be recognised without reading it whole, whatever index hints its
// copies were made with.
#pragma once

#include "db/copy_key_p.h"

#include <QString>
#include <optional>

class QFile;

namespace db::detail {

// The key of the file at `path`, open for reading as `file`, as it is now: all but its
// content hash and index hints. Raises DbError(Open) when its sampled pages cannot be read.
SourceKey presentKey(const QString &path, QFile &file);

// The content hash recorded for `key.path`, when the record's size, modification time,
// identity and sample all equal `key`'s.
std::optional<QString> recordedHash(const SourceKey &key);

// Records `key`, whose hash must be set, as the last found of its path, unless it is
// already; a record that cannot be written is left out.
void recordKey(const SourceKey &key);

} // namespace db::detail
