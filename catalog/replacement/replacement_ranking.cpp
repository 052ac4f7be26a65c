// The fit test and the ranking of replacement batteries. The catalogue keeps measures as
// text, written by hand over the years ("242", " 242", "242,0"), so every measure is read
// as a number before it is compared; a price list holds a few hundred batteries, so the
// whole list is parsed and sorted on every search.
#include "catalog/replacement/replacement_ranking.h"

#include <algorithm>
#include <cmath>

namespace catalog {

namespace {

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

bool sameText(const QString &a, const QString &b) { return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0; }

// ORDINE may be a number or a text: numbers compare as numbers, anything else as text
// without regard to case, an empty value first, as the catalogue's own sort puts Null.
int compareOrder(const QString &a, const QString &b)
{
    const std::optional<double> x = parseNumber(a), y = parseNumber(b);
    if (x && y)
        return *x < *y ? -1 : (*x > *y ? 1 : 0);
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive);
}

// A row that only says which code replaces a former one: no measures of its own.
bool isOldCodePointer(const ReplacementCandidate &c)
{
    return !c.oldCode.trimmed().isEmpty() && c.length.trimmed().isEmpty() && c.width.trimmed().isEmpty()
           && c.height.trimmed().isEmpty();
}

// Reads the battery's measure where the old battery's is known; false when it is not a
// number and so cannot be compared.
bool readMeasure(const QString &text, std::optional<double> old, std::optional<double> &into)
{
    into = parseNumber(text);
    return !old || into.has_value();
}

bool notBelow(std::optional<double> value, std::optional<double> old) { return !old || (value && *value >= *old); }

bool below(std::optional<double> value, std::optional<double> old) { return old && value && *value < *old; }

// How the old battery's filled fields sort a fitting battery: false sorts first.
struct RankKey {
    bool otherPolarity;
    bool otherHoldDown;
    bool weaker; // not like for like or better
    bool outOfStock;
    double spareSpace;
};

RankKey keyOf(const RankedReplacement &r, const OldBattery &old)
{
    return {r.polarityDiffers, r.holdDownDiffers,
            !(notBelow(r.capacity, old.capacity) && notBelow(r.discharge, old.discharge)), !inStock(r.battery),
            r.spareSpace};
}

} // namespace

std::optional<double> parseNumber(QStringView text)
{
    const QStringView t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))) {
        negative = t[i] == QLatin1Char('-');
        ++i;
    }
    double whole = 0, fraction = 0, scale = 1;
    bool digits = false, separator = false;
    for (; i < t.size(); ++i) {
        const QChar c = t[i];
        if (isAsciiDigit(c)) {
            digits = true;
            const int d = c.unicode() - '0';
            if (separator) {
                scale /= 10;
                fraction += d * scale;
            } else {
                whole = whole * 10 + d;
            }
        } else if ((c == QLatin1Char('.') || c == QLatin1Char(',')) && !separator) {
            separator = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digits)
        return std::nullopt;
    const double value = whole + fraction;
    return negative ? -value : value;
}

ReplacementResult rankReplacements(const std::vector<ReplacementCandidate> &candidates, const OldBattery &old)
{
    ReplacementResult result;
    for (const ReplacementCandidate &c : candidates) {
        if (isOldCodePointer(c))
            continue;
        RankedReplacement r;
        r.battery = c;
        if (!readMeasure(c.length, old.length, r.length) || !readMeasure(c.width, old.width, r.width)
            || !readMeasure(c.height, old.height, r.height)) {
            ++result.unmeasured;
            continue;
        }
        if ((old.length && *r.length > *old.length) || (old.width && *r.width > *old.width)
            || (old.height && *r.height > *old.height + old.heightTolerance))
            continue;
        r.capacity = parseNumber(c.capacity);
        r.discharge = parseNumber(c.discharge);
        r.polarityDiffers = !old.polarity.trimmed().isEmpty() && !sameText(c.polarity, old.polarity);
        r.holdDownDiffers = !old.holdDown.trimmed().isEmpty() && !sameText(c.holdDown, old.holdDown);
        r.weakerCapacity = below(r.capacity, old.capacity);
        r.weakerDischarge = below(r.discharge, old.discharge);
        for (const auto &[value, was] :
             {std::pair{r.length, old.length}, std::pair{r.width, old.width}, std::pair{r.height, old.height}}) {
            if (was)
                r.spareSpace += *was - *value;
        }
        result.fits.push_back(std::move(r));
    }
    std::stable_sort(result.fits.begin(), result.fits.end(),
                     [&old](const RankedReplacement &a, const RankedReplacement &b) {
                         const RankKey ka = keyOf(a, old), kb = keyOf(b, old);
                         if (ka.otherPolarity != kb.otherPolarity)
                             return !ka.otherPolarity;
                         if (ka.otherHoldDown != kb.otherHoldDown)
                             return !ka.otherHoldDown;
                         if (ka.weaker != kb.weaker)
                             return !ka.weaker;
                         if (ka.outOfStock != kb.outOfStock)
                             return !ka.outOfStock;
                         if (ka.spareSpace != kb.spareSpace)
                             return ka.spareSpace < kb.spareSpace;
                         if (const int byOrder = compareOrder(a.battery.order, b.battery.order))
                             return byOrder < 0;
                         return a.battery.code.compare(b.battery.code, Qt::CaseInsensitive) < 0;
                     });
    return result;
}

bool inStock(const ReplacementCandidate &battery) { return battery.stock.value_or(0) > 0; }

QString withDifference(const QString &shown, std::optional<double> value, std::optional<double> old)
{
    if (!value || !old)
        return shown;
    const double diff = *value - *old;
    if (std::abs(diff) < 1e-9)
        return shown + QStringLiteral(" (=)");
    // Six significant digits: a difference of decimals such as 62.5 - 60.1 reads 2.4, not
    // the binary remainder.
    const QString amount = QString::number(std::abs(diff), 'g', 6);
    return shown + (diff > 0 ? QStringLiteral(" (+") : QStringLiteral(" (\u2212")) + amount + QLatin1Char(')');
}

} // namespace catalog
