// The record of a catalogue file's last key: a small text file in the cache folder named
// after the file's path, one field a line, replaced in one step (written under a
// temporary name, then renamed), so that a reader finds the old record or the new one.
//
//   catalogue-key 1      the record's format
//   <path>               canonical path of the catalogue file
//   <size> <mtime ns>
//   <identity>           fileIdentity()
//   <sample>             sampleHash()
//   <hash>               contentHash() of every byte
#include "db/cache_folder.h"
#include "db/catalogue_file_p.h"
#include "db/jet_text_p.h"
#include "db/key_record_p.h"
#include "platform/os_files.h"
#include "platform/os_process.h"

#include <QFile>
#include <QFileInfo>
#include <atomic>

namespace db::detail {

namespace {

const QByteArray kRecordFormat = "catalogue-key 1";

QString recordOf(const QString &path)
{
    return CatalogueCacheFolder() + u'/' + contentHash(path.toUtf8()) + QStringLiteral(".key");
}

QByteArray recordText(const SourceKey &key)
{
    return kRecordFormat + '\n' + key.path.toUtf8() + '\n' + QByteArray::number(key.size) + ' '
           + QByteArray::number(key.mtimeNs) + '\n' + key.identity.toUtf8() + '\n' + key.sample.toUtf8() + '\n'
           + key.hash.toUtf8() + '\n';
}

// The record of `path` as it stands, or an empty text.
QByteArray readRecord(const QString &record)
{
    QFile f(record);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.read(64 * 1024);
}

} // namespace

SourceKey presentKey(const QString &path, QFile &file)
{
    SourceKey key;
    key.path = QFileInfo(path).canonicalFilePath();
    if (key.path.isEmpty())
        key.path = QFileInfo(path).absoluteFilePath();
    if (const auto st = platform::os::status(path))
        key.mtimeNs = st->mtimeNs;
    key.size = file.size();
    key.identity = fileIdentity(path);
    key.sample = sampleHash(file, key.size);
    key.order = generalOrderFingerprint();
    return key;
}

std::optional<QString> recordedHash(const SourceKey &key)
{
    const QList<QByteArray> lines = readRecord(recordOf(key.path)).split('\n');
    if (lines.size() < 6 || lines[0] != kRecordFormat)
        return std::nullopt;
    SourceKey stored = key;
    stored.hash = QString::fromUtf8(lines[5]);
    if (stored.hash.isEmpty() || recordText(stored) != lines.mid(0, 6).join('\n') + '\n')
        return std::nullopt;
    return stored.hash;
}

void recordKey(const SourceKey &key)
{
    if (key.hash.isEmpty() || key.identity.isEmpty())
        return;
    const QString record = recordOf(key.path);
    const QByteArray text = recordText(key);
    if (readRecord(record) == text)
        return;
    static std::atomic<int> serial{0};
    const QString tmp = record + QStringLiteral(".tmp-%1-%2").arg(platform::os::processId()).arg(serial++);
    QFile f(tmp);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return;
    const bool written = f.write(text) == text.size() && f.flush();
    f.close();
    if (!written || !platform::os::renameFile(tmp, record))
        QFile::remove(tmp);
}

} // namespace db::detail
