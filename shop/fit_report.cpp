// The reasons' texts and keys, the filing checks and the report line. The keys are what
// the store and the exports keep, so a reworded reason never changes what was filed.
#include "shop/fit_report.h"

namespace shop {

namespace {

struct ReasonInfo {
    ReportReason reason;
    const char *key;
    const char *text;
    const char *shortText;
};

// UTF-8 texts; the order is the report window's.
const ReasonInfo kReasons[] = {
    {ReportReason::DoesNotFit, "non-monta", "Non monta su questo veicolo", "non monta"},
    {ReportReason::MissingBattery, "manca", "Manca una batteria adatta", "manca una batteria adatta"},
    {ReportReason::TechnicalData, "dati-tecnici", "Dati tecnici errati", "dati tecnici errati"},
    {ReportReason::Photo, "foto", "Foto errata", "foto errata"},
    {ReportReason::Note, "nota", "Nota errata", "nota errata"},
    {ReportReason::Other, "altro", "Altro", "altro"},
};

const ReasonInfo &info(ReportReason reason)
{
    for (const ReasonInfo &r : kReasons) {
        if (r.reason == reason)
            return r;
    }
    Q_UNREACHABLE();
}

const char *const kStatusKeys[] = {"aperta", "chiusa", "risolta"};

} // namespace

const QList<ReportReason> &AllReasons()
{
    static const QList<ReportReason> all = [] {
        QList<ReportReason> list;
        for (const ReasonInfo &r : kReasons)
            list << r.reason;
        return list;
    }();
    return all;
}

QString ReasonText(ReportReason reason) { return QString::fromUtf8(info(reason).text); }
QString ReasonShortText(ReportReason reason) { return QString::fromUtf8(info(reason).shortText); }
QString ReasonKey(ReportReason reason) { return QString::fromLatin1(info(reason).key); }

std::optional<ReportReason> ReasonFromKey(const QString &key)
{
    for (const ReasonInfo &r : kReasons) {
        if (key == QLatin1String(r.key))
            return r.reason;
    }
    return std::nullopt;
}

bool ConcernsBatteryAlone(ReportReason reason)
{
    return reason == ReportReason::TechnicalData || reason == ReportReason::Photo || reason == ReportReason::Note;
}

QString StatusKey(ReportStatus status) { return QString::fromLatin1(kStatusKeys[int(status)]); }

std::optional<ReportStatus> StatusFromKey(const QString &key)
{
    for (int i = 0; i < int(std::size(kStatusKeys)); ++i) {
        if (key == QLatin1String(kStatusKeys[i]))
            return ReportStatus(i);
    }
    return std::nullopt;
}

const QStringList &SnapshotColumns()
{
    static const QStringList columns = {
        QStringLiteral("GAMMA"),         QStringLiteral("CAPACITA"),      QStringLiteral("SCARICA"),
        QStringLiteral("POLO_POSITIVO"), QStringLiteral("LUNGHEZZA"),     QStringLiteral("LARGHEZZA"),
        QStringLiteral("ALTEZZA"),       QStringLiteral("ATTACCHI_BASE"), QStringLiteral("MONOBLOCCO"),
        QStringLiteral("FOTO"),          QStringLiteral("NOTE"),          QStringLiteral("ORDINE"),
    };
    return columns;
}

const QStringList &TechnicalColumns()
{
    static const QStringList columns = SnapshotColumns().mid(0, 9);
    return columns;
}

QString FitReport::batteryValue(const QString &column) const
{
    return batteryRow.value(SnapshotColumns().indexOf(column));
}

int CodePointCount(const QString &text) { return int(text.toUcs4().size()); }

std::optional<QString> FilingProblem(const FitReport &report)
{
    if (report.comment.trimmed().isEmpty())
        return QStringLiteral("Scrivi un commento: che cosa è sbagliato?");
    if (CodePointCount(report.comment) > kMaxCommentLength)
        return QStringLiteral("Il commento è lungo %1 caratteri: al più %2.")
            .arg(CodePointCount(report.comment))
            .arg(kMaxCommentLength);
    if (report.reason == ReportReason::MissingBattery) {
        if (!report.vehicle)
            return QStringLiteral("Scegli prima il veicolo a cui manca la batteria.");
        if (report.fittingCode.trimmed().isEmpty())
            return QStringLiteral("Scrivi il codice della batteria che monta.");
    } else if (report.code.trimmed().isEmpty()) {
        return QStringLiteral("Scegli prima una batteria dall'elenco.");
    }
    if (report.reason == ReportReason::DoesNotFit && !report.vehicle)
        return QStringLiteral("Scegli prima il veicolo su cui non monta.");
    return std::nullopt;
}

bool SameCode(const QString &a, const QString &b) { return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0; }

bool Concerns(const FitReport &report, const QString &idVeicolo, const QString &priceList, const QString &code)
{
    if (report.status != ReportStatus::Open)
        return false;
    const bool sameBattery = !report.code.isEmpty() && !code.isEmpty() && SameCode(report.code, code)
                             && report.priceList.trimmed() == priceList.trimmed();
    if (ConcernsBatteryAlone(report.reason) || !report.vehicle)
        return sameBattery;
    if (idVeicolo.isEmpty() || report.vehicle->idVeicolo != idVeicolo)
        return false;
    return sameBattery || report.reason == ReportReason::MissingBattery;
}

QString ReportLine(const std::vector<FitReport> &newestFirst)
{
    if (newestFirst.empty())
        return QString();
    const FitReport &newest = newestFirst.front();
    QString line =
        QStringLiteral("Segnalato il ") + newest.filedAt.toLocalTime().toString(QStringLiteral("dd/MM/yyyy"));
    if (!newest.operatorName.trimmed().isEmpty())
        line += QStringLiteral(" (") + newest.operatorName.trimmed() + u')';
    line += QStringLiteral(": ") + ReasonShortText(newest.reason) + QStringLiteral(" \u2013 ")
            + newest.comment.simplified();
    if (newestFirst.size() > 1)
        line += QStringLiteral(" +") + QString::number(newestFirst.size() - 1);
    return line;
}

QString ResolvedNote(const QDateTime &created)
{
    return QStringLiteral("Risolta nell'aggiornamento del ") + created.toString(QStringLiteral("dd/MM/yyyy"));
}

} // namespace shop
