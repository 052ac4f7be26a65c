// A catalogue file's key for the layers above: the header read for its date, the key of
// the file as it is now, and its content hash from the record of its last key or, when
// that does not settle it, from every byte.
#include "db/catalogue_identity.h"
#include "db/catalogue_file_p.h"
#include "db/db_error.h"
#include "db/jet_header_p.h"
#include "db/key_record_p.h"

#include <QFile>
#include <QFileInfo>

namespace db {

using namespace detail;

CatalogueKey CatalogueContentKey(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        raiseDbError(DbErrc::Open, QStringLiteral("Could not find the database file \"%1\".").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        raiseDbError(DbErrc::Open,
                     QStringLiteral("The database file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
    CatalogueKey result;
    result.created = readJetHeader(file.read(4096), path).created;
    SourceKey key = presentKey(path, file);
    if (const auto hash = recordedHash(key)) {
        result.content = *hash;
        return result;
    }
    const uchar *mapped = key.size > 0 ? file.map(0, key.size) : nullptr;
    QByteArray read;
    if (!mapped) {
        file.seek(0);
        read = file.readAll();
        if (read.size() != key.size)
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The database file \"%1\" cannot be read: %2.").arg(path, file.errorString()));
    }
    key.hash = contentHash(mapped ? QByteArrayView(mapped, key.size) : QByteArrayView(read));
    if (mapped)
        file.unmap(const_cast<uchar *>(mapped));
    // A file written while it was hashed has another identity by now; its hash is given
    // but not recorded for the next time.
    if (fileIdentity(path) == key.identity)
        recordKey(key);
    result.content = key.hash;
    result.readWhole = true;
    return result;
}

} // namespace db
