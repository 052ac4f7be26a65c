// The photos decoded last, kept so that going back to a battery shown a moment ago (the
// search result after a look at another vehicle, the battery before) shows its photo at
// once instead of decoding it again. A photo is found again only while its file is the
// same file, unchanged.
#pragma once

#include "widgets/picture.h"

#include <QSize>
#include <QString>
#include <list>

class PhotoCache {
public:
    // Keeps at most `maxPhotos` photos and `maxBytes` of pixels; the one used longest ago
    // goes first.
    explicit PhotoCache(int maxPhotos = 8, qint64 maxBytes = 48LL * 1024 * 1024);

    // The picture of the file at `path`: kept from an earlier load when the file is the
    // same and unchanged, else read with LoadPicture for drawing inside `box` (which raises
    // WidgetError). A photo kept reduced for a smaller box still serves a larger one: its
    // full resolution is decoded from it.
    Picture load(const QString &path, QSize box = QSize());

private:
    struct Entry {
        QString path;
        qint64 device = 0, inode = 0, size = 0, mtimeNs = 0;
        Picture picture;
    };
    bool identify(const QString &path, Entry &into) const;
    void trim();

    int m_maxPhotos;
    qint64 m_maxBytes;
    std::list<Entry> m_entries; // the most recently used first
};
