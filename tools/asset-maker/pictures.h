// The pictures of the program folder that are not kept with the window designs: the two
// window skins, the battery photos and their placeholder, and the JPEG writer for them.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

// Drawn with `ratio` pixels to each window pixel: 1 for the files the windows show, 2 for
// their `@2x` twins that HiDPI screens show.
QImage DrawBrandScreen(int ratio);      // img/intro.jpg, 1022 x 767
QImage DrawCatalogueSkin(int ratio);    // img/interna.jpg, 1021 x 767
QImage DrawPhotoPlaceholder(int ratio); // foto/vuoto.JPG
// A studio shot of a battery for the photo name (e.g. "korva_start"), at `size`.
QImage DrawBatteryPhoto(const QString &name, QSize size);
// The desktop icon, `size` x `size`, transparent around a rounded tile.
QImage DrawProgramIcon(int size);

// Writes a baseline JPEG without chroma subsampling, so lettering stays crisp.
void WriteJpeg(const QImage &image, const QString &path, int quality);

// The distinct, usable FOTO names of a battery table written as CSV (header "FOTO:...").
QStringList PhotoNamesFromCsv(const QString &csvPath);
