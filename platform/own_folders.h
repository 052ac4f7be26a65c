// Folders the program keeps files in that it will read back and trust: the check that
// nobody but the user can have put or changed anything in one, the making of one, the
// private folder made for one run of the program, and the user's own temporary folder.
// On a machine with several users a folder of a fixed name in a shared place (/tmp) may
// have been made first by someone else; nothing is ever read from such a folder.
#pragma once

#include <QString>

namespace platform {

// Why the folder `path` may not hold files of the user's that the program trusts, in
// words that name it ("\"/x/y\" belongs to another user"); empty when it may: it is a
// folder (a link to one is followed), it belongs to the user this program runs as, nobody
// else may make or remove entries in it, and the user may.
QString FolderRefusal(const QString &path);

enum class ExistingFolder {
    Keep,        // a folder standing there already is used as it is, or refused
    MakePrivate, // one of the user's that others may write is made the user's alone first
};

// Makes the folder `path` when it is missing, with every folder missing on the way to it,
// each readable by its owner only (each checked as it is made: someone else may have made
// it first), and checks `path` as FolderRefusal does. Returns the refusal, or the reason
// a folder could not be made, naming that folder; empty when `path` can be used.
QString MakeOwnFolder(const QString &path, ExistingFolder existing = ExistingFolder::Keep);

// A folder made for this run of the program on the first call, readable by its owner
// only, of a name nobody can have used before, in TMPDIR or else /tmp. It is removed with
// everything in it when the program ends, by the process that made it: the helper
// programs it starts write into it but never remove it. A program killed leaves it, and
// the next run's first call removes it once that program no longer runs.
// Empty, with the reason in `*reason`, when no such folder can be made.
QString RunFolder(QString *reason = nullptr);

// The user's own temporary folder, with no separator at the end: XDG_RUNTIME_DIR when it
// is set and private, else /tmp/dazozizizavuv-<user number> (made when missing, made
// private when it is the user's), else, when someone else made that one or it cannot be
// made, the run folder. When nothing can be made it is still the /tmp one's name, so the
// error of whatever then uses it names that folder.
QString UserTemporaryFolder();

} // namespace platform
