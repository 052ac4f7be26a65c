// The picture control: placement arithmetic and painting with the chosen resampler.
#include "widgets/image_view.h"

#include "widgets/picture_loader.h"

#include <QPainter>
#include <QtMath>

namespace {

// a * b / c to the nearest whole number, halves rounded up; all positive.
int mulDivRound(int a, int b, int c) { return int((2 * qint64(a) * b + c) / (2 * qint64(c))); }

QSize resizedSize(QSize view, QSize pic)
{
    const int W = view.width(), H = view.height(), w = pic.width(), h = pic.height();
    // W / w >= H / h, compared without rounding.
    if (qint64(W) * h >= qint64(H) * w)
        return QSize(mulDivRound(w, H, h), H);
    return QSize(W, mulDivRound(h, W, w));
}

} // namespace

QRect PlacePicture(QSize view, QSize picture, BitmapAlign align, ScaleMode mode, double scale)
{
    if (picture.isEmpty() || view.width() <= 0 || view.height() <= 0)
        return {};
    QSize drawn = picture;
    if (mode == ScaleMode::smResize) {
        drawn = resizedSize(view, picture);
    } else if (mode == ScaleMode::smOptimalScaled) {
        const QSize scaled(int(qRound64(picture.width() * scale)), int(qRound64(picture.height() * scale)));
        drawn =
            scaled.width() <= view.width() && scaled.height() <= view.height() ? scaled : resizedSize(view, picture);
    }
    if (drawn.width() < 1 || drawn.height() < 1)
        return {};
    QPoint at(0, 0);
    if (align == BitmapAlign::baCenter)
        at = QPoint((view.width() - drawn.width()) / 2, (view.height() - drawn.height()) / 2);
    return QRect(at, drawn);
}

ImageView::ImageView(QWidget *parent) : QWidget(parent) {}

void ImageView::setBitmap(const QImage &image)
{
    setPicture(Picture(image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                               : image.convertToFormat(QImage::Format_RGB32)));
}

void ImageView::setPicture(const Picture &picture)
{
    m_picture = picture;
    m_scaled = QImage();
    update();
}

void ImageView::LoadPictureFile(const QString &path)
{
    setPicture(LoadPicture(path, PixelBox())); // assigns only after a complete decode
}

void ImageView::AssignBitmap(const ImageView &source)
{
    m_resampler = source.m_resampler;
    setPicture(source.m_picture);
}

QSize ImageView::PixelBox() const
{
    if (m_mode != ScaleMode::smResize && m_mode != ScaleMode::smOptimalScaled)
        return QSize();
    const qreal ratio = devicePixelRatioF();
    return QSize(qCeil(width() * ratio), qCeil(height() * ratio));
}

void ImageView::setBitmapAlign(BitmapAlign a)
{
    m_align = a;
    update();
}

void ImageView::setScaleMode(ScaleMode m)
{
    m_mode = m;
    update();
}

void ImageView::setScale(double s)
{
    m_scale = s;
    update();
}

void ImageView::setResampler(Resampler r)
{
    m_resampler = r;
    m_scaled = QImage();
    update();
}

void ImageView::setColor(const QColor &c)
{
    m_color = c;
    update();
}

QSize ImageView::PictureSize() const { return m_picture.windowSize(); }

QRect ImageView::PictureRect() const { return PlacePicture(size(), PictureSize(), m_align, m_mode, m_scale); }

void ImageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    if (m_color.isValid())
        p.fillRect(rect(), m_color);
    const QRect target = PictureRect();
    if (target.isEmpty())
        return;
    // The picture is resampled to the screen's pixels once per drawn size, from the
    // picture's own pixels (a reduced decode where that has enough, else the full
    // resolution), so the painter only copies it: photos are large and repaint often
    // under children, and a painter scaling at a fractional device pixel ratio would pick
    // pixels instead of blending them.
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(target.width() * ratio), qRound(target.height() * ratio));
    const QImage &source = m_picture.pixelsFor(pixels);
    if (pixels == source.size()) {
        QImage same = source; // shared, not copied
        same.setDevicePixelRatio(ratio);
        p.drawImage(target.topLeft(), same);
        return;
    }
    if (m_scaled.size() != pixels) {
        // The design's resampler where the design resizes the picture; where only the
        // screen's ratio does, smooth.
        const bool designResized = target.size() != PictureSize();
        const bool nearest = designResized && m_resampler == Resampler::Nearest;
        m_scaled =
            source.scaled(pixels, Qt::IgnoreAspectRatio, nearest ? Qt::FastTransformation : Qt::SmoothTransformation);
        m_scaled.setDevicePixelRatio(ratio);
    }
    p.drawImage(target.topLeft(), m_scaled);
}

void ImageView::mouseDoubleClickEvent(QMouseEvent *) { emit doubleClicked(); }
