// Rows inserted through SQLite, a batch to a statement: the slow way a copy can be
// written, kept so that the page writer's copies can be compared with SQLite's own.
#pragma once

#include "db/copy_database_p.h"
#include "db/row_buffer_p.h"

#include <QString>

namespace db::detail {

class RowInserter {
public:
    // Inserts into `table` of `db`, whose rows have `columns` values.
    RowInserter(CopyDatabase &db, const QString &table, size_t columns);
    // How many rows a statement takes at most; write() is fastest with that many.
    size_t batch() const { return m_batch; }
    // Inserts the first `count` rows of `rows` as one statement.
    void write(const RowBuffer &rows, size_t count);

private:
    Stmt prepareFor(size_t count);

    CopyDatabase &m_db;
    QString m_table;
    size_t m_perRow, m_batch;
    Stmt m_full;
};

} // namespace db::detail
