// libjpeg driven with an error manager that jumps back instead of exiting, and the choice
// of the reduced scale a photo is decoded at.
#include "widgets/jpeg_decode_p.h"

#include "widgets/picture_memory_p.h"
#include "widgets/widget_error.h"

#include <QString>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <memory>

#include <jpeglib.h>

namespace jpeg_decode {

namespace {

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

// How many pixels a picture side of `side` has at 1/`denom`: libjpeg rounds up.
qint64 scaledSide(qint64 side, int denom) { return (side + denom - 1) / denom; }

} // namespace

int reducedScale(QSize full, QSize box)
{
    if (box.isEmpty() || full.isEmpty())
        return 1;
    // The picture fitted inside the box, one pixel more each way for the rounding of the
    // fit; never more than the picture itself.
    const double fit = std::min(double(box.width()) / full.width(), double(box.height()) / full.height());
    const qint64 needW = std::min<qint64>(full.width(), qint64(full.width() * fit) + 1);
    const qint64 needH = std::min<qint64>(full.height(), qint64(full.height() * fit) + 1);
    for (int denom : {8, 4, 2})
        if (scaledSide(full.width(), denom) >= needW && scaledSide(full.height(), denom) >= needH)
            return denom;
    return 1;
}

Decoded decode(const QByteArray &data, QSize box)
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
        raiseWidgetError(WidgetErrc::Picture, QStringLiteral("JPEG error #%1").arg(code));
    }
    jpeg_create_decompress(&d->cinfo);
    d->created = true;
    jpeg_mem_src(&d->cinfo, reinterpret_cast<const unsigned char *>(data.constData()),
                 static_cast<unsigned long>(data.size()));
    jpeg_read_header(&d->cinfo, TRUE);
    // A damaged or hostile header can declare a picture of many gigabytes: refuse it
    // before any memory is taken for it.
    const QSize full(int(d->cinfo.image_width), int(d->cinfo.image_height)); // 65500 at most
    const qint64 side = std::max<qint64>(d->cinfo.image_width, d->cinfo.image_height);
    if (side > picture_memory::kMaxPictureSide
        || qint64(d->cinfo.image_width) * d->cinfo.image_height > picture_memory::kMaxPicturePixels) {
        const QString size = QStringLiteral("%1 x %2").arg(d->cinfo.image_width).arg(d->cinfo.image_height);
        jpeg_destroy_decompress(&d->cinfo);
        d->created = false;
        raiseWidgetError(WidgetErrc::Picture, QStringLiteral("Picture too large to show (%1 pixels)").arg(size));
    }
    // Straight into Qt's 0xffRRGGBB layout, 24-bit colour.
    d->cinfo.out_color_space = JCS_EXT_BGRX;
    d->cinfo.scale_num = 1;
    d->cinfo.scale_denom = static_cast<unsigned>(reducedScale(full, box));
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
    return {d->image, full};
}

} // namespace jpeg_decode
