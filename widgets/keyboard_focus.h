// What the program's own controls share about the keyboard focus: how they show it, a
// black band 2 pixels wide edged outside with 1 pixel of white, so that on any skin,
// picture or selection colour one of the two stands out at least 3:1 from what lies next
// to it; and the keys that press a focused button.
#pragma once

#include <QColor>
#include <QRectF>

class QKeyEvent;
class QPainter;

// The band's colours, for tests that measure the frame.
inline const QColor kFocusInk(0, 0, 0);
inline const QColor kFocusHalo(255, 255, 255);
constexpr int kFocusFrameWidth = 3; // halo and band together, pixels from the outer edge

// Draws the frame just inside `outer`, with corners of `radius` (0: square corners).
void DrawFocusFrame(QPainter &painter, const QRectF &outer, qreal radius = 0);

// Enter, keypad Enter or Space, without other modifiers and not repeated by a held key.
bool IsPressKey(const QKeyEvent &event);
