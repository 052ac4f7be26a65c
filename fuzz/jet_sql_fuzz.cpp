// Feeds arbitrary text to the Jet SQL translator: it must either refuse the statement
// with a DbError or give SQLite text, never crash or hang; and it must give the same
// text twice for the same statement, since the window sends its statements many times.
#include "db/db_error.h"
#include "db/jet_sql_p.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString jet = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QString first;
    try {
        first = db::detail::translateJetSql(jet);
    } catch (const db::DbError &) {
        return 0;
    }
    if (db::detail::translateJetSql(jet) != first)
        std::abort();
    return 0;
}
