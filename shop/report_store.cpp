// The reports' statements. Ids are handed out as one more than the largest, inside the
// transaction that takes the store's lock, so they need no engine's own sequence and a
// store copied to a server keeps them. The battery row is kept as a JSON array of texts,
// the type numbers blank-separated; times are milliseconds since 1970 UTC as elsewhere in
// the store. Every value goes in bound, never as part of a statement.
#include "shop/report_store.h"

#include "shop/shop_error.h"
#include "shop/sql_session_p.h"
#include "shop/store_schema_p.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QVariant>

namespace shop {

using detail::SqlSession;

namespace {

const QString kColumns = QStringLiteral(
    "id, filed_at, branch, operator, reason, comment, fitting_code, vehicle_id, make, model, version, fuel, "
    "year_from, year_to, ktypnrs, price_list, code, battery_row, photo_hash, catalogue_created, catalogue_hash, "
    "status, closed_at, closed_note, resolved_created, resolved_hash, resolution");

QVariant ms(const QDateTime &t)
{
    return t.isValid() ? QVariant(qlonglong(t.toMSecsSinceEpoch())) : QVariant(QMetaType::fromType<qlonglong>());
}
QDateTime fromMs(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong(), Qt::UTC);
}
QVariant nullText() { return QVariant(QMetaType::fromType<QString>()); }
// A text as a value that is never Null: Qt binds a null QString as Null.
QVariant text(const QString &s) { return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s); }

QString rowText(const QStringList &row)
{
    return QString::fromUtf8(QJsonDocument(QJsonArray::fromStringList(row)).toJson(QJsonDocument::Compact));
}

QStringList rowFrom(const QString &text)
{
    QStringList row;
    for (const QJsonValue &v : QJsonDocument::fromJson(text.toUtf8()).array())
        row << v.toString();
    return row;
}

QVariantList values(const FitReport &r)
{
    const ReportedVehicle none;
    const ReportedVehicle &v = r.vehicle ? *r.vehicle : none;
    return {qlonglong(r.id),
            ms(r.filedAt),
            text(r.branch),
            text(r.operatorName),
            ReasonKey(r.reason),
            text(r.comment),
            text(r.fittingCode),
            r.vehicle ? text(v.idVeicolo) : nullText(),
            text(v.make),
            text(v.model),
            text(v.version),
            text(v.fuel),
            text(v.yearFrom),
            text(v.yearTo),
            text(v.ktypnrs.join(u' ')),
            text(r.priceList),
            text(r.code),
            rowText(r.batteryRow),
            text(r.photoHash),
            ms(r.catalogue.created),
            text(r.catalogue.contentHash),
            StatusKey(r.status),
            ms(r.closedAt),
            text(r.closedNote),
            ms(r.resolvedIn.created),
            text(r.resolvedIn.contentHash),
            text(r.resolution)};
}

FitReport reportFrom(const QSqlQuery &q)
{
    FitReport r;
    int i = 0;
    auto next = [&] { return q.value(i++); };
    r.id = next().toLongLong();
    r.filedAt = fromMs(next());
    r.branch = next().toString();
    r.operatorName = next().toString();
    r.reason = ReasonFromKey(next().toString()).value_or(ReportReason::Other);
    r.comment = next().toString();
    r.fittingCode = next().toString();
    const QVariant vehicleId = next();
    ReportedVehicle v;
    v.idVeicolo = vehicleId.toString();
    v.make = next().toString();
    v.model = next().toString();
    v.version = next().toString();
    v.fuel = next().toString();
    v.yearFrom = next().toString();
    v.yearTo = next().toString();
    v.ktypnrs = next().toString().split(u' ', Qt::SkipEmptyParts);
    if (!vehicleId.isNull())
        r.vehicle = v;
    r.priceList = next().toString();
    r.code = next().toString();
    r.batteryRow = rowFrom(next().toString());
    r.photoHash = next().toString();
    r.catalogue.created = fromMs(next());
    r.catalogue.contentHash = next().toString();
    r.status = StatusFromKey(next().toString()).value_or(ReportStatus::Open);
    r.closedAt = fromMs(next());
    r.closedNote = next().toString();
    r.resolvedIn.created = fromMs(next());
    r.resolvedIn.contentHash = next().toString();
    r.resolution = next().toString();
    return r;
}

void addEvent(SqlSession &s, qint64 id, const QDateTime &at, ReportStatus status, const QString &note)
{
    qlonglong seq = 0;
    s.each(QStringLiteral("SELECT COALESCE(MAX(seq), 0) + 1 FROM fit_report_event WHERE report_id = ?"),
           {qlonglong(id)}, [&](const QSqlQuery &q) { seq = q.value(0).toLongLong(); });
    s.run(QStringLiteral("INSERT INTO fit_report_event (report_id, seq, at, status, note) VALUES (?, ?, ?, ?, ?)"),
          {qlonglong(id), seq, ms(at), StatusKey(status), text(note)});
}

} // namespace

ReportStore::ReportStore(const QString &database) : ReportStore(StoreLocation::parse(database)) {}

ReportStore::ReportStore(const StoreLocation &location) : m_session(std::make_unique<SqlSession>(location))
{
    detail::EnsureSchema(*m_session);
}

ReportStore::~ReportStore() = default;

FitReport ReportStore::file(FitReport report)
{
    SqlSession &s = *m_session;
    SqlSession::Transaction transaction(s);
    s.each(QStringLiteral("SELECT COALESCE(MAX(id), 0) + 1 FROM fit_report"), {},
           [&](const QSqlQuery &q) { report.id = q.value(0).toLongLong(); });
    report.status = ReportStatus::Open;
    const QVariantList row = values(report);
    s.run(QStringLiteral("INSERT INTO fit_report (%1) VALUES (%2)")
              .arg(kColumns, QStringList(row.size(), QStringLiteral("?")).join(u',')),
          row);
    addEvent(s, report.id, report.filedAt, ReportStatus::Open, QString());
    transaction.commit();
    return report;
}

std::vector<FitReport> ReportStore::reports(bool openOnly)
{
    std::vector<FitReport> result;
    const QString where = openOnly ? QStringLiteral(" WHERE status = ?") : QString();
    const QVariantList bound = openOnly ? QVariantList{StatusKey(ReportStatus::Open)} : QVariantList{};
    m_session->each(QStringLiteral("SELECT %1 FROM fit_report%2 ORDER BY filed_at DESC, id DESC").arg(kColumns, where),
                    bound, [&](const QSqlQuery &q) { result.push_back(reportFrom(q)); });
    return result;
}

std::optional<FitReport> ReportStore::report(qint64 id)
{
    std::optional<FitReport> found;
    m_session->each(QStringLiteral("SELECT %1 FROM fit_report WHERE id = ?").arg(kColumns), {qlonglong(id)},
                    [&](const QSqlQuery &q) { found = reportFrom(q); });
    return found;
}

std::vector<ReportEvent> ReportStore::history(qint64 id)
{
    std::vector<ReportEvent> events;
    m_session->each(QStringLiteral("SELECT at, status, note FROM fit_report_event WHERE report_id = ? ORDER BY seq"),
                    {qlonglong(id)}, [&](const QSqlQuery &q) {
                        events.push_back({fromMs(q.value(0)),
                                          StatusFromKey(q.value(1).toString()).value_or(ReportStatus::Open),
                                          q.value(2).toString()});
                    });
    return events;
}

bool ReportStore::close(qint64 id, const QString &note, const QDateTime &at)
{
    return changeState(id, true, ReportStatus::Closed, at, note, nullptr);
}

bool ReportStore::reopen(qint64 id, const QDateTime &at)
{
    return changeState(id, false, ReportStatus::Open, at, QString(), nullptr);
}

bool ReportStore::markResolved(const FitReport &resolved)
{
    return changeState(resolved.id, true, ReportStatus::Resolved, resolved.closedAt, resolved.closedNote, &resolved);
}

int ReportStore::markResolved(const std::vector<FitReport> &resolved)
{
    SqlSession::Transaction transaction(*m_session);
    int marked = 0;
    for (const FitReport &r : resolved)
        marked += changeStateIn(r.id, true, ReportStatus::Resolved, r.closedAt, r.closedNote, &r) ? 1 : 0;
    transaction.commit();
    return marked;
}

bool ReportStore::changeState(qint64 id, bool fromOpen, ReportStatus to, const QDateTime &at, const QString &note,
                              const FitReport *resolved)
{
    SqlSession::Transaction transaction(*m_session);
    const bool changed = changeStateIn(id, fromOpen, to, at, note, resolved);
    transaction.commit();
    return changed;
}

bool ReportStore::changeStateIn(qint64 id, bool fromOpen, ReportStatus to, const QDateTime &at, const QString &note,
                                const FitReport *resolved)
{
    SqlSession &s = *m_session;
    std::optional<ReportStatus> now;
    s.each(QStringLiteral("SELECT status FROM fit_report WHERE id = ?"), {qlonglong(id)},
           [&](const QSqlQuery &q) { now = StatusFromKey(q.value(0).toString()); });
    if (!now || (*now == ReportStatus::Open) != fromOpen)
        return false;
    if (to == ReportStatus::Open) {
        // The close's note and the resolution stay in the history; the report reads open.
        s.run(QStringLiteral("UPDATE fit_report SET status = ?, closed_at = ?, closed_note = '', resolved_created = ?, "
                             "resolved_hash = '', resolution = '' WHERE id = ?"),
              {StatusKey(to), ms(QDateTime()), ms(QDateTime()), qlonglong(id)});
    } else {
        s.run(QStringLiteral("UPDATE fit_report SET status = ?, closed_at = ?, closed_note = ?, resolved_created = ?, "
                             "resolved_hash = ?, resolution = ? WHERE id = ?"),
              {StatusKey(to), ms(at), text(note), ms(resolved ? resolved->resolvedIn.created : QDateTime()),
               text(resolved ? resolved->resolvedIn.contentHash : QString()),
               text(resolved ? resolved->resolution : QString()), qlonglong(id)});
    }
    addEvent(s, id, at, to, resolved ? note + QStringLiteral(": ") + resolved->resolution : note);
    return true;
}

} // namespace shop
