// The markup a grid cell may hold instead of plain text. The screens put only one form
// there, the marker: <IMG src="file://<path>" align="middle" width="15" height="15">.
// Tag and attribute names are read in any case; B and I switch bold and italic; other
// tags are skipped.
#pragma once

#include <QString>
#include <vector>

// Whether a cell's text is drawn as markup: it holds "</", "<B" or "<I", case as written.
bool IsCellMarkup(const QString &text);

// One piece of a markup cell: a run of text or a picture.
struct MarkupPiece {
    QString text;        // a text run, or empty for a picture
    QString imageSource; // the src attribute of an IMG tag
    int width = 0;       // requested size; used when both are 1 or more
    int height = 0;
    bool bold = false;
    bool italic = false;
};

std::vector<MarkupPiece> ParseCellMarkup(const QString &text);

// The local file an IMG source names: the part after "file://" (any case), backslashes
// and doubled separators read as one separator. Empty when the source is not a file.
QString MarkupFilePath(const QString &source);
