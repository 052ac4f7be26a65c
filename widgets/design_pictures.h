// The pictures kept with the window designs (button glyphs, the applications bar before
// its first swap, the zoom window's link background, the grid backgrounds). They are
// drawn here, deterministically, instead of being stored as files; the asset maker also
// writes them out beside the other installed pictures.
#pragma once

#include "widgets/picture_loader.h" // PictureRatio

#include <QImage>

enum class DesignPicture {
    MagnifierGlyph,        // 33 x 33 blue round button with a white magnifier (searches, zoom)
    ExitGlyph,             // 33 x 33 red round button with a white X (catalogue exit)
    BackGlyph,             // 33 x 33 blue round button with a white left arrow
    CloseGlyph,            // 33 x 33 red circle with a white cross (brand screen close)
    PrintGlyph,            // 33 x 33 blue round button with a white printer (battery sheet)
    ApplicationsBarOff,    // 125 x 40 blue pill "MOSTRA VEICOLI MONTANTI"
    ApplicationsBarOn,     // 125 x 40 its red twin
    ZoomLinkBackground,    // 46 x 20 light-grey rounded rectangle behind "Chiudi"
    VersionGridBackground, // 517 x 277 white with thin blue vertical rules
    BatteryGridBackground, // 516 x 136 faint grid lines, pale rays, a bullet per 21 px row
    GridMarker,            // 15 x 15 ball of the make and model grids
    ReplacementBar,        // 146 x 30 blue pill "BATTERIE SOSTITUTIVE" (replacement finder)
    ReportGlyph,           // 33 x 33 red round button with a white flag (fit reports)
};

// The picture, Format_RGB32, drawn with `ratio` pixels to each design pixel (its device
// pixel ratio; PictureRatio() is the screens'). Glyphs have a plain corner colour for
// pixel transparency.
QImage DrawDesignPicture(DesignPicture which, int ratio = PictureRatio());
