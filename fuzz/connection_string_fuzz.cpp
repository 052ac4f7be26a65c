// Feeds arbitrary text to the connection-string parser. A string it accepts must read
// back, without its password, as the same pairs in the same order: the open connection
// reports that text, and the reuse test of the next window looks for the database in it.
#include "db/connection_string_p.h"
#include "db/db_error.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using db::detail::ConnectionPair;
    using db::detail::ConnectionString;
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    ConnectionString cs;
    try {
        cs = ConnectionString::parse(text);
    } catch (const db::DbError &) {
        return 0;
    }
    QList<ConnectionPair> kept;
    for (const ConnectionPair &p : cs.pairs()) {
        // Every password keyword the providers know stays out of the text read back.
        const bool password = p.keyword.compare(QLatin1String(db::detail::kPasswordKey), Qt::CaseInsensitive) == 0
                              || p.keyword.compare(QLatin1String("Password"), Qt::CaseInsensitive) == 0
                              || p.keyword.compare(QLatin1String("Pwd"), Qt::CaseInsensitive) == 0;
        if (!password)
            kept << p;
    }
    const ConnectionString back = ConnectionString::parse(cs.withoutPassword());
    if (back.pairs().size() != kept.size())
        std::abort();
    for (qsizetype i = 0; i < kept.size(); ++i) {
        if (back.pairs()[i].keyword != kept[i].keyword || back.pairs()[i].value != kept[i].value)
            std::abort();
    }
    return 0;
}
