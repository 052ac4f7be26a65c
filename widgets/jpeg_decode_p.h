// JPEG files into 32-bit pixels through libjpeg, whole or at one of its reduced scales.
// Every decoder complaint, the warnings about corrupt or truncated data included, becomes
// a picture error carrying libjpeg's message number instead of ending the process or
// leaving grey bands.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace jpeg_decode {

struct Decoded {
    QImage pixels; // Format_RGB32, at full size or reduced
    QSize full;    // the picture's full size in pixels
};

// `data` decoded. With an empty `box`, at full size. Otherwise the picture is only ever
// drawn fitted inside `box` pixels (keeping its shape), so it is decoded at the smallest of
// libjpeg's scales 1/8, 1/4, 1/2 and 1 whose pixels still cover that fitted picture in both
// directions: libjpeg then skips most of its inverse transform, and the pixels to resample
// are a fraction. The scale changes no error: every scale reads all of the data. Raises
// WidgetError (Picture): "JPEG error #<libjpeg message number>", or "Picture too large to
// show (<w> x <h> pixels)" for a header beyond picture_memory's limits.
Decoded decode(const QByteArray &data, QSize box = QSize());

// The denominator decode() uses for a picture of `full` pixels drawn inside `box`.
int reducedScale(QSize full, QSize box);

} // namespace jpeg_decode
