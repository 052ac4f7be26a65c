// The technology rules. Range names are short ("Korva AGM", "Zelkar Start&Stop"), so
// their words are found by one scan of the name; a price list has a handful of ranges and
// a few hundred codes, so the maker's table is two hash lookups per battery.
#include "catalog/technology/technology.h"

#include <algorithm>

namespace catalog {

namespace {

// 0 for unknown; GEL ranks as AGM.
int rank(Technology t)
{
    switch (t) {
    case Technology::Unknown: return 0;
    case Technology::Flooded: return 1;
    case Technology::Efb: return 2;
    case Technology::Agm:
    case Technology::Gel: return 3;
    }
    return 0;
}

QString folded(const QString &text) { return text.trimmed().toCaseFolded(); }

} // namespace

Technology TechnologyFromRangeName(QStringView range)
{
    Technology found = Technology::Unknown;
    qsizetype i = 0;
    while (i < range.size()) {
        while (i < range.size() && !range[i].isLetterOrNumber())
            ++i;
        const qsizetype start = i;
        while (i < range.size() && range[i].isLetterOrNumber())
            ++i;
        const QStringView word = range.sliced(start, i - start);
        if (word.size() != 3)
            continue;
        // TRADIZIONALE is the table's word, not a range's: a range is flooded only when
        // the maker says so.
        const Technology t = report::TechnologyFromWord(word);
        if (t == Technology::Unknown || t == Technology::Flooded)
            continue;
        if (found != Technology::Unknown && rank(found) != rank(t))
            return Technology::Unknown;
        if (found == Technology::Unknown)
            found = t;
    }
    return found;
}

bool IsLowerTechnology(Technology candidate, Technology reference)
{
    return rank(candidate) > 0 && rank(reference) > 0 && rank(candidate) < rank(reference);
}

Technology HigherTechnology(Technology a, Technology b) { return rank(b) > rank(a) ? b : a; }

QString TechnologyName(Technology t)
{
    switch (t) {
    case Technology::Agm: return QStringLiteral("AGM");
    case Technology::Efb: return QStringLiteral("EFB");
    case Technology::Gel: return QStringLiteral("GEL");
    case Technology::Flooded: return QStringLiteral("tradizionale");
    case Technology::Unknown: break;
    }
    return QStringLiteral("non indicata");
}

TechnologyRule::TechnologyRule(const std::vector<report::TechnologyEntry> &table)
{
    for (const report::TechnologyEntry &e : table) {
        if (!e.code.isEmpty())
            m_byCode.insert(folded(e.code), e.technology);
        else
            m_byRange.insert(folded(e.range), e.technology);
    }
}

Technology TechnologyRule::Of(const QString &range, const QString &code) const
{
    if (!m_byCode.isEmpty()) {
        if (const auto it = m_byCode.constFind(folded(code)); it != m_byCode.cend())
            return *it;
    }
    if (!m_byRange.isEmpty()) {
        if (const auto it = m_byRange.constFind(folded(range)); it != m_byRange.cend())
            return *it;
    }
    return TechnologyFromRangeName(range);
}

std::optional<Technology> VehicleNeed(const std::vector<Technology> &listed)
{
    if (listed.empty())
        return std::nullopt;
    int lowest = 3;
    for (const Technology t : listed) {
        if (rank(t) < 2)
            return std::nullopt; // unknown or flooded: an ordinary car may be listed with upgrades
        lowest = std::min(lowest, rank(t));
    }
    return lowest == 2 ? Technology::Efb : Technology::Agm;
}

QString NeedText(Technology need)
{
    return rank(need) >= 3 ? QStringLiteral("Richiede AGM") : QStringLiteral("Richiede EFB o superiore");
}

StripText TechnologyLine(Technology battery, std::optional<Technology> need)
{
    if (!need) {
        return {battery == Technology::Unknown ? QStringLiteral("Tecnologia non indicata")
                                               : QStringLiteral("Tecnologia ") + TechnologyName(battery),
                false};
    }
    if (IsLowerTechnology(battery, *need)) {
        const QString wanted = rank(*need) >= 3 ? QStringLiteral("AGM") : QStringLiteral("EFB o superiore");
        return {TechnologyName(battery)
                    + QStringLiteral(" \u2013 tecnologia inferiore a quella richiesta (%1)").arg(wanted),
                true};
    }
    const QString own = battery == Technology::Unknown ? QStringLiteral("Tecnologia non indicata")
                                                       : TechnologyName(battery) + QStringLiteral(" \u2013 adatta");
    return {own + QStringLiteral(" \u00b7 ") + NeedText(*need), false};
}

RegistrationRule::RegistrationRule(const std::vector<report::RegistrationEntry> &table)
{
    for (const report::RegistrationEntry &e : table)
        m_byMake.insert(folded(e.makeKey), {e.text, e.diagnosis});
}

StripText RegistrationRule::For(const QString &makeKey) const
{
    if (m_byMake.isEmpty() || makeKey.trimmed().isEmpty())
        return {};
    return m_byMake.value(folded(makeKey));
}

} // namespace catalog
