// The cache folder: the first of the candidates that can be made and written.
#include "db/cache_folder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace db {

QString CatalogueCacheFolder()
{
    QString dir = QString::fromLocal8Bit(qgetenv("CATALOG_CACHE_DIR"));
    if (dir.isEmpty()) {
        const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
        if (!base.isEmpty())
            dir = base + QStringLiteral("/dazozizizavuv/catalogue-copies");
    }
    if (dir.isEmpty() || !QDir().mkpath(dir) || !QFileInfo(dir).isWritable()) {
        dir = QDir::tempPath() + QStringLiteral("/dazozizizavuv-catalogue-copies");
        QDir().mkpath(dir);
    }
    return dir;
}

} // namespace db
