// The skinned windowless button: a glyph strip of NumGlyphs frames (normal, mouse over,
// pressed, disabled), drawn centred with one colour left out so the window's skin shows
// through, and clicked by press-and-release on the glyph, or by Enter or Space while it
// has the keyboard focus (Tab reaches it).
#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

enum class TransparentMode { tmPixel, tmColor };

class BitmapButton : public QWidget {
    Q_OBJECT
public:
    explicit BitmapButton(QWidget *parent = nullptr);

    const QImage &Glyph() const { return m_glyph; }
    void setGlyph(const QImage &glyph);
    // Replaces the glyph by a bitmap file; raises WidgetError (Picture) and keeps the old glyph.
    void LoadGlyphFile(const QString &path);

    int NumGlyphs() const { return m_numGlyphs; }
    void setNumGlyphs(int n); // at least 1
    int HIndent() const { return m_hIndent; }
    void setHIndent(int v)
    {
        m_hIndent = v;
        update();
    }
    int VIndent() const { return m_vIndent; }
    void setVIndent(int v)
    {
        m_vIndent = v;
        update();
    }
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool t);
    TransparentMode transparentMode() const { return m_transparentMode; }
    void setTransparentMode(TransparentMode m);
    // Fill when not transparent, the left-out colour with tmColor, and the colour a press
    // on a transparent button may not land on. clBtnFace unless set.
    QColor Color() const { return m_color; }
    void setColor(const QColor &c);

    // Tooltip text ("\r" breaks the line) and whether it is shown.
    QString Hint() const { return m_hint; }
    void setHint(const QString &hint);
    bool ShowHint() const { return m_showHint; }
    void setShowHint(bool show);

    // A toggle's state, kept for assistive tools only: the owner swaps the glyph to show
    // it. A button that is not checkable is never checked.
    bool isCheckable() const { return m_checkable; }
    void setCheckable(bool on);
    bool isChecked() const { return m_checked; }
    void setChecked(bool on);

    bool MouseOver() const { return m_mouseOver; }
    bool Pressed() const { return m_pressed; }
    bool MouseCaptured() const { return m_captured; }
    // The frame drawn for the current state (0 normal, 1 over, 2 pressed, 3 disabled,
    // falling back to 0 when the strip has fewer frames).
    int CurrentFrame() const;

signals:
    void clicked(); // OnClick

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void changeEvent(QEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void focusInEvent(QFocusEvent *) override;
    void focusOutEvent(QFocusEvent *) override;

private:
    bool hitsGlyph(QPoint p) const;
    void rebuildFrames();

    QImage m_glyph;
    std::vector<QImage> m_frames; // with the left-out colour made fully transparent
    int m_numGlyphs = 1;
    int m_hIndent = 2;
    int m_vIndent = 2;
    bool m_transparent = true;
    TransparentMode m_transparentMode = TransparentMode::tmPixel;
    QColor m_color;
    QString m_hint;
    bool m_showHint = false;
    bool m_checkable = false;
    bool m_checked = false;
    bool m_mouseOver = false;
    bool m_pressed = false;
    bool m_captured = false;
};
