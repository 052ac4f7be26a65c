// What the catalogue builder's tests share: running the built tool, writing sources,
// reading tables back with mdb-export, and a structural check of written files that is
// independent of both the writer and libmdb.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace buildtest {

struct RunResult {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs catalogue-build with these arguments.
RunResult runBuild(const QStringList &args);
// Runs the built tool <build>/tools/NAME/NAME with these arguments, its catalogue copies
// kept in a scratch folder.
RunResult runTool(const QString &name, const QStringList &args);

// Writes each name → content as <dir>/<name> (bytes as given).
void writeFiles(const QString &dir, const std::map<QString, QByteArray> &files);

// The rows of `table` as mdb-export prints them: Null as "<NULL>", dates as
// YYYY-MM-DD HH:MM:SS, doubles with 16 significant digits. Header row first.
// `err` receives mdb-export's stderr, which a sound file leaves empty.
std::vector<QStringList> mdbExport(const QString &file, const QString &table, QString *err = nullptr);

// The user tables mdb-tables lists (with system tables when `system`).
QStringList mdbTables(const QString &file, bool system = false);

// Walks every page of a Jet 4 file and returns the first broken rule ("" when sound):
// page types, contiguous descending rows and their free-space field, at most 255 rows,
// table pages owned by their definition, usage maps listing exactly those pages, TDEF row
// counts equal to the rows found, definition length and terminator, the global map.
QString structureFault(const QString &file);

QByteArray readFile(const QString &path);

// The sources of the small catalogue (the fixture's content as CSV), kept beside the tests.
QString smallCatalogueSources();

} // namespace buildtest
