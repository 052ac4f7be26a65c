// The two tables a battery maker may ship beside the catalogue file, read line by line:
//
//   tecnologie.csv    GAMMA;TECNOLOGIA[;CODICE]   the technology of a range, or of one
//                                                  battery when CODICE is filled
//   registrazione.csv idMarca;REGOLA;TESTO         whether a new battery must be registered
//                                                  on a make's vehicles, and what to tell
//
// Fields are separated by ';' (a field may be quoted, "" inside it standing for one "),
// the first line is the header, blank lines are skipped; UTF-8, with or without a byte
// order mark. A faulty line is skipped and reported with its number, so one mistake in a
// long table costs only that line. Both the program and catalogue-check read them here.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace catalog::report {

// A battery's construction. For every rule GEL counts as AGM.
enum class Technology { Unknown, Flooded, Efb, Agm, Gel };

inline constexpr const char *kTechnologyTableFile = "tecnologie.csv";
inline constexpr const char *kRegistrationTableFile = "registrazione.csv";

struct TechnologyEntry {
    int line = 0;
    QString range; // GAMMA as written, trimmed; may be empty when `code` is filled
    QString code;  // CODICE, trimmed; empty: the line is the range's
    Technology technology = Technology::Unknown;
};

struct RegistrationEntry {
    int line = 0;
    QString makeKey;        // idMarca, trimmed
    bool diagnosis = false; // REGOLA diagnosi (a diagnostic tool is needed), not autoapprendimento
    QString text;           // TESTO, trimmed
};

enum class TableFault {
    Unreadable, // the file exists but cannot be read
    NotUtf8,    // the line is not UTF-8 text
    Header,     // the first line is not the table's header; nothing else is read
    Fields,     // too few or too many fields
    NoRange,    // neither GAMMA nor CODICE
    NoMake,     // idMarca empty
    NoText,     // TESTO empty
    Technology, // not AGM, EFB, GEL or TRADIZIONALE
    Rule,       // not autoapprendimento or diagnosi
    Repeated,   // the same range, code or make again; the first line holds
};

struct TableProblem {
    int line = 0; // 0 for the whole file
    TableFault fault = TableFault::Fields;
    QString value;     // what was found: the word, the key repeated, the header
    int firstLine = 0; // for Repeated: where the key stands first
};

template <class Entry>
struct MakerTable {
    bool present = false; // false: no such file beside the catalogue
    QString path;
    std::vector<Entry> entries;
    std::vector<TableProblem> problems;
};

using TechnologyTable = MakerTable<TechnologyEntry>;
using RegistrationTable = MakerTable<RegistrationEntry>;

// The tables from the file's bytes; `path` is only recorded.
TechnologyTable ParseTechnologyTable(const QByteArray &bytes, const QString &path);
RegistrationTable ParseRegistrationTable(const QByteArray &bytes, const QString &path);

// The tables beside a catalogue in `folder`: not present when the file is missing, one
// Unreadable problem when it cannot be read.
TechnologyTable ReadTechnologyTable(const QString &folder);
RegistrationTable ReadRegistrationTable(const QString &folder);

// The table's word for a technology (AGM, EFB, GEL, TRADIZIONALE), without regard to
// letter case or blanks around it; Unknown for anything else.
Technology TechnologyFromWord(QStringView word);

// "file:line: reason" in the program's words, for the counter's message.
QString ProblemText(const QString &path, const TableProblem &problem);

} // namespace catalog::report
