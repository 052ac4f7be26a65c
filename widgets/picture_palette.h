// The one palette of every picture the program draws (design glyphs, skins, photos), so
// the buttons, the skins and the generated photos look like one product.
#pragma once

#include <QColor>

namespace palette {

inline const QColor kSurface(243, 245, 248); // the skins' light working surface; glyph corners
inline const QColor kCard(255, 255, 255);    // fields, grids and photo boxes
inline const QColor kLine(201, 211, 224);    // frames and rules on the surface
inline const QColor kInk(27, 42, 65);        // captions
inline const QColor kInkSoft(94, 108, 130);  // secondary captions
inline const QColor kBlue(31, 95, 168);      // the brand blue
inline const QColor kBlueLight(74, 139, 214);
inline const QColor kBlueDark(18, 60, 112);
inline const QColor kBluePale(226, 235, 247);
inline const QColor kRed(200, 16, 46);
inline const QColor kRedLight(232, 72, 88);
inline const QColor kRedDark(130, 10, 30);
inline const QColor kGrey(230, 232, 236);
inline const QColor kGreyDark(160, 166, 176);

} // namespace palette
