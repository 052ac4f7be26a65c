// Index planning for the copy. The database layer knows no catalogue: the indexes that
// the catalogue's joins and filters need come from the caller as hints.
#include "db/index_plan_p.h"

#include <QSet>
#include <algorithm>
#include <optional>

namespace db::detail {

std::vector<std::vector<size_t>> planIndexes(const QStringList &columns,
                                             const std::vector<std::vector<size_t>> &fileIndexes,
                                             const QList<QStringList> &hints)
{
    std::vector<std::vector<size_t>> planned;
    QSet<size_t> firstColumns;
    auto plan = [&](const std::vector<size_t> &index) {
        if (index.empty() || std::find(planned.begin(), planned.end(), index) != planned.end())
            return;
        planned.push_back(index);
        firstColumns.insert(index.front());
    };
    for (const auto &index : fileIndexes)
        plan(index);
    for (const QStringList &hint : hints) {
        std::vector<size_t> index;
        for (const QString &wanted : hint) {
            const auto at = std::find_if(columns.begin(), columns.end(),
                                         [&](const QString &c) { return c.compare(wanted, Qt::CaseInsensitive) == 0; });
            if (at == columns.end())
                break;
            index.push_back(size_t(at - columns.begin()));
        }
        if (!index.empty() && index.size() == size_t(hint.size()) && !firstColumns.contains(index.front()))
            plan(index);
    }
    return planned;
}

QString hintsText(const QList<QStringList> &hints)
{
    QStringList indexes;
    for (const QStringList &hint : hints)
        indexes << hint.join(u',').toLower();
    return indexes.join(u';');
}

QList<QStringList> hintsFromText(const QString &text)
{
    QList<QStringList> hints;
    for (const QString &index : text.split(u';', Qt::SkipEmptyParts))
        hints << index.split(u',', Qt::SkipEmptyParts);
    return hints;
}

} // namespace db::detail
