// The hashes and the identity that key the copies of a catalogue file. The content hash
// runs over the whole file, at memory speed: a 64-bit hash with four independent lanes,
// not cryptographic, as it only has to notice changed content.
#include "db/catalogue_file_p.h"
#include "db/db_error.h"
#include "platform/os_files.h"

#include <QFile>
#include <cstdint>
#include <cstring>

namespace db::detail {

namespace {

constexpr qint64 kSamplePage = 4096;
constexpr qint64 kSampledPages = 64;

uint64_t rotl(uint64_t x, int r) { return (x << r) | (x >> (64 - r)); }

uint64_t hash64(const char *data, size_t n)
{
    constexpr uint64_t P1 = 0x9E3779B185EBCA87ULL, P2 = 0xC2B2AE3D27D4EB4FULL;
    uint64_t lane[4] = {P1 + P2, P2, 0, 0 - P1};
    size_t i = 0;
    for (; i + 32 <= n; i += 32) {
        for (int k = 0; k < 4; ++k) {
            uint64_t w;
            std::memcpy(&w, data + i + 8 * k, 8);
            lane[k] = rotl(lane[k] + w * P2, 31) * P1;
        }
    }
    uint64_t h = rotl(lane[0], 1) + rotl(lane[1], 7) + rotl(lane[2], 12) + rotl(lane[3], 18) + n;
    for (; i < n; ++i)
        h = rotl(h ^ (uint8_t(data[i]) * P1), 11) * P2;
    h ^= h >> 33;
    h *= P2;
    h ^= h >> 29;
    return h;
}

QString hex(uint64_t v) { return QString::number(qulonglong(v), 16).rightJustified(16, u'0'); }

} // namespace

QString fileIdentity(const QString &path)
{
    const auto st = platform::os::status(path);
    if (!st)
        return QString();
    // Seconds and nanoseconds as the system keeps them: the nanoseconds never negative.
    constexpr qint64 second = 1000000000;
    const qint64 seconds = st->ctimeNs / second - (st->ctimeNs % second < 0 ? 1 : 0);
    return QStringLiteral("%1:%2:%3.%4")
        .arg(qulonglong(st->device))
        .arg(qulonglong(st->inode))
        .arg(qlonglong(seconds))
        .arg(qlonglong(st->ctimeNs - seconds * second), 9, 10, QChar(u'0'));
}

QString sampleHash(QFile &file, qint64 size)
{
    QByteArray sample;
    const qint64 pages = (size + kSamplePage - 1) / kSamplePage;
    const qint64 step = pages <= kSampledPages ? 1 : (pages - 1) / (kSampledPages - 1);
    for (qint64 page = 0, taken = 0; page < pages && taken < kSampledPages; page += step, ++taken) {
        if (!file.seek(page * kSamplePage))
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue file \"%1\" cannot be read: %2.")
                                           .arg(file.fileName(), file.errorString()));
        const QByteArray bytes = file.read(kSamplePage);
        if (bytes.size() != std::min(kSamplePage, size - page * kSamplePage)) {
            // A short read without an error is a file cut short since its size was taken.
            if (file.error() == QFileDevice::NoError)
                raiseChangedWhileRead(file.fileName());
            raiseDbError(DbErrc::Open, QStringLiteral("The catalogue file \"%1\" cannot be read: %2.")
                                           .arg(file.fileName(), file.errorString()));
        }
        sample += bytes;
    }
    return hex(hash64(sample.constData(), size_t(sample.size())) ^ uint64_t(size));
}

void raiseChangedWhileRead(const QString &path)
{
    raiseDbError(DbErrc::Open,
                 QStringLiteral("The catalogue file \"%1\" changed while it was being read; open it again.").arg(path));
}

QString contentHash(QByteArrayView bytes) { return hex(hash64(bytes.data(), size_t(bytes.size()))); }

} // namespace db::detail
