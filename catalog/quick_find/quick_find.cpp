// Reading the typed text, matching it against the catalogue held in memory, and the two
// fixed statements that fill that memory.
//
// A keystroke may have to look at every vehicle, so the keys are folded once at load and
// a match is a plain substring test per word, the most selective (longest) word first.
#include "catalog/quick_find/quick_find.h"
#include "report/schema.h"

#include "db/connection.h"
#include "db/query.h"
#include "db/text_fold.h"
#include "platform/memory.h"

#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <cmath>

namespace catalog {

namespace {

// The code an old-code row carries when the former code has no successor.
const QString kRunOut = QStringLiteral("ESAURIMENTO");

const QString kNumber = QStringLiteral(R"((\d{1,9}(?:[.,]\d{1,9})?))");

// No make, model and version together hold this many different words; a text with more
// (a page pasted into the box) asks for no vehicle, and costs no quadratic sifting.
constexpr qsizetype kMaxWords = 64;

// Drops repeated words and words that lie inside another word: a vehicle that holds
// "hdi" holds "hd" too, so "hd" would only cost time.
QStringList distinctWords(const QStringList &tokens)
{
    QStringList words;
    QSet<QString> seen;
    for (const QString &token : tokens) {
        const QString folded = db::FoldText(token);
        if (!seen.contains(folded)) {
            seen.insert(folded);
            words << folded;
        }
        if (words.size() > kMaxWords)
            return {};
    }
    std::stable_sort(words.begin(), words.end(),
                     [](const QString &a, const QString &b) { return a.size() > b.size(); });
    QStringList kept;
    for (const QString &word : words) {
        if (std::none_of(kept.begin(), kept.end(), [&](const QString &k) { return k.contains(word); }))
            kept << word;
    }
    return kept;
}

void parseMeasures(const QString &simple, FindRequest &request)
{
    // Three numbers with x, X, *, × or blanks between them.
    static const QRegularExpression form(QStringLiteral("^%1 ?[xX*\u00d7 ] ?%1 ?[xX*\u00d7 ] ?%1$").arg(kNumber));
    const QRegularExpressionMatch m = form.match(simple);
    if (!m.hasMatch())
        return;
    request.length = FindNumber(m.captured(1));
    request.width = FindNumber(m.captured(2));
    request.height = FindNumber(m.captured(3));
}

// "70Ah" is a capacity and "640A" a discharge; bare numbers are the capacity, then the
// discharge, in the order typed.
void parseRatings(const QStringList &tokens, FindRequest &request)
{
    static const QRegularExpression form(QStringLiteral("^%1(ah|a)?$").arg(kNumber),
                                         QRegularExpression::CaseInsensitiveOption);
    if (tokens.size() > 2)
        return;
    std::optional<double> capacity, discharge;
    QList<double> bare;
    for (const QString &token : tokens) {
        const QRegularExpressionMatch m = form.match(token);
        if (!m.hasMatch())
            return;
        const double value = *FindNumber(m.captured(1));
        const QString unit = m.captured(2).toLower();
        std::optional<double> &slot = unit == QLatin1String("ah") ? capacity : discharge;
        if (unit.isEmpty()) {
            bare << value;
        } else {
            if (slot)
                return; // two capacities or two discharges: not a question the box knows
            slot = value;
        }
    }
    for (const double value : bare) {
        std::optional<double> &slot = !capacity ? capacity : discharge;
        if (slot)
            return;
        slot = value;
    }
    request.capacity = capacity;
    request.discharge = discharge;
}

bool sameNumber(const std::optional<double> &value, const std::optional<double> &wanted)
{
    return !wanted || (value && std::abs(*value - *wanted) < 1e-9);
}

QString joined(const QStringList &parts, const QString &separator)
{
    QStringList filled;
    for (const QString &part : parts) {
        if (!part.trimmed().isEmpty())
            filled << part.trimmed();
    }
    return filled.join(separator);
}

QString vehicleText(const FindVehicle &v)
{
    QString years = v.yearFrom;
    if (!v.yearTo.isEmpty())
        years += QStringLiteral("\u2013") + v.yearTo;
    const QString kw = v.kw.isEmpty() ? QString() : v.kw + QStringLiteral(" kW");
    return joined({joined({v.marca, v.modello, v.versione}, QStringLiteral(" ")), v.alimentazione, years, kw},
                  QStringLiteral(" \u00b7 "));
}

QString batteryText(const FindBattery &b)
{
    const QString ratings = joined({b.capacita.isEmpty() ? QString() : b.capacita + QStringLiteral(" Ah"),
                                    b.scarica.isEmpty() ? QString() : b.scarica + QStringLiteral(" A")},
                                   QStringLiteral(" "));
    return joined({b.codice, b.gamma, ratings, joined({b.lunghezza, b.larghezza, b.altezza}, QStringLiteral("\u00d7"))},
                  QStringLiteral(" \u00b7 "));
}

QString oldCodeText(const FindBattery &b)
{
    const QString fate =
        b.codice == kRunOut ? QStringLiteral("esaurimento") : QStringLiteral("sostituito da ") + b.codice;
    return b.oldCodice + QStringLiteral(" \u00b7 vecchio codice \u00b7 ") + fate;
}

// Shares `room` rows out among the groups one at a time, round the groups, so a group
// with few matches shows all of them and the rest goes to the larger groups.
void shareOut(std::vector<std::vector<FindRow>> &groups, int room)
{
    std::vector<size_t> take(groups.size(), 0);
    for (bool more = true; more && room > 0;) {
        more = false;
        for (size_t g = 0; g < groups.size() && room > 0; ++g) {
            if (take[g] < groups[g].size()) {
                ++take[g];
                --room;
                more = true;
            }
        }
    }
    for (size_t g = 0; g < groups.size(); ++g)
        groups[g].resize(take[g]);
}

// A name of the catalogue as schema.h spells it, for the statements built here.
QString name(const char *schemaName) { return QLatin1String(schemaName); }

} // namespace

std::optional<double> FindNumber(const QString &text)
{
    bool ok = false;
    const double value = QString(text).replace(QLatin1Char(','), QLatin1Char('.')).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

FindRequest ParseFindText(const QString &text)
{
    FindRequest request;
    const QString simple = text.simplified();
    if (simple.isEmpty())
        return request;
    const QStringList tokens = simple.split(QLatin1Char(' '));
    request.words = distinctWords(tokens);
    if (tokens.size() == 1)
        request.codePrefix = db::FoldText(simple);
    parseMeasures(simple, request);
    parseRatings(tokens, request);
    return request;
}

QString FindGroupCaption(FindKind kind)
{
    switch (kind) {
    case FindKind::Vehicle: return QStringLiteral("Veicoli");
    case FindKind::Code:
    case FindKind::OldCode: return QStringLiteral("Codici batteria");
    case FindKind::Measures:
    case FindKind::Ratings: break;
    }
    return QStringLiteral("Misure");
}

QuickFinder::QuickFinder(std::vector<FindVehicle> vehicles, std::vector<FindBattery> batteries)
    : m_vehicles(std::move(vehicles)), m_batteries(std::move(batteries))
{
    m_batteryKeys.reserve(m_batteries.size());
    for (const FindBattery &b : m_batteries) {
        m_batteryKeys.push_back({db::FoldText(b.codice), db::FoldText(b.oldCodice), FindNumber(b.capacita),
                                 FindNumber(b.scarica), FindNumber(b.lunghezza), FindNumber(b.larghezza),
                                 FindNumber(b.altezza)});
    }
    m_vehicleKeyStart.reserve(m_vehicles.size() + 1);
    for (const FindVehicle &v : m_vehicles) {
        m_vehicleKeyStart.push_back(uint32_t(m_vehicleKeys.size()));
        // Line breaks part the three names: a typed word holds no blank, so it cannot
        // run from one name into the next.
        m_vehicleKeys +=
            db::FoldText(QString(v.marca + QLatin1Char('\n') + v.modello + QLatin1Char('\n') + v.versione)).toUtf8();
        m_vehicleKeys += '\0';
    }
    m_vehicleKeyStart.push_back(uint32_t(m_vehicleKeys.size()));
    m_vehicleKeys.squeeze();
}

std::vector<FindRow> QuickFinder::find(const QString &text, const QString &priceList) const
{
    const FindRequest request = ParseFindText(text);
    std::vector<std::vector<FindRow>> groups(3);
    std::vector<FindRow> &vehicles = groups[0], &codes = groups[1], &measures = groups[2];

    if (!request.words.isEmpty()) {
        // UTF-8 keeps a folded word's match on character boundaries, so the bytes compare
        // as the characters would.
        std::vector<QByteArray> words;
        for (const QString &word : request.words)
            words.push_back(word.toUtf8());
        const QByteArrayView all(m_vehicleKeys);
        qsizetype at = 0;
        while (int(vehicles.size()) < kMaxRows) {
            at = all.indexOf(words.front(), at); // the longest word: the fewest places
            if (at < 0)
                break;
            const auto next = std::upper_bound(m_vehicleKeyStart.begin(), m_vehicleKeyStart.end(), uint32_t(at));
            const size_t i = size_t(next - m_vehicleKeyStart.begin()) - 1;
            const QByteArrayView key = all.sliced(m_vehicleKeyStart[i], *next - m_vehicleKeyStart[i]);
            if (std::all_of(words.begin() + 1, words.end(), [&](const QByteArray &word) { return key.contains(word); }))
                vehicles.push_back({FindKind::Vehicle, int(i), vehicleText(m_vehicles[i])});
            at = *next; // on to the next vehicle
        }
    }

    const bool byMeasures = request.length.has_value();
    const bool byRatings = request.capacity || request.discharge;
    QSet<QString> codesSeen, measuresSeen;
    for (size_t i = 0; i < m_batteries.size(); ++i) {
        const FindBattery &b = m_batteries[i];
        const BatteryKeys &k = m_batteryKeys[i];
        if (b.listino != priceList)
            continue;
        if (!b.oldCodice.isEmpty()) {
            if (!request.codePrefix.isEmpty() && int(codes.size()) < kMaxRows
                && k.oldCode.startsWith(request.codePrefix))
                codes.push_back({FindKind::OldCode, int(i), oldCodeText(b)});
            continue;
        }
        if (!request.codePrefix.isEmpty() && int(codes.size()) < kMaxRows && k.code.startsWith(request.codePrefix)
            && !codesSeen.contains(k.code)) {
            codesSeen.insert(k.code);
            codes.push_back({FindKind::Code, int(i), batteryText(b)});
        }
        if (int(measures.size()) >= kMaxRows || measuresSeen.contains(k.code))
            continue;
        if (byMeasures && sameNumber(k.length, request.length) && sameNumber(k.width, request.width)
            && sameNumber(k.height, request.height)) {
            measuresSeen.insert(k.code);
            measures.push_back({FindKind::Measures, int(i), batteryText(b)});
        } else if (byRatings && sameNumber(k.capacity, request.capacity)
                   && sameNumber(k.discharge, request.discharge)) {
            measuresSeen.insert(k.code);
            measures.push_back({FindKind::Ratings, int(i), batteryText(b)});
        }
    }

    shareOut(groups, kMaxRows);
    std::vector<FindRow> rows;
    for (const auto &group : groups)
        rows.insert(rows.end(), group.begin(), group.end());
    return rows;
}

QuickFinder LoadQuickFinder(db::Connection &connection)
{
    db::Query query(connection);
    // Each vehicle once, as long as it has a relation row, in the order of the drill-down
    // lists.
    namespace v = schema::vehicles;
    namespace r = schema::relations;
    query.AddSQL(QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, Left([%7],4), Left([%8],4), %9 FROM %10 "
                                "WHERE %1 IN (SELECT %11 FROM %12) ORDER BY %3, %4, %5")
                     .arg(name(v::idVeicolo), name(v::idMarca), name(v::Marca), name(v::Modello), name(v::Versione),
                          name(v::Alimentazione), name(v::Dal), name(v::Al), name(v::Kw), name(v::table),
                          name(r::idVeicolo), name(r::table)));
    query.Open();
    std::vector<FindVehicle> vehicles;
    vehicles.reserve(size_t(query.RecordCount()));
    // Makes, models, fuels, years and powers repeat from vehicle to vehicle: each text is
    // kept once and shared.
    QSet<QString> texts;
    auto shared = [&](int field) {
        const QString text = query.AsString(field);
        return *texts.insert(text);
    };
    for (; !query.Eof(); query.Next())
        vehicles.push_back({query.AsString(0), shared(1), shared(2), shared(3), shared(4), shared(5), shared(6),
                            shared(7), shared(8)});
    query.Close();

    query.ClearSQL();
    namespace b = schema::batteries;
    query.AddSQL(QStringLiteral("SELECT %1, %2, %3, %4, %5, %6, %7, %8, %9 FROM %10 ORDER BY %1, %11, %3")
                     .arg(name(b::LISTINO), name(b::GAMMA), name(b::CODICE), name(b::OLD_CODICE), name(b::CAPACITA),
                          name(b::SCARICA), name(b::LUNGHEZZA), name(b::LARGHEZZA), name(b::ALTEZZA), name(b::table),
                          name(b::ORDINE)));
    query.Open();
    std::vector<FindBattery> batteries;
    batteries.reserve(size_t(query.RecordCount()));
    for (; !query.Eof(); query.Next()) {
        batteries.push_back({query.AsString(0), query.AsString(1), query.AsString(2), query.AsString(3),
                             query.AsString(4), query.AsString(5), query.AsString(6), query.AsString(7),
                             query.AsString(8)});
    }
    query.Close();
    QuickFinder finder(std::move(vehicles), std::move(batteries));
    // The statements' results, gone now, took far more memory than the finder keeps.
    ReleaseFreeMemory();
    return finder;
}

} // namespace catalog
