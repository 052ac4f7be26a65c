// The Windows-1252 code page, where the program's texts meet 8-bit bytes: the SQL
// normalisation works on that form, and the grid exchange file is written in it.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Each character as its Windows-1252 byte; a character outside the code page becomes '?'.
QByteArray ToAnsi(const QString &text);
// Each byte as its Windows-1252 character (the five unassigned bytes map to the C1
// control of the same value, as Windows does).
QString FromAnsi(QByteArrayView bytes);
