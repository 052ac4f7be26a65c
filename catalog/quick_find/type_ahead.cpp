// Type-ahead: the prefix kept between keys, the row search and the event filter that
// joins them to a grid.
#include "catalog/quick_find/type_ahead.h"

#include "db/text_fold.h"
#include "platform/error_guard.h"
#include "widgets/data_grid.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>

namespace {

class TypeAheadFilter : public QObject {
public:
    TypeAheadFilter(DataGrid *grid, int column) : QObject(grid), m_grid(grid), m_column(column)
    {
        m_clock.start();
        grid->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const QString typed = key->text();
        // Shortcuts and keys that type nothing (arrows, Enter, Tab) keep their meaning.
        if (typed.isEmpty() || !typed.front().isPrint()
            || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        const QString prefix = m_prefix.add(typed, m_clock.elapsed());
        Guarded([&] {
            const int row = FirstRowStartingWith(*m_grid, m_column, prefix);
            if (row > 0)
                m_grid->setCurrentRow(row);
        });
        return true;
    }

private:
    DataGrid *m_grid;
    int m_column;
    TypeAheadPrefix m_prefix;
    QElapsedTimer m_clock;
};

} // namespace

QString TypeAheadPrefix::add(const QString &typed, qint64 atMs)
{
    if (m_prefix.isEmpty() || atMs - m_lastMs > kPauseMs)
        m_prefix.clear();
    m_prefix += typed;
    m_lastMs = atMs;
    return m_prefix;
}

int FirstRowStartingWith(const DataGrid &grid, int column, const QString &prefix)
{
    const QString wanted = db::FoldText(prefix);
    for (int row = 1; row < grid.RowCount(); ++row) {
        if (db::FoldText(grid.Cells(column, row)).startsWith(wanted))
            return row;
    }
    return -1;
}

void InstallTypeAhead(DataGrid *grid, int column) { new TypeAheadFilter(grid, column); }
