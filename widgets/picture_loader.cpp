// Picture files into images: the path made usable, the format chosen by the extension,
// bitmaps and icons through Qt's readers, JPEG through libjpeg (jpeg_decode_p.h).
#include "widgets/picture_loader.h"

#include "platform/files.h"
#include "widgets/jpeg_decode_p.h"
#include "widgets/picture_memory_p.h"
#include "widgets/widget_error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

#include <utility>

namespace {

using picture_memory::kMaxPictureSide;

[[noreturn]] void raise(const QString &text) { raiseWidgetError(WidgetErrc::Picture, text); }

// The path as the screens build it ("file://" + AppDir + "\img\BALL.bmp") made usable
// on this file system.
QString normalisePath(QString path)
{
    if (path.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        path.remove(0, 7);
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return ResolveFileName(path);
}

QByteArray readWholeFile(const QString &path)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        const QString reason = QFileInfo(path).isDir() ? QStringLiteral("Is a directory") : file.errorString();
        raise(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
    }
    return file.readAll();
}

QImage decodeWithQt(const QByteArray &data, const char *format, const char *invalidText)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        raise(QString::fromLatin1(invalidText));
    return image;
}

QImage decodeBitmap(const QByteArray &data)
{
    // Qt's reader also accepts a header-less DIB; a file on disk must start with "BM".
    if (!data.startsWith("BM"))
        raise(QStringLiteral("Bitmap image is not valid"));
    // Qt's reader shows a cut-off bitmap with its missing rows black; a damaged file must
    // be reported instead. The pixel rows of an uncompressed bitmap must all be there.
    if (data.size() >= 34) {
        const auto u32 = [&](int at) {
            return quint32(quint8(data[at])) | quint32(quint8(data[at + 1])) << 8 | quint32(quint8(data[at + 2])) << 16
                   | quint32(quint8(data[at + 3])) << 24;
        };
        const quint32 infoSize = u32(14);
        const quint32 compression = u32(30);
        if (infoSize >= 40 && (compression == 0 || compression == 3)) {
            const qint64 width = qint32(u32(18));
            const qint64 height = qint32(u32(22));
            const qint64 bits = quint16(quint8(data[28]) | quint8(data[29]) << 8);
            if (width <= 0 || width > kMaxPictureSide || height == 0 || height > kMaxPictureSide
                || height < -kMaxPictureSide || bits == 0 || bits > 64)
                raise(QStringLiteral("Bitmap image is not valid"));
            const qint64 rowBytes = ((width * bits + 31) / 32) * 4;
            const qint64 needed = qint64(u32(10)) + rowBytes * (height < 0 ? -height : height);
            if (needed > data.size())
                raise(QStringLiteral("Bitmap image is not valid"));
        }
    }
    return decodeWithQt(data, "bmp", "Bitmap image is not valid").convertToFormat(QImage::Format_RGB32);
}

bool isJpeg(const QString &lowerSuffix)
{
    return lowerSuffix == QLatin1String("jpg") || lowerSuffix == QLatin1String("jpeg");
}

// The file at `path`, drawn at device pixel ratio `ratio`, for views that draw it inside
// `box` device pixels (empty: at any size).
Picture loadPicture(const QString &path, qreal ratio, QSize box)
{
    const QString ext = QFileInfo(path).suffix();
    const QString lower = ext.toLower();
    const bool known = lower == QLatin1String("bmp") || lower == QLatin1String("ico") || isJpeg(lower)
                       || lower == QLatin1String("emf") || lower == QLatin1String("wmf");
    if (!known)
        raise(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
    const QByteArray data = readWholeFile(path);
    QImage image;
    if (lower == QLatin1String("bmp")) {
        image = decodeBitmap(data);
    } else if (lower == QLatin1String("ico")) {
        image = decodeWithQt(data, "ico", "Icon image is not valid").convertToFormat(QImage::Format_ARGB32);
    } else if (isJpeg(lower)) {
        jpeg_decode::Decoded decoded = jpeg_decode::decode(data, box);
        if (decoded.pixels.size() != decoded.full)
            return Picture(decoded.pixels, decoded.full, ratio, data);
        image = decoded.pixels;
    } else {
        raise(QStringLiteral("Metafile pictures (.%1) cannot be shown on this system: \"%2\"").arg(ext, path));
    }
    image.setDevicePixelRatio(ratio);
    return Picture(image);
}

// The file to read for `given` and the device pixel ratio it is drawn at: on a screen
// that wants double-resolution pictures, `name@2x.ext` beside it when that exists (ratio
// 2), else the file itself. Only the exact name is tried: the asset maker writes both,
// and a folder of photos is not listed again for every photo.
std::pair<QString, qreal> fileForScreen(const QString &given)
{
    const QString path = normalisePath(given);
    if (PictureRatio() < 2)
        return {path, 1};
    const QFileInfo info(path);
    const QString sharp =
        info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
    return QFileInfo::exists(sharp) ? std::pair<QString, qreal>(sharp, 2) : std::pair<QString, qreal>(path, 1);
}

} // namespace

int PictureRatio() { return qGuiApp && qGuiApp->devicePixelRatio() > 1.01 ? 2 : 1; }

Picture LoadPicture(const QString &given, QSize box)
{
    const auto [path, ratio] = fileForScreen(given);
    return loadPicture(path, ratio, box);
}

QImage LoadPictureFile(const QString &given) { return LoadPicture(given).full(); }

QImage LoadBitmapFile(const QString &given)
{
    const auto [path, ratio] = fileForScreen(given);
    QImage image = decodeBitmap(readWholeFile(path));
    image.setDevicePixelRatio(ratio);
    return image;
}
