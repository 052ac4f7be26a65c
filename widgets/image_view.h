// The picture control of the skinned windows: one 32-bit picture placed top-left or
// centred, at its own size or fitted to the view, over a background colour. Other
// controls may be its children and are drawn over the picture. Sizes are window pixels;
// on a scaled or HiDPI screen the picture is resampled to the screen's pixels.
#pragma once

#include "widgets/picture.h"

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

    // The picture at full resolution (empty at creation); a picture held reduced is decoded
    // whole on the first call (see Picture::full). setBitmap converts to Format_RGB32/ARGB32
    // as needed.
    const QImage &Bitmap() const { return m_picture.full(); }
    void setBitmap(const QImage &image);
    // A picture that may be held reduced: drawn from its reduced pixels while they suffice.
    void setPicture(const Picture &picture);
    // Loads a file (see picture_loader.h), reduced to what this view draws; on failure
    // raises WidgetError (Picture) and keeps the previous picture.
    void LoadPictureFile(const QString &path);
    // Takes a copy of another view's picture and its resampler.
    void AssignBitmap(const ImageView &source);
    // The most device pixels a picture is drawn at in this view at its current size: its
    // size for the modes that fit the picture inside it, empty where a picture is drawn at
    // its own size whatever the view's (LoadPicture's box).
    QSize PixelBox() const;

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
    Picture m_picture;
    QImage m_scaled; // the picture resampled to the screen pixels of the last drawn size
    BitmapAlign m_align = BitmapAlign::baTopLeft;
    ScaleMode m_mode = ScaleMode::smNormal;
    double m_scale = 1.0;
    Resampler m_resampler = Resampler::Nearest;
    QColor m_color;
};
