// The light markup of the note label, read into a flat list of pieces: styled text,
// line breaks, paragraph starts, rules and pictures. Tag names are read in any letter
// case; tags outside the set below are dropped and the text around them kept.
//   B I U S, FONT (FACE COLOR BGCOLOR SIZE), P (ALIGN INDENT BGCOLOR), BR, HR,
//   IMG (SRC WIDTH HEIGHT ALIGN), SUB, SUP, A (HREF), Z (hidden text)
#pragma once

#include <QColor>
#include <QString>
#include <vector>

struct NoteStyle {
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool sub = false;
    bool sup = false;
    bool link = false;
    bool hidden = false;
    QString face;      // empty: the label's font
    QColor color;      // invalid: the label's colour (or the link colour)
    QColor background; // invalid: none
    int pointSize = 0; // 0: the label's size
};

struct NotePiece {
    enum Kind { Text, LineBreak, Paragraph, Rule, Image };
    Kind kind = Text;
    QString text;    // Text: the characters, entities resolved
    NoteStyle style; // Text and Image
    // Paragraph: alignment, indent and background of the lines that follow.
    Qt::Alignment align = Qt::AlignLeft;
    int indent = 0;
    QColor background;
    // Image: the file and the size asked for (0: the picture's own).
    QString src;
    int width = 0;
    int height = 0;
};

std::vector<NotePiece> ParseNoteMarkup(const QString &markup);

// A colour of the markup: a name such as "clred" or "clwindow" (any case), or "#RRGGBB".
// Invalid when not recognised.
QColor NoteColor(const QString &name);

// Text of the markup with the tags dropped and entities resolved (hidden text left out);
// line breaks, paragraphs and rules end a line ("\n"), once, and never before any text.
QString NotePlainText(const QString &markup);
