// What the end-to-end flow tests share: playing a script with the UI script driver on a
// program folder, reading its dumps back, a scratch copy of the program folder to damage,
// and short ways to read the values a flow checks out of a dump.
#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>
#include <vector>

// Failure messages show texts as texts, lists of them too.
static inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }

namespace flows {

struct FlowResult {
    int exitCode = -1; // -1 when the driver crashed or did not finish
    std::vector<QJsonObject> dumps;
    QString err;
};

// The driver playing one script; the dumps can be read while it still runs, which is how
// a test acts on the program folder at a known step.
class Flow {
public:
    Flow(const QString &programFolder, const QString &script);
    ~Flow();
    // The next dump the script prints; an empty object when the driver ended first.
    QJsonObject NextDump();
    // Waits for the end and returns every dump (those already read included).
    FlowResult Finish();

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    std::vector<QJsonObject> m_dumps;
    std::size_t m_read = 0;
    QByteArray m_pending;
    bool ReadLines();
    friend class Barrier;
};

// A point in a script where the program waits for the test: the script's line
// `screenshot <Path()>` writes into a named pipe, which blocks the program until Release
// reads it. The test reads the dumps before that line, changes the program folder, then
// releases the program, so the steps after the line see the change.
class Barrier {
public:
    explicit Barrier(const QTemporaryDir &in);
    QString Path() const { return m_path; }
    QString Line() const { return "screenshot " + m_path + "\n"; }
    // Reads the picture the program writes; fails the test when the driver ends first.
    void Release(Flow &flow);

private:
    QString m_path;
};

// Plays the script to its end.
FlowResult RunFlow(const QString &programFolder, const QString &script);

// The demo program folder of the build; a test that needs it fails when it is missing.
QString DemoFolder();

// Copies the demo program folder (img, foto, db) into `into`; returns the copy's path.
QString CopyDemoFolder(const QTemporaryDir &into);

// Replaces a file with a truncated copy of itself followed by garbage, so that it exists
// with the right name but cannot be decoded.
void Damage(const QString &file);

// --- reading a dump
QStringList WindowNames(const QJsonObject &dump);
QJsonObject Grid(const QJsonObject &dump, const QString &name);
// The visible rows' texts in the grid's `n`th visible column, from the first data row.
QStringList Column(const QJsonObject &dump, const QString &grid, int n);
// The cell in column `col` (hidden columns included) of the grid's current row.
QString Current(const QJsonObject &dump, const QString &grid, int col);
int CurrentRow(const QJsonObject &dump, const QString &grid);
QString EditText(const QJsonObject &dump, const QString &edit);
QString EditColor(const QJsonObject &dump, const QString &edit);
// The texts of the messages shown since the previous dump.
QStringList MessageTexts(const QJsonObject &dump);
// The path of the photo the catalogue window shows, relative to the program folder.
QString PhotoFile(const QJsonObject &dump, const QString &programFolder);

// The highlight colour of active search fields, the mode and the price-list box.
inline const char *const kHighlight = "#EFFDBD";

} // namespace flows
