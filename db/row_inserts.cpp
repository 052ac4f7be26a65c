// One statement for up to 64 rows: stepping a statement costs more than the insert it
// makes.
#include "db/row_inserts_p.h"

#include <QStringList>
#include <algorithm>
#include <sqlite3.h>

namespace db::detail {

RowInserter::RowInserter(CopyDatabase &db, const QString &table, size_t columns)
    : m_db(db), m_table(table), m_perRow(std::max<size_t>(columns, 1))
{
    const size_t maxParameters = size_t(sqlite3_limit(db.handle(), SQLITE_LIMIT_VARIABLE_NUMBER, -1));
    m_batch = std::clamp<size_t>(maxParameters / m_perRow, 1, 64);
}

Stmt RowInserter::prepareFor(size_t count)
{
    QStringList tuple, tuples;
    for (size_t i = 0; i < m_perRow; ++i)
        tuple << QStringLiteral("?");
    const QString one = u'(' + tuple.join(u',') + u')';
    for (size_t i = 0; i < count; ++i)
        tuples << one;
    return m_db.prepare(QStringLiteral("INSERT INTO %1 VALUES %2").arg(quotedName(m_table), tuples.join(u',')));
}

void RowInserter::write(const RowBuffer &rows, size_t count)
{
    Stmt rest;
    sqlite3_stmt *st = nullptr;
    if (count == m_batch) {
        if (!m_full)
            m_full = prepareFor(m_batch);
        st = m_full.get();
    } else {
        rest = prepareFor(count);
        st = rest.get();
    }
    for (size_t k = 0; k < count; ++k)
        rows.bindRow(st, k, int(k * m_perRow));
    if (sqlite3_step(st) != SQLITE_DONE)
        m_db.fail(QStringLiteral("while copying a row of table %1").arg(m_table));
    sqlite3_reset(st); // lets go of the bound values before the rows are cleared
}

} // namespace db::detail
