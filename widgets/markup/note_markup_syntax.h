// The syntax of the note label's markup: where tags and entities are, which tags the
// label knows, and what in a note it cannot read as written. The label's reader
// (widgets/note_markup.h) and the catalogue check both go through it, so they agree on
// every note.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

struct NoteTag {
    QString name; // upper case
    bool closing = false;
    QHash<QString, QString> attributes; // names upper case, values unquoted
};

struct NoteToken {
    // Text: characters as shown, entities resolved. Tag: a complete <...>. StrayOpen: a
    // '<' that starts a tag whose '>' never comes; the label shows it as text.
    enum Kind { Text, Tag, StrayOpen };
    Kind kind = Text;
    QString text;
    NoteTag tag;
};

std::vector<NoteToken> ScanNoteMarkup(const QString &markup);

// Tags that change the style of the text up to their closing tag (B, I, U, S, FONT, SUB,
// SUP, A, Z); the others the label knows stand alone (BR, HR, P, IMG).
bool IsNoteStyleTag(const QString &upperName);
bool IsNoteTag(const QString &upperName);

// What keeps the label from showing a note as written, one readable line each: a tag it
// does not know (dropped), a style tag still open at the end, a tag without its '>'.
// Empty for a sound note.
QStringList NoteMarkupFaults(const QString &markup);
