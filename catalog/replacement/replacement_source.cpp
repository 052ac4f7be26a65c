// Reading the replacement finder's batteries. The fields are looked up once by name and
// then read by index, row after row.
#include "catalog/replacement/replacement_source.h"

#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "data/query_channel.h"
#include "report/schema.h"

#include <iterator>

namespace catalog {

std::optional<std::vector<ReplacementCandidate>> loadReplacementCandidates(const QString &priceList)
{
    if (ApriQRY(replacementCandidatesStatement(priceList)) < 0)
        return std::nullopt;
    db::Query &q = DM->ADOQuery1;
    // Closed on every way out: a field missing from a damaged catalogue raises.
    struct Close {
        db::Query &q;
        ~Close() { q.Close(); }
    } close{q};
    namespace b = schema::batteries;
    QString ReplacementCandidate::*const into[] = {
        &ReplacementCandidate::range,     &ReplacementCandidate::code,     &ReplacementCandidate::capacity,
        &ReplacementCandidate::discharge, &ReplacementCandidate::polarity, &ReplacementCandidate::length,
        &ReplacementCandidate::width,     &ReplacementCandidate::height,   &ReplacementCandidate::holdDown,
        &ReplacementCandidate::order,     &ReplacementCandidate::oldCode,
    };
    const char *const names[] = {b::GAMMA,     b::CODICE,  b::CAPACITA,      b::SCARICA, b::POLO_POSITIVO, b::LUNGHEZZA,
                                 b::LARGHEZZA, b::ALTEZZA, b::ATTACCHI_BASE, b::ORDINE,  b::OLD_CODICE};
    int fields[std::size(names)];
    for (std::size_t i = 0; i < std::size(names); ++i)
        fields[i] = q.FieldIndex(QLatin1String(names[i]));
    std::vector<ReplacementCandidate> rows;
    rows.reserve(std::size_t(q.RecordCount()));
    for (; !q.Eof(); q.Next()) {
        ReplacementCandidate &row = rows.emplace_back();
        for (std::size_t i = 0; i < std::size(names); ++i)
            row.*into[i] = q.AsString(fields[i]);
    }
    return rows;
}

} // namespace catalog
