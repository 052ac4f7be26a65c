// Keeping recently decoded photos, each with its file's identity at the time it was read.
#include "catalog/window/photo_cache.h"

#include "platform/os_files.h"
#include "widgets/picture_loader.h"

PhotoCache::PhotoCache(int maxPhotos, qint64 maxBytes) : m_maxPhotos(maxPhotos), m_maxBytes(maxBytes) {}

// The file's identity: a photo replaced, rewritten or touched is another photo. False when
// the file cannot be examined; it is then read, and fails, as if never kept.
bool PhotoCache::identify(const QString &path, Entry &into) const
{
    const std::optional<platform::os::FileStatus> st = platform::os::status(path);
    if (!st)
        return false;
    into.path = path;
    into.device = qint64(st->device);
    into.inode = qint64(st->inode);
    into.size = st->size;
    into.mtimeNs = st->mtimeNs;
    return true;
}

Picture PhotoCache::load(const QString &path, QSize box)
{
    Entry now;
    const bool known = identify(path, now);
    for (auto it = m_entries.begin(); known && it != m_entries.end(); ++it) {
        if (it->path != path)
            continue;
        if (it->device == now.device && it->inode == now.inode && it->size == now.size && it->mtimeNs == now.mtimeNs) {
            m_entries.splice(m_entries.begin(), m_entries, it);
            return m_entries.front().picture;
        }
        m_entries.erase(it); // changed since: read again below
        break;
    }
    now.picture = LoadPicture(path, box);
    if (known) {
        m_entries.push_front(now);
        trim();
    }
    return now.picture;
}

void PhotoCache::trim()
{
    qint64 bytes = 0;
    int kept = 0;
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        bytes += it->picture.sizeInBytes();
        // The photo just read always stays, however large.
        if (it != m_entries.begin() && (++kept >= m_maxPhotos || bytes > m_maxBytes))
            it = m_entries.erase(it);
        else
            ++it;
    }
}
