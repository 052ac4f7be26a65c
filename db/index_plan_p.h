// Which indexes a table of the copy gets: the file's own, and those the caller asks for.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <vector>

namespace db::detail {

// The indexes of a table with the columns `columns` (as the file names them): first
// `fileIndexes` (column positions, each index once), then each hint of `hints` whose
// columns the table all has (matched without regard to case), unless an index already
// planned starts with its first column. Column positions of each index, in key order.
std::vector<std::vector<size_t>> planIndexes(const QStringList &columns,
                                             const std::vector<std::vector<size_t>> &fileIndexes,
                                             const QList<QStringList> &hints);

// The hints as one text, to be kept with a copy and compared: the same hints in the same
// order give the same text, whatever the case of their names.
QString hintsText(const QList<QStringList> &hints);

// The hints back from hintsText(); a text it did not write gives no hints.
QList<QStringList> hintsFromText(const QString &text);

} // namespace db::detail
