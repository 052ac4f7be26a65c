// The stock line's parts joined by middle dots, in the order the counter reads them: how
// many are here, how old that number is when it is old, the price, the shelves, then the
// other branches of a chain. The date comes right after the quantity, so that it is never
// the part an elided line cuts off.
#include "catalog/stock/stock_text.h"

#include <QLocale>
#include <QStringList>

namespace catalog {

namespace {

const QLocale &italian()
{
    static const QLocale locale(QLocale::Italian, QLocale::Italy);
    return locale;
}

QString shelvesText(const QStringList &shelves)
{
    QStringList named;
    for (const QString &s : shelves) {
        if (!s.trimmed().isEmpty())
            named << s.trimmed();
    }
    if (named.isEmpty())
        return {};
    return (named.size() == 1 ? QStringLiteral("Scaffale ") : QStringLiteral("Scaffali "))
           + named.join(QStringLiteral(", "));
}

QString otherBranchesText(const QList<shop::BranchStock> &branches)
{
    QStringList named;
    for (const shop::BranchStock &b : branches)
        named << QStringLiteral("%1 (%2)").arg(b.branch, CountText(b.quantity));
    return named.isEmpty() ? QString() : QStringLiteral("Anche in: ") + named.join(QStringLiteral(", "));
}

} // namespace

QString PriceText(qint64 cents)
{
    return italian().toCurrencyString(double(cents) / 100.0, QStringLiteral("\u20ac"), 2);
}

QString CountText(int count) { return italian().toString(count); }

StockText StockLineText(const shop::StockLine &line, const QDateTime &now)
{
    using State = shop::StockLine::State;
    if (line.state == State::NoStock)
        return {};
    if (line.state == State::Unreachable)
        return {QStringLiteral("Giacenze non raggiungibili"), true};

    QStringList parts;
    parts << (line.quantity > 0 ? QStringLiteral("Disponibili: ") + CountText(line.quantity)
                                : QStringLiteral("Non disponibile"));
    // A stock file written ahead of the counter's clock is not old.
    const bool stale = line.asOf.isValid() && line.asOf.secsTo(now) > kStaleStockSecs;
    if (stale)
        parts << QStringLiteral("giacenze del ") + line.asOf.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
    if (line.priceCents)
        parts << PriceText(*line.priceCents);
    if (line.quantity > 0) {
        if (const QString shelves = shelvesText(line.shelves); !shelves.isEmpty())
            parts << shelves;
    }
    if (const QString others = otherBranchesText(line.otherBranches); !others.isEmpty())
        parts << others;
    return {parts.join(QStringLiteral(" \u00b7 ")), stale};
}

QString FindRowStockText(std::optional<int> quantity)
{
    if (!quantity)
        return {};
    if (*quantity <= 0)
        return QStringLiteral("non disponibile");
    return CountText(*quantity) + (*quantity == 1 ? QStringLiteral(" disponibile") : QStringLiteral(" disponibili"));
}

} // namespace catalog
