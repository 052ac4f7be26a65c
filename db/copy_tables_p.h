// The helper's side of the copy: a Jet file's user tables read through libmdb and written
// to an SQLite database file.
#pragma once

#include "db/copy_key_p.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <functional>

namespace db::detail {

// Which of the file's tables a copy holds: all, or one of the two shares that two
// processes copy side by side, the table with the most rows or every other table.
enum class TableShare { All, Largest, Others };

// How the rows reach the copy: laid out straight into SQLite's pages, or inserted through
// SQLite, so that the two can be compared. Inserting converts a Decimal that only its text
// holds exactly (more than 15 digits) to a real, as SQLite's NUMERIC columns do; the
// pages keep the text.
enum class RowWriting { Pages, Inserts };

// Reads every user table of the Jet file whose bytes are `file` (only read) and writes it
// to a new SQLite database at `sqlitePath` (created; must not exist): faithful types, the
// file's indexes and those of the hints in `key.indexes` that the file lacks, and `key`
// (its order always this build's); a file without user tables gives a copy without
// tables. libmdb does the reading and is not hardened against damaged files: call this
// only in a process that may die. Raises DbError(Format) when libmdb rejects the file.
// With a `share` other than All only that share of the tables is copied; both shares
// check the whole catalogue alike. `tableRead`, when given, is called after each table's
// rows are read. Returns, for each table copied whose rows differ in number from the
// count its definition holds, a line naming both: some writers leave a stale count
// there, so it says nothing of the copy by itself, but a file changed under the reader
// shows that way too.
QStringList copyJetTables(QByteArrayView file, const QString &sqlitePath, const SourceKey &key,
                          TableShare share = TableShare::All, RowWriting writing = RowWriting::Pages,
                          const std::function<void()> &tableRead = {});

} // namespace db::detail
