// The statements a make click of the window runs, in SQLite's dialect, and the photo it
// showed, as the click's floor (bench/floors/click_floor.cpp) replays them: worked out from
// what the window's grids hold after the click, with the window's own statement texts.
#pragma once

#include <QString>
#include <QStringList>

class Tfrm_main;

namespace bench {

// Clicks gathered for the file that $CATALOG_BENCH_CLICKS names, written when this goes;
// without it, nothing is gathered.
class ClickStatements {
public:
    ClickStatements();
    ~ClickStatements();
    ClickStatements(const ClickStatements &) = delete;
    ClickStatements &operator=(const ClickStatements &) = delete;

    // The click on make `row` that `form` has just handled (not in applications mode).
    void add(const Tfrm_main &form, int row);

private:
    QString m_path;
    QStringList m_lines;
};

} // namespace bench
