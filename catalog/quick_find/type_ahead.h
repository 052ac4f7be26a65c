// Type-ahead in the vehicle lists: letters typed into a grid, one soon after another, move
// its current row to the first row whose name starts with them.
#pragma once

#include <QString>
#include <QtGlobal>

class DataGrid;

// The letters typed so far. A pause of more than a second starts a new prefix, as the
// counter expects when, having found "Alvena", they type "b" for the next make.
class TypeAheadPrefix {
public:
    static constexpr qint64 kPauseMs = 1000;
    // Adds `typed`, typed at `atMs` (any monotonic clock), and returns the whole prefix.
    QString add(const QString &typed, qint64 atMs);

private:
    QString m_prefix;
    qint64 m_lastMs = 0;
};

// The first data row (from 1) whose cell in `column` starts with `prefix`, compared as the
// catalogue compares text (no regard to case or accents); -1 when none does.
int FirstRowStartingWith(const DataGrid &grid, int column, const QString &prefix);

// Gives `grid` type-ahead on the names in `column`: a typed letter moves the current row
// and is not passed on. The grid's own key release then reloads the lists below, as it
// does after an arrow key.
void InstallTypeAhead(DataGrid *grid, int column);
