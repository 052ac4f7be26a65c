// The stock listing. A code asked for is listed in every branch that imported stock, with
// 0 where a branch has none of it, so the listing answers "who has it" like the window.
#include "tools/shop-data/stock_listing.h"

#include <QLocale>

namespace shopdata {

namespace {

const QLocale &italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

QString row(const QString &branch, const shop::StockEntry &e)
{
    return QStringList{branch, e.code, ItalianNumber(e.quantity),
                       e.priceCents ? ItalianPrice(*e.priceCents) : QString(), e.shelves.join(QStringLiteral(", "))}
        .join(u'|');
}

} // namespace

QString ItalianNumber(qint64 n) { return italian().toString(n); }

QString ItalianPrice(qint64 cents) { return italian().toString(double(cents) / 100.0, 'f', 2) + QStringLiteral(" €"); }

QString StockListing(shop::Store &store, const QStringList &codes)
{
    const std::vector<shop::StockImport> imports = store.imports();
    if (imports.empty())
        return QStringLiteral("nessuna giacenza importata\n");
    QString out;
    for (const shop::StockImport &i : imports)
        out += QStringLiteral("%1: giacenze del %2, %3 %4 da %5\n")
                   .arg(i.branch, i.asOf.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")),
                        ItalianNumber(i.rowCount), i.rowCount == 1 ? QStringLiteral("riga") : QStringLiteral("righe"),
                        i.source);
    out += QStringLiteral("filiale|codice|disponibili|prezzo|scaffali\n");
    if (codes.isEmpty()) {
        for (const shop::BranchEntry &e : store.allStock())
            out += row(e.branch, e.entry) + u'\n';
        return out;
    }
    for (const QString &code : codes) {
        const std::vector<shop::BranchEntry> rows = store.stockOf(code);
        for (const shop::StockImport &i : imports) {
            shop::StockEntry entry{shop::NormalCode(code), 0, std::nullopt, {}};
            for (const shop::BranchEntry &e : rows)
                if (e.branch == i.branch)
                    entry = e.entry;
            out += row(i.branch, entry) + u'\n';
        }
    }
    return out;
}

} // namespace shopdata
