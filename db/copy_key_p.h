// The key a copy of a catalogue file is recorded under, and the number of the copy's
// format: what the cache compares before it uses a copy again.
#pragma once

#include <QString>

namespace db::detail {

// What identifies the .mdb a copy was made from; stored in the copy and compared before
// a copy is used again.
struct SourceKey {
    QString path;       // canonical path of the .mdb
    qint64 size = 0;    // bytes
    qint64 mtimeNs = 0; // modification time, nanoseconds since the epoch
    QString identity;   // fileIdentity(): device, inode and change time
    QString sample;     // sampleHash() of the file
    QString hash;       // content hash of every byte, hex
    QString order;      // generalOrderFingerprint() of the build that laid out the indexes
    QString indexes;    // hintsText() of the index hints the copy was made with
};

// Bumped whenever the copy's layout or the reading of values changes, so that copies made
// by an older build are never used.
inline constexpr int kCopyFormat = 10;

} // namespace db::detail
