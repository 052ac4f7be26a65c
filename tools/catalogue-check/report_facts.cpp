// The tables are indexed once by the keys the rules ask for. Texts are compared as the
// program's statements compare them: codes and price lists without regard to case, blanks
// around them left out; old-code rows are not batteries.
#include "tools/catalogue-check/report_facts.h"

#include "platform/files.h"
#include "report/schema.h"

namespace {

using namespace catalog::report;

QString text(const Row &row, int column)
{
    return column >= 0 && row[size_t(column)] ? *row[size_t(column)] : QString();
}

QString batteryKey(const QString &priceList, const QString &code)
{
    return priceList.trimmed().toUpper() + u'\n' + code.trimmed().toUpper();
}

} // namespace

CatalogueReportFacts::CatalogueReportFacts(const Catalogue &catalogue, const QString &photoFolder)
    : m_photoFolder(photoFolder)
{
    namespace schema = catalog::schema;
    const int vehicleKey = catalogue.vehicles.column(QString::fromLatin1(schema::vehicles::idVeicolo));
    for (const Row &row : catalogue.vehicles.rows)
        m_vehicles.insert(text(row, vehicleKey).trimmed());
    const int ktypnr = catalogue.fitments.column(QString::fromLatin1(schema::fitments::ktypnr));
    const int code = catalogue.fitments.column(QString::fromLatin1(schema::fitments::codice));
    for (const Row &row : catalogue.fitments.rows)
        m_fitments.insert(text(row, ktypnr).trimmed(), text(row, code).trimmed().toUpper());
    const Table &batteries = catalogue.batteries;
    std::vector<int> columns;
    for (const QString &name : shop::SnapshotColumns())
        columns.push_back(batteries.column(name));
    const int priceList = batteries.column(QString::fromLatin1(schema::batteries::LISTINO));
    const int batteryCode = batteries.column(QString::fromLatin1(schema::batteries::CODICE));
    for (const Row &row : batteries.rows) {
        if (IsOldCodeRow(batteries, row))
            continue;
        const QString key = batteryKey(text(row, priceList), text(row, batteryCode));
        if (m_batteries.contains(key))
            continue; // the first row, as the program's statement takes it
        QStringList values;
        for (int c : columns)
            values << text(row, c);
        m_batteries.insert(key, values);
    }
}

bool CatalogueReportFacts::hasVehicle(const QString &idVeicolo) const
{
    return m_vehicles.contains(idVeicolo.trimmed());
}

QSet<QString> CatalogueReportFacts::codesFitting(const QStringList &ktypnrs) const
{
    QSet<QString> codes;
    for (const QString &k : ktypnrs) {
        for (auto it = m_fitments.find(k.trimmed()); it != m_fitments.end() && it.key() == k.trimmed(); ++it)
            codes.insert(it.value());
    }
    return codes;
}

std::optional<QStringList> CatalogueReportFacts::batteryRow(const QString &priceList, const QString &code) const
{
    const auto it = m_batteries.find(batteryKey(priceList, code));
    if (it == m_batteries.end())
        return std::nullopt;
    return *it;
}

std::optional<QString> CatalogueReportFacts::photoHash(const QString &photo) const
{
    if (m_photoFolder.isEmpty())
        return std::nullopt;
    if (photo.trimmed().isEmpty())
        return QString();
    return shop::PhotoFileHash(PhotoFile(m_photoFolder, photo.trimmed()));
}
