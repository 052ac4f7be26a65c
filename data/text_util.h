// Text helpers of the data layer that follow the original program's rules exactly:
// letter case folding of A..Z only, and first-occurrence replacement ignoring case.
#pragma once

#include <QString>

// Lower-cases the letters A..Z only; every other character stays.
QString LowerAsciiLetters(const QString &text);

// Replaces the first occurrence of `what` (ignoring the case of A..Z) by `with`.
QString ReplaceFirstIgnoringCase(const QString &text, const QString &what, const QString &with);

// `text` without leading and trailing blanks (the space character only).
QString TrimSpaces(const QString &text);
