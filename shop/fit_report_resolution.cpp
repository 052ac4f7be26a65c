// The rules by which a new catalogue closes a report. Each reason looks at what it
// complained of and nothing else: a "Non monta" report at the fitments of its own type
// numbers, a "Dati tecnici" report at its battery's technical columns, and so on. Values
// are compared as the database layer writes them, blanks around them left out, since the
// snapshot and the new catalogue were both read through it.
#include "shop/fit_report_resolution.h"

#include <QCryptographicHash>
#include <QFile>

namespace shop {

namespace {

QString upperCode(const QString &code) { return code.trimmed().toUpper(); }

// The first column of `columns` whose value differs between the report's row and `now`,
// as "CAPACITA 60 → 62"; empty when none does.
QString firstDifference(const FitReport &report, const QStringList &now, const QStringList &columns)
{
    for (const QString &column : columns) {
        const int at = int(SnapshotColumns().indexOf(column));
        const QString before = report.batteryRow.value(at).trimmed();
        const QString after = now.value(at).trimmed();
        if (before != after)
            return QStringLiteral("%1 %2 \u2192 %3").arg(column, before, after);
    }
    return QString();
}

} // namespace

std::optional<QString> Resolution(const FitReport &report, const CatalogueFacts &facts)
{
    if (report.status != ReportStatus::Open || report.reason == ReportReason::Other)
        return std::nullopt;
    if (report.vehicle && !facts.hasVehicle(report.vehicle->idVeicolo))
        return QStringLiteral("Veicolo tolto dal catalogo");

    switch (report.reason) {
    case ReportReason::DoesNotFit:
        if (report.vehicle && !facts.codesFitting(report.vehicle->ktypnrs).contains(upperCode(report.code)))
            return QStringLiteral("Il codice %1 non è più indicato per il veicolo").arg(report.code.trimmed());
        return std::nullopt;
    case ReportReason::MissingBattery:
        if (report.vehicle && facts.codesFitting(report.vehicle->ktypnrs).contains(upperCode(report.fittingCode)))
            return QStringLiteral("Il codice %1 ora è indicato per il veicolo").arg(report.fittingCode.trimmed());
        return std::nullopt;
    case ReportReason::TechnicalData:
    case ReportReason::Photo:
    case ReportReason::Note: break;
    case ReportReason::Other: return std::nullopt;
    }

    const std::optional<QStringList> row = facts.batteryRow(report.priceList, report.code);
    if (!row)
        return QStringLiteral("Batteria %1 tolta dal listino %2")
            .arg(report.code.trimmed(), report.priceList.trimmed());
    if (report.reason == ReportReason::TechnicalData) {
        const QString changed = firstDifference(report, *row, TechnicalColumns());
        if (!changed.isEmpty())
            return QStringLiteral("Dati tecnici cambiati: ") + changed;
        return std::nullopt;
    }
    if (report.reason == ReportReason::Note) {
        if (!firstDifference(report, *row, {QStringLiteral("NOTE")}).isEmpty())
            return QStringLiteral("Nota cambiata");
        return std::nullopt;
    }
    if (!firstDifference(report, *row, {QStringLiteral("FOTO")}).isEmpty())
        return QStringLiteral("Foto cambiata: ") + row->value(int(SnapshotColumns().indexOf(QStringLiteral("FOTO"))));
    const std::optional<QString> hash = facts.photoHash(report.batteryValue(QStringLiteral("FOTO")));
    if (hash && *hash != report.photoHash)
        return QStringLiteral("File della foto cambiato");
    return std::nullopt;
}

FitReport MarkedResolved(FitReport report, const CatalogueIdentity &catalogue, const QString &why, const QDateTime &at)
{
    report.status = ReportStatus::Resolved;
    report.closedAt = at;
    report.closedNote = ResolvedNote(catalogue.created.isValid() ? catalogue.created : at);
    report.resolvedIn = catalogue;
    report.resolution = why;
    return report;
}

QString PhotoFileHash(const QString &path)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace shop
