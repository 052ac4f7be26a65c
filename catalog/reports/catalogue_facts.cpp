// The statements behind the facts. Values go in as the window's statements put them in
// (text literals with quotes doubled; keys only when they are numbers); a vehicle key or
// type number that is not a number names nothing in the catalogue.
#include "catalog/reports/catalogue_facts.h"

#include "catalog/catalog_error.h"
#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "db/query.h"
#include "platform/files.h"

namespace catalog {

namespace {

template <class F>
void forEachRecord(const QString &sql, F take)
{
    if (!DM)
        raiseCatalogError(CatalogErrc::NotOpen, QStringLiteral("Il catalogo non è aperto."));
    db::Query query(DM->ADOConnection1);
    query.AddSQL(sql);
    query.Open();
    for (; !query.Eof(); query.Next())
        take(query);
}

// The battery rows, not the old-code rows that name a former code.
const char *const kBatteryRowSql = "SELECT %1 FROM TabTechInfo WHERE LISTINO = %2 AND CODICE = %3 "
                                   "AND (OLD_CODICE IS NULL OR trim(OLD_CODICE) = \"\")";

} // namespace

ConnectionFacts::ConnectionFacts(QString photoFolder) : m_photoFolder(std::move(photoFolder)) {}

bool ConnectionFacts::hasVehicle(const QString &idVeicolo) const
{
    const std::optional<QString> key = bareNumber(idVeicolo.trimmed());
    if (!key)
        return false;
    if (const auto it = m_vehicles.constFind(*key); it != m_vehicles.cend())
        return *it;
    bool found = false;
    forEachRecord(QStringLiteral("SELECT idVeicolo FROM CP_Veicoli WHERE idVeicolo = %1").arg(*key),
                  [&](const db::Query &) { found = true; });
    m_vehicles.insert(*key, found);
    return found;
}

QSet<QString> ConnectionFacts::codesFitting(const QStringList &ktypnrs) const
{
    QStringList numbers;
    for (const QString &k : ktypnrs) {
        if (const std::optional<QString> n = bareNumber(k.trimmed()))
            numbers << *n;
    }
    QSet<QString> codes;
    if (numbers.isEmpty())
        return codes;
    const QString key = numbers.join(u',');
    if (const auto it = m_fitting.constFind(key); it != m_fitting.cend())
        return *it;
    forEachRecord(QStringLiteral("SELECT codice FROM TabDistintaBatterie WHERE ktypnr IN (%1)").arg(numbers.join(u',')),
                  [&](const db::Query &q) { codes.insert(q.AsString(0).trimmed().toUpper()); });
    m_fitting.insert(key, codes);
    return codes;
}

std::optional<QStringList> ConnectionFacts::batteryRow(const QString &priceList, const QString &code) const
{
    const QString key = priceList.trimmed().toUpper() + u'\n' + code.trimmed().toUpper();
    if (const auto it = m_rows.constFind(key); it != m_rows.cend())
        return *it;
    std::optional<QStringList> row;
    forEachRecord(QString::fromLatin1(kBatteryRowSql)
                      .arg(shop::SnapshotColumns().join(QStringLiteral(", ")), textLiteral(priceList.trimmed()),
                           textLiteral(code.trimmed())),
                  [&](const db::Query &q) {
                      if (row)
                          return;
                      QStringList values;
                      for (int i = 0; i < shop::SnapshotColumns().size(); ++i)
                          values << q.AsString(i);
                      row = values;
                  });
    m_rows.insert(key, row);
    return row;
}

std::optional<QString> ConnectionFacts::photoHash(const QString &photo) const
{
    if (photo.trimmed().isEmpty())
        return QString();
    return shop::PhotoFileHash(PhotoFile(m_photoFolder, photo.trimmed()));
}

QStringList ConnectionFacts::typeNumbers(const QString &idVeicolo) const
{
    QStringList numbers;
    const std::optional<QString> key = bareNumber(idVeicolo.trimmed());
    if (!key)
        return numbers;
    forEachRecord(
        QStringLiteral("SELECT ktypnr FROM CP_Veicoli_Rel_Korva_Master WHERE idVeicolo = %1 ORDER BY ktypnr").arg(*key),
        [&](const db::Query &q) { numbers << q.AsString(0).trimmed(); });
    return numbers;
}

bool ConnectionFacts::hasBattery(const QString &priceList, const QString &code) const
{
    return batteryRow(priceList, code).has_value();
}

} // namespace catalog
