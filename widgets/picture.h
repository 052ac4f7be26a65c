// A picture as the screens hold it: the pixels it is drawn from, which for a photo shown
// small may be a reduced decode of its file, and the picture at full resolution, decoded
// from the file's bytes only when something asks for it (the zoom window, the printed
// sheet, a larger view). Copies share both, as QImage's copies share pixels, so a picture
// and its copies belong to one thread (the screens').
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <memory>

class Picture {
public:
    // No picture.
    Picture() = default;
    // A picture held at full resolution.
    explicit Picture(const QImage &full);
    // A JPEG file's picture held as `reduced` pixels of a picture `fullPixels` in size, with
    // `jpeg`, the file's bytes, to decode it whole from; `ratio` is the device pixel ratio the
    // whole picture is drawn at (2 for a double-resolution file).
    Picture(const QImage &reduced, QSize fullPixels, qreal ratio, const QByteArray &jpeg);

    bool isNull() const { return !d; }
    // The full picture's size in window pixels (a double-resolution picture counts half).
    QSize windowSize() const;
    // Whether the pixels held now are a reduced decode.
    bool isReduced() const;
    // The pixels to draw the picture from at `pixels` device pixels: the reduced decode when
    // it has at least that many each way, else the full picture. Raises nothing, as a paint
    // cannot: when the full picture cannot be had for lack of memory, the reduced pixels,
    // drawn coarser, with a warning in the log.
    const QImage &pixelsFor(QSize pixels) const;
    // The picture at full resolution, decoded on the first call when only a reduced one is
    // held. Decoding the bytes the reduced one came from again fails only for lack of
    // memory: WidgetError (Picture).
    const QImage &full() const;
    // Bytes held: pixels and, for a reduced picture, the file's bytes.
    qint64 sizeInBytes() const;

private:
    struct State;
    std::shared_ptr<State> d;
};
