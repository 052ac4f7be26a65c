// Pixel memory for decoded pictures, kept when a picture goes and given to the next one
// it fits. A battery photo is megabytes of pixels, decoded on a click and dropped a few
// clicks later; made afresh each time, every one of its pages is found, cleared and mapped
// by the system again, which on a virtual machine can cost as much as decoding it. Kept,
// the same pages are written over. Only a few blocks are kept, so memory stays bounded over a
// day of clicks.
#pragma once

#include <QImage>
#include <cstddef>

namespace picture_memory {

// Pictures smaller than this take their pixels from the heap as any image does: its free
// room already serves them again. The program gives blocks this large mappings of their
// own (shell/startup.cpp), which the kept blocks rely on.
inline constexpr qsizetype kSmallestKept = 128 * 1024;

// The largest picture the screens are given: a battery photo is a few thousand pixels
// wide. Anything beyond is a damaged header, not a picture, and is refused before any
// memory is taken for it.
inline constexpr qint64 kMaxPictureSide = 20000;
inline constexpr qint64 kMaxPicturePixels = 100'000'000;

// Limits of what is kept between pictures.
struct Limits {
    int blocks = 2;
    qsizetype bytes = 24 * 1024 * 1024;
};

// A new image of `size` in `format` (uninitialised pixels, as QImage's own constructor
// gives them), its pixels in a kept block made its size when one is kept, else in a new
// one; the block is kept again when the image and all its copies are gone. A null image when
// the memory cannot be had. Safe from any thread.
QImage newImage(QSize size, QImage::Format format);

// What is kept now, for tests: the blocks and their bytes.
int keptBlocks();
qsizetype keptBytes();
// Sets the limits (dropping what they no longer allow) and returns the earlier ones.
Limits setLimits(const Limits &limits);

} // namespace picture_memory
