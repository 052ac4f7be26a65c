// The picture control of the skinned windows: one 32-bit picture placed top-left or
// centred, at its own size or fitted to the view, over a background colour. Other
// controls may be its children and are drawn over the picture. Sizes are window pixels;
// on a scaled or HiDPI screen the picture is resampled to the screen's pixels.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

enum class BitmapAlign { baTopLeft, baCenter, baTile, baCustom };
// smStretch, smScale and smOptimal exist in the window designs but are drawn as smNormal.
enum class ScaleMode { smNormal, smStretch, smScale, smResize, smOptimal, smOptimalScaled };
// TNearestResampler and TLinearResampler of the designs.
enum class Resampler { Nearest, Linear };

// Where a picture of size `picture` is drawn in a view of size `view`; an empty rectangle
// when nothing is drawn. baTile and baCustom are placed as baTopLeft.
QRect PlacePicture(QSize view, QSize picture, BitmapAlign align, ScaleMode mode, double scale);

class ImageView : public QWidget {
    Q_OBJECT
public:
    explicit ImageView(QWidget *parent = nullptr);

    // The picture (empty at creation). setBitmap converts to Format_RGB32/ARGB32 as needed.
    const QImage &Bitmap() const { return m_bitmap; }
    void setBitmap(const QImage &image);
    // Loads a file into Bitmap (see picture_loader.h); on failure raises WidgetError (Picture) and
    // keeps the previous picture.
    void LoadPictureFile(const QString &path);
    // Takes a copy of another view's picture and its resampler.
    void AssignBitmap(const ImageView &source);

    BitmapAlign bitmapAlign() const { return m_align; }
    void setBitmapAlign(BitmapAlign a);
    ScaleMode scaleMode() const { return m_mode; }
    void setScaleMode(ScaleMode m);
    double Scale() const { return m_scale; }
    void setScale(double s);
    Resampler resampler() const { return m_resampler; }
    void setResampler(Resampler r);
    // Fills what the picture does not cover; invalid (the default) means the parent's
    // background shows.
    QColor Color() const { return m_color; }
    void setColor(const QColor &c);

    // The rectangle the picture is drawn in at the current size.
    QRect PictureRect() const;
    // The picture's size in window pixels (a double-resolution picture counts half).
    QSize PictureSize() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;

private:
    QImage m_bitmap;
    QImage m_scaled; // m_bitmap resampled to the screen pixels of the last drawn size
    BitmapAlign m_align = BitmapAlign::baTopLeft;
    ScaleMode m_mode = ScaleMode::smNormal;
    double m_scale = 1.0;
    Resampler m_resampler = Resampler::Nearest;
    QColor m_color;
};
