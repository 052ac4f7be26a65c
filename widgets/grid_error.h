// The error the grids raise: an index outside the table, or an exchange file that cannot
// be created or opened. what() is the text the general error report shows.
#pragma once

#include <QString>
#include <stdexcept>

class GridError : public std::runtime_error {
public:
    explicit GridError(const QString &message) : std::runtime_error(message.toStdString()) {}
};

// Every grid error goes out through here, so the texts stay in one place.
[[noreturn]] inline void raiseGridError(const QString &message)
{
    throw GridError(message);
}

// "Grid index out of range", the one text for any row or column outside the table.
[[noreturn]] inline void raiseGridIndexError()
{
    raiseGridError(QStringLiteral("Grid index out of range"));
}
