// Text folded as the catalogue's General order compares it, for code above this layer that
// matches typed words against catalogue text without going through a statement.
#pragma once

#include <QString>
#include <QStringView>

namespace db {

// `text` in lower case with accents removed, one code unit per code unit, so that two
// texts the catalogue holds equal fold to the same string ("Rondò" and "RONDO" both give
// "rondo") and a position in the folded text is a position in `text`.
QString FoldText(QStringView text);

} // namespace db
