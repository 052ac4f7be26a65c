// The General order's per-letter folding applied to a whole QString. Characters outside
// the Basic Multilingual Plane (surrogate halves) are kept as they are, which the order
// does too.
#include "db/text_fold.h"

#include "db/jet_text_p.h"

namespace db {

QString FoldText(QStringView text)
{
    QString folded(text.size(), Qt::Uninitialized);
    QChar *out = folded.data();
    for (const QChar c : text)
        *out++ = c.isSurrogate() ? c : QChar(char16_t(detail::foldCodePoint(c.unicode())));
    return folded;
}

} // namespace db
