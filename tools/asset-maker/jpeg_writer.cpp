// JPEG writing with libjpeg directly: fixed settings give the same bytes on every run.
#include "tools/asset-maker/pictures.h"

#include <QFile>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include <jpeglib.h>

void WriteJpeg(const QImage &image, const QString &path, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo;
    jpeg_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr);
    jpeg_create_compress(&cinfo);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    for (int i = 0; i < cinfo.num_components; ++i) {
        cinfo.comp_info[i].h_samp_factor = 1;
        cinfo.comp_info[i].v_samp_factor = 1;
    }
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    QFile out(path);
    const bool ok = out.open(QIODevice::WriteOnly | QIODevice::Truncate)
                    && out.write(reinterpret_cast<const char *>(buffer), qint64(size)) == qint64(size);
    std::free(buffer);
    if (!ok)
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + out.errorString().toStdString());
}
