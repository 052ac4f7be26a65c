// A windowless label that shows a short note written in light markup (bold, fonts,
// paragraphs, pictures, links...; see note_markup.h), word-wrapped and cut at the bottom.
#pragma once

#include "widgets/colored_font.h"

#include <QStringList>
#include <QWidget>

class NoteLabel : public QWidget {
    Q_OBJECT
public:
    explicit NoteLabel(QWidget *parent = nullptr);

    // The markup lines; they are joined with nothing between them (a line break needs BR).
    const QStringList &HTMLText() const { return m_lines; }
    void setHTMLText(const QStringList &lines);
    void clearHTMLText() { setHTMLText({}); }
    void addHTMLLine(const QString &line) { setHTMLText(m_lines + QStringList{line}); }
    // The whole markup as drawn.
    QString Markup() const { return m_lines.join(QString()); }

    // The base font and its colour (the note is Tahoma 11 px bold red on the screens).
    const ColoredFont &labelFont() const { return m_font; }
    void setLabelFont(const ColoredFont &f);
    bool Transparent() const { return m_transparent; }
    void setTransparent(bool t);
    QColor URLColor() const { return m_urlColor; }
    void setURLColor(const QColor &c);
    QColor ShadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &c);
    int ShadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(int px);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QStringList m_lines;
    ColoredFont m_font;
    bool m_transparent = true;
    QColor m_urlColor = Qt::blue;
    QColor m_shadowColor = Qt::gray;
    int m_shadowOffset = 2;
};
