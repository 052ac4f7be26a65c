// The few libmdb internals that are more than a field read (see mdb_internals_p.h for
// what each was checked against).
#include "db/mdb_internals_p.h"

#include <QByteArray>
#include <cstdlib>

namespace db::detail {

unsigned rowsOnCurrentPage(MdbHandle *mdb) { return unsigned(mdb_get_int16(mdb->pg_buf, mdb->fmt->row_count_offset)); }

bool libmdbWritesUtf8()
{
    static const bool utf8 = [] {
        const char *charset = getenv("MDB_ICONV");
        return !charset || !*charset || QByteArray(charset).toUpper() == "UTF-8";
    }();
    return utf8;
}

MdbHandle *openBuffer(QByteArrayView file)
{
    return mdb_open_buffer(const_cast<char *>(file.data()), size_t(file.size()), MDB_NOFLAGS);
}

} // namespace db::detail
