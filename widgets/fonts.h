// The screens are drawn in Tahoma. A free Tahoma ships outside fontconfig's folders; it is
// registered with Qt at start-up when found, and a sans-serif of the same narrow metrics
// class stands in when it is not.
#pragma once

#include <QFont>
#include <QString>

// Registers tahoma.ttf and tahomabd.ttf when found (idempotent). Returns whether Tahoma
// is available afterwards.
bool RegisterProgramFonts();

// "Tahoma" once registered, otherwise the stand-in family.
QString ProgramFontFamily();

// The program font at a pixel height (the designs' negative font heights), e.g.
// ProgramFont(11, true) for "Tahoma, height -11, bold".
QFont ProgramFont(int pixelHeight, bool bold = false);

// The lettering of the pictures the program draws (skins, glyphs, photos): a sans-serif
// with a heavy bold, the condensed cut for captions in narrow places.
QFont PictureFont(int pixelHeight, bool bold, bool condensed = false);
