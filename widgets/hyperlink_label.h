// A windowless text link: one font and background while the mouse is over it, another
// otherwise, an optional outline around the letters, and a click anywhere on it, or
// Enter or Space while it has the keyboard focus (Tab reaches it).
#pragma once

#include "widgets/colored_font.h"

#include <QWidget>

// An outline drawn around the letters of the caption.
struct TextOutline {
    bool Visible = true;
    QColor Color = QColor(0, 0, 128); // 8388608 in the designs' colour numbers
    int Width = 1;
};

class HyperlinkLabel : public QWidget {
    Q_OBJECT
public:
    explicit HyperlinkLabel(QWidget *parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString &text);
    const ColoredFont &FontEnter() const { return m_fontEnter; }
    void setFontEnter(const ColoredFont &f);
    const ColoredFont &FontLeave() const { return m_fontLeave; }
    void setFontLeave(const ColoredFont &f);
    // Backgrounds of the two states, used only when not transparent.
    QColor ColorEnter() const { return m_colorEnter; }
    void setColorEnter(const QColor &c);
    QColor ColorLeave() const { return m_colorLeave; }
    void setColorLeave(const QColor &c);
    // Qt::AlignLeft, Qt::AlignRight or Qt::AlignHCenter (the default).
    Qt::Alignment Alignment() const { return m_alignment; }
    void setAlignment(Qt::Alignment a);
    bool WordWrap() const { return m_wordWrap; }
    void setWordWrap(bool w);
    const ::TextOutline &textOutline() const { return m_outline; }
    void setTextOutline(const ::TextOutline &o);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool t);

    bool MouseOver() const { return m_mouseOver; }

signals:
    void clicked(); // OnClick

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void enterEvent(QEnterEvent *) override;
    void leaveEvent(QEvent *) override;
    void keyPressEvent(QKeyEvent *) override;
    void focusInEvent(QFocusEvent *) override;
    void focusOutEvent(QFocusEvent *) override;

private:
    QString m_caption;
    ColoredFont m_fontEnter;
    ColoredFont m_fontLeave;
    QColor m_colorEnter = Qt::white;
    QColor m_colorLeave = Qt::white;
    Qt::Alignment m_alignment = Qt::AlignHCenter;
    bool m_wordWrap = true;
    ::TextOutline m_outline;
    bool m_transparent = false;
    bool m_mouseOver = false;
};
