// Reading picture files into images: bmp, ico and JPEG (through libjpeg, so a damaged file
// is an error rather than the end of the process). The image view, the bitmap button and
// the grid's marker cells all load through here, so the messages are the same everywhere.
#pragma once

#include "widgets/picture.h"

#include <QImage>
#include <QSize>
#include <QString>

// Loads a picture, the format chosen by the extension ignoring case: bmp, ico, jpg, jpeg
// (emf and wmf are recognised but have no decoder here). Backslashes count as folder
// separators, a leading "file://" is dropped, and a name missing in the exact case is
// looked up ignoring case. JPEGs are decoded at full size in 24-bit colour. The result
// is Format_RGB32 (Format_ARGB32 for icons). Raises WidgetError (WidgetErrc::Picture):
//   Cannot open file "<path>". <system error text>
//   Unknown picture file extension (.<ext>)
//   Bitmap image is not valid
//   JPEG error #<libjpeg message number>
// On a screen that wants double-resolution pictures (PictureRatio() 2), `name@2x.ext`
// beside the file is read instead when it exists, with a device pixel ratio of 2 (its
// size in window pixels stays the file's).
QImage LoadPictureFile(const QString &path);

// The same picture for views that draw it fitted inside `box` device pixels at most: a
// JPEG larger than that is held decoded at a reduced scale (see Picture), which is faster
// to decode and to resample; its full resolution is decoded only when asked for. An empty
// box, and every other format, give the picture whole. Same errors as LoadPictureFile.
Picture LoadPicture(const QString &path, QSize box = QSize());

// Loads a Windows bitmap only, whatever the extension (button glyphs). Same open error;
// anything that is not a readable bitmap gives "Bitmap image is not valid".
QImage LoadBitmapFile(const QString &path);

// 2 while a screen draws more than one pixel for each window pixel (a HiDPI screen, or the
// program's scale above 1), else 1: the resolution the program's own pictures are drawn
// and chosen at. 1 without a GUI application.
int PictureRatio();
