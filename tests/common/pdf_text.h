// Reading a PDF back as a person's tools see it, through poppler's command-line tools:
// how many pages and how large, and the text on them. A missing tool fails the test
// (scripts/setup.sh installs poppler-utils).
#pragma once

#include <QSizeF>
#include <QString>

namespace testsupport {

struct PdfFacts {
    int pages = 0;
    QSizeF pageSize; // points, of the first page
    QString text;    // the text on the pages, in reading order, lines kept
};

// Empty facts (0 pages) after a failure has been added to the test.
PdfFacts readPdf(const QString &path);

} // namespace testsupport
