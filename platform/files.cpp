// Case-insensitive file name resolution.
#include "platform/files.h"

#include <QDir>
#include <QFileInfo>

QString ResolveFileName(const QString &path)
{
    QFileInfo info(path);
    if (info.exists() || path.isEmpty())
        return path;
    QDir dir = info.dir();
    if (!dir.exists())
        return path;
    const QString name = info.fileName();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return path;
}

bool FileExistsAnyCase(const QString &path)
{
    return QFileInfo(ResolveFileName(path)).isFile();
}
