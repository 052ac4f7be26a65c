// The skinned button: frame cutting, the left-out colour, and the press / drag / release
// rules that decide when a click happens.
#include "widgets/bitmap_button.h"

#include "widgets/keyboard_focus.h"
#include "widgets/picture_loader.h"

#include <QAccessible>

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace {

// clBtnFace of the themed platform the designs were made on.
const QColor kButtonFace(240, 240, 240);

constexpr QRgb rgbOnly(QRgb c) { return c & 0x00ffffffu; }

} // namespace

BitmapButton::BitmapButton(QWidget *parent) : QWidget(parent), m_color(kButtonFace)
{
    // Tab reaches the button, a mouse click does not take the focus from the field the
    // user was typing in (the search buttons act on those fields).
    setFocusPolicy(Qt::TabFocus);
}

void BitmapButton::setGlyph(const QImage &glyph)
{
    m_glyph = glyph.convertToFormat(QImage::Format_RGB32);
    rebuildFrames();
}

void BitmapButton::LoadGlyphFile(const QString &path)
{
    setGlyph(LoadBitmapFile(path)); // the old glyph stays when the load throws
}

void BitmapButton::setNumGlyphs(int n)
{
    m_numGlyphs = qMax(1, n);
    rebuildFrames();
}

void BitmapButton::setTransparent(bool t)
{
    m_transparent = t;
    rebuildFrames();
}

void BitmapButton::setTransparentMode(TransparentMode m)
{
    m_transparentMode = m;
    rebuildFrames();
}

void BitmapButton::setColor(const QColor &c)
{
    m_color = c;
    rebuildFrames();
}

void BitmapButton::setHint(const QString &hint)
{
    m_hint = hint;
    setShowHint(m_showHint);
}

void BitmapButton::setCheckable(bool on)
{
    m_checkable = on;
    if (!on)
        m_checked = false;
}

void BitmapButton::setChecked(bool on)
{
    if (!m_checkable || on == m_checked)
        return;
    m_checked = on;
    // The glyph shows the state; assistive tools only learn of it from this event.
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void BitmapButton::setShowHint(bool show)
{
    m_showHint = show;
    QString shown = m_hint;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    setToolTip(show ? shown : QString());
}

int BitmapButton::CurrentFrame() const
{
    int state = 0;
    if (!isEnabled())
        state = 3;
    else if (m_pressed)
        state = 2;
    else if (m_mouseOver)
        state = 1;
    return state < m_numGlyphs ? state : 0;
}

void BitmapButton::rebuildFrames()
{
    m_frames.clear();
    if (!m_glyph.isNull()) {
        const int fw = m_glyph.width() / m_numGlyphs;
        const QRgb key = rgbOnly(m_transparentMode == TransparentMode::tmPixel ? m_glyph.pixel(0, 0) : m_color.rgb());
        for (int i = 0; i < m_numGlyphs && fw > 0; ++i) {
            QImage frame = m_glyph.copy(i * fw, 0, fw, m_glyph.height()).convertToFormat(QImage::Format_ARGB32);
            if (m_transparent) {
                for (int y = 0; y < frame.height(); ++y) {
                    auto *line = reinterpret_cast<QRgb *>(frame.scanLine(y));
                    for (int x = 0; x < frame.width(); ++x) {
                        if (rgbOnly(line[x]) == key)
                            line[x] = 0;
                    }
                }
            }
            m_frames.push_back(frame);
        }
    }
    update();
}

// Pressing and dragging are judged on the frame's resting place, so the 2-pixel shift of
// the pressed frame cannot make the edge flicker between pressed and not.
bool BitmapButton::hitsGlyph(QPoint p) const
{
    if (m_frames.empty())
        return false;
    const int frame = CurrentFrame();
    const QImage &image = m_frames[size_t(frame)];
    const QSize fs = image.deviceIndependentSize().toSize();
    const QRect r(QPoint((width() - fs.width()) / 2, (height() - fs.height()) / 2), fs);
    if (!r.contains(p))
        return false;
    if (!m_transparent)
        return true;
    // A double-resolution glyph is looked up at the pixel under the window pixel's corner.
    const qreal ratio = image.devicePixelRatio();
    const QPoint in((p - r.topLeft()) * ratio);
    return rgbOnly(m_glyph.pixel(frame * image.width() + in.x(), in.y())) != rgbOnly(m_color.rgb());
}

void BitmapButton::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // A glyph drawn at another ratio than the screen's (a scaled window) is blended, not
    // picked pixel by pixel.
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!m_transparent)
        p.fillRect(rect(), m_color);
    if (m_frames.empty())
        return;
    const QImage &frame = m_frames[size_t(CurrentFrame())];
    const QSize fs = frame.deviceIndependentSize().toSize();
    QPoint at((width() - fs.width()) / 2, (height() - fs.height()) / 2);
    if (m_pressed)
        at += QPoint(m_hIndent, m_vIndent);
    p.drawImage(at, frame);
    if (hasFocus()) {
        // Round buttons get a circle, the bar a pill.
        DrawFocusFrame(p, QRectF(rect()), std::min(width(), height()) / 2.0);
    }
}

void BitmapButton::mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !hitsGlyph(e->position().toPoint()))
        return;
    m_pressed = true;
    m_captured = true; // Qt keeps sending moves to the pressed widget until release
    update();
}

void BitmapButton::mouseMoveEvent(QMouseEvent *e)
{
    if (!m_captured)
        return;
    const bool over = hitsGlyph(e->position().toPoint());
    if (over != m_pressed) {
        m_pressed = over;
        update();
    }
}

void BitmapButton::mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton || !m_captured)
        return;
    m_captured = false;
    if (!m_pressed)
        return;
    m_pressed = false;
    repaint();
    emit clicked();
}

void BitmapButton::enterEvent(QEnterEvent *)
{
    m_mouseOver = true;
    update();
}

void BitmapButton::leaveEvent(QEvent *)
{
    m_mouseOver = false;
    update();
}

void BitmapButton::keyPressEvent(QKeyEvent *e)
{
    if (!IsPressKey(*e)) {
        QWidget::keyPressEvent(e);
        return;
    }
    emit clicked();
}

void BitmapButton::focusInEvent(QFocusEvent *e)
{
    update();
    QWidget::focusInEvent(e);
}

void BitmapButton::focusOutEvent(QFocusEvent *e)
{
    update();
    QWidget::focusOutEvent(e);
}

void BitmapButton::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}
