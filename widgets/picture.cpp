// The picture held reduced or whole, and its full resolution decoded once on demand.
#include "widgets/picture.h"

#include "widgets/jpeg_decode_p.h"
#include "widgets/widget_error.h"

#include <QtGlobal>

struct Picture::State {
    QImage shown;     // the reduced decode; null when only the full picture is held
    QImage whole;     // the full picture, once decoded
    QSize fullPixels; // its size
    qreal ratio = 1;
    QByteArray jpeg; // the file, while the full picture may still be asked for
};

Picture::Picture(const QImage &full) : d(std::make_shared<State>())
{
    d->whole = full;
    d->fullPixels = full.size();
    d->ratio = full.devicePixelRatio();
}

Picture::Picture(const QImage &reduced, QSize fullPixels, qreal ratio, const QByteArray &jpeg)
    : d(std::make_shared<State>())
{
    d->shown = reduced;
    d->fullPixels = fullPixels;
    d->ratio = ratio;
    d->jpeg = jpeg;
}

QSize Picture::windowSize() const { return d ? (QSizeF(d->fullPixels) / d->ratio).toSize() : QSize(); }

bool Picture::isReduced() const { return d && !d->shown.isNull(); }

const QImage &Picture::pixelsFor(QSize pixels) const
{
    if (isReduced() && d->shown.width() >= pixels.width() && d->shown.height() >= pixels.height())
        return d->shown;
    try {
        return full();
    } catch (const WidgetError &e) {
        qWarning("A photo is drawn from its reduced pixels: %s", e.what());
        return d->shown;
    }
}

const QImage &Picture::full() const
{
    static const QImage none;
    if (!d)
        return none;
    if (d->whole.isNull() && !d->jpeg.isEmpty()) {
        d->whole = jpeg_decode::decode(d->jpeg).pixels;
        d->whole.setDevicePixelRatio(d->ratio);
        d->jpeg.clear(); // no longer needed; the reduced pixels stay for the small views
    }
    return d->whole;
}

qint64 Picture::sizeInBytes() const
{
    return d ? d->shown.sizeInBytes() + d->whole.sizeInBytes() + d->jpeg.size() : 0;
}
