// Picture files into images. JPEG goes through libjpeg directly so that every decoder
// complaint, warnings about corrupt or truncated data included, becomes a picture error
// carrying libjpeg's message number instead of ending the process or leaving grey bands.
#include "widgets/picture_loader.h"

#include "platform/files.h"
#include "widgets/picture_memory_p.h"
#include "widgets/widget_error.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace {

// The largest picture the screens are given: a battery photo is a few thousand pixels
// wide. Anything beyond is a damaged header, not a picture.
constexpr qint64 kMaxPictureSide = 20000;
constexpr qint64 kMaxPicturePixels = 100'000'000;

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

// libjpeg's error manager with a way out: the default one prints and exits.
struct JpegErrors {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int code;
};

extern "C" void jpegFail(j_common_ptr cinfo)
{
    auto *errors = reinterpret_cast<JpegErrors *>(cinfo->err);
    errors->code = errors->pub.msg_code;
    std::longjmp(errors->jump, 1);
}

// Warnings (level -1) mean corrupt or missing data that libjpeg would paper over.
extern "C" void jpegMessage(j_common_ptr cinfo, int level)
{
    if (level < 0)
        jpegFail(cinfo);
}

// Everything the decoder touches after setjmp lives here, behind a pointer that does not
// change, so the jump back leaves no local in an undefined state.
struct JpegDecode {
    jpeg_decompress_struct cinfo;
    JpegErrors errors;
    QImage image;
    bool created = false;
};

QImage decodeJpeg(const QByteArray &data)
{
    const auto d = std::make_unique<JpegDecode>();
    d->cinfo.err = jpeg_std_error(&d->errors.pub);
    d->errors.pub.error_exit = jpegFail;
    d->errors.pub.emit_message = jpegMessage;
    d->errors.code = 0;
    if (setjmp(d->errors.jump)) {
        const int code = d->errors.code;
        if (d->created)
            jpeg_destroy_decompress(&d->cinfo);
        raise(QStringLiteral("JPEG error #%1").arg(code));
    }
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    jpeg_mem_src(&d->cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d->cinfo, TRUE);
    // A damaged or hostile header can declare a picture of many gigabytes: refuse it
    // before any memory is taken for it.
    const qint64 side = std::max<qint64>(d->cinfo.image_width, d->cinfo.image_height);
    if (side > kMaxPictureSide || qint64(d->cinfo.image_width) * d->cinfo.image_height > kMaxPicturePixels) {
        const QString size = QStringLiteral("%1 x %2").arg(d->cinfo.image_width).arg(d->cinfo.image_height);
        jpeg_destroy_decompress(&d->cinfo);
        d->created = false;
        raise(QStringLiteral("Picture too large to show (%1 pixels)").arg(size));
    }
    // Straight into Qt's 0xffRRGGBB layout: full size, 24-bit colour.
    d->cinfo.out_color_space = JCS_EXT_BGRX;
    d->cinfo.scale_num = 1;
    d->cinfo.scale_denom = 1;
    jpeg_start_decompress(&d->cinfo);
    d->image =
        picture_memory::newImage(QSize(int(d->cinfo.output_width), int(d->cinfo.output_height)), QImage::Format_RGB32);
    if (d->image.isNull())
        d->errors.pub.error_exit(reinterpret_cast<j_common_ptr>(&d->cinfo)); // out of memory
    while (d->cinfo.output_scanline < d->cinfo.output_height) {
        JSAMPROW row = d->image.scanLine(int(d->cinfo.output_scanline));
        jpeg_read_scanlines(&d->cinfo, &row, 1);
    }
    jpeg_finish_decompress(&d->cinfo);
    jpeg_destroy_decompress(&d->cinfo);
    d->created = false;
    return d->image;
}

QImage loadPicture(const QString &path)
{
    const QString ext = QFileInfo(path).suffix();
    const QString lower = ext.toLower();
    const bool known = lower == QLatin1String("bmp") || lower == QLatin1String("ico") || lower == QLatin1String("jpg")
                       || lower == QLatin1String("jpeg") || lower == QLatin1String("emf")
                       || lower == QLatin1String("wmf");
    if (!known)
        raise(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
    const QByteArray data = readWholeFile(path);
    if (lower == QLatin1String("bmp"))
        return decodeBitmap(data);
    if (lower == QLatin1String("ico"))
        return decodeWithQt(data, "ico", "Icon image is not valid").convertToFormat(QImage::Format_ARGB32);
    if (lower == QLatin1String("jpg") || lower == QLatin1String("jpeg"))
        return decodeJpeg(data);
    raise(QStringLiteral("Metafile pictures (.%1) cannot be shown on this system: \"%2\"").arg(ext, path));
}

// The file drawn at twice the resolution beside `path` (`name@2x.ext`), when the screens
// want such pictures and it exists; empty otherwise. Only the exact name is tried: the
// asset maker writes both, and a folder of photos is not listed again for every photo.
QString doubleResolutionFile(const QString &path)
{
    if (PictureRatio() < 2)
        return QString();
    const QFileInfo info(path);
    const QString candidate =
        info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("@2x.") + info.suffix();
    return QFileInfo::exists(candidate) ? candidate : QString();
}

// `load` of the double-resolution file when there is one, marked as such, else of `path`.
template <class Load>
QImage loadForScreen(const QString &path, Load load)
{
    const QString sharp = doubleResolutionFile(path);
    if (sharp.isEmpty())
        return load(path);
    QImage image = load(sharp);
    image.setDevicePixelRatio(2);
    return image;
}

} // namespace

int PictureRatio() { return qGuiApp && qGuiApp->devicePixelRatio() > 1.01 ? 2 : 1; }

QImage LoadPictureFile(const QString &given) { return loadForScreen(normalisePath(given), loadPicture); }

QImage LoadBitmapFile(const QString &given)
{
    return loadForScreen(normalisePath(given), [](const QString &path) { return decodeBitmap(readWholeFile(path)); });
}
