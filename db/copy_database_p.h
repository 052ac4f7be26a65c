// The SQLite file a copy is written to, while SQLite writes it: created empty, or opened
// again once the page writer has filled it. Every failure is the copy's failure.
#pragma once

#include "db/sqlite_handle_p.h"

#include <QString>
#include <cstdint>

namespace db::detail {

class CopyDatabase {
public:
    enum class Mode { Create, Reopen };
    // Creates the file at `path` (which must not exist) or opens it again, with journaling
    // and syncing off (a copy that fails is thrown away) and a transaction begun. Raises
    // DbError(Format) when it cannot.
    CopyDatabase(const QString &path, Mode mode);

    void exec(const QString &sql);
    Stmt prepare(const QString &sql);
    // The first page of the b-tree of the table or index `name`.
    uint32_t rootPage(const QString &name);
    // Raises DbError(Format) for a failure `what` of the copy, with SQLite's reason.
    [[noreturn]] void fail(const QString &what);
    sqlite3 *handle() const { return m_db->get(); }

private:
    std::unique_ptr<SqliteHandle> m_db;
};

} // namespace db::detail
