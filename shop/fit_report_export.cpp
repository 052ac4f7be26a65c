// One table of fields makes both formats, so that the CSV header and the JSON keys are
// the same names and a field added once is in both. Every value goes out as text exactly
// as stored (a comment's quotes, markup-looking text and line breaks included): CSV
// quotes it as RFC 4180 says, JSON escapes it; nothing is trimmed or interpreted. Times
// are ISO 8601, the filing times in UTC with milliseconds.
#include "shop/fit_report_export.h"

#include "shop/shop_error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <algorithm>
#include <functional>
#include <stdexcept>

namespace shop {

namespace {

struct Field {
    QString name;
    std::function<QString(const FitReport &)> get;
    std::function<void(FitReport &, const QString &)> set;
};

QString timeText(const QDateTime &t)
{
    if (!t.isValid())
        return QString();
    return t.timeSpec() == Qt::LocalTime ? t.toString(Qt::ISODateWithMs) : t.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeFrom(const QString &text)
{
    return text.isEmpty() ? QDateTime() : QDateTime::fromString(text, Qt::ISODateWithMs);
}

ReportedVehicle &vehicleOf(FitReport &r)
{
    if (!r.vehicle)
        r.vehicle.emplace();
    return *r.vehicle;
}

// A vehicle's text field, read and written; a report without a vehicle reads empty.
Field vehicleField(const char *name, QString ReportedVehicle::*member)
{
    return {QString::fromLatin1(name),
            [member](const FitReport &r) { return r.vehicle ? (*r.vehicle).*member : QString(); },
            [member](FitReport &r, const QString &v) {
                if (!v.isEmpty())
                    vehicleOf(r).*member = v;
            }};
}

Field textField(const char *name, QString FitReport::*member)
{
    return {QString::fromLatin1(name), [member](const FitReport &r) { return r.*member; },
            [member](FitReport &r, const QString &v) { r.*member = v; }};
}

Field timeField(const char *name, QDateTime FitReport::*member)
{
    return {QString::fromLatin1(name), [member](const FitReport &r) { return timeText(r.*member); },
            [member](FitReport &r, const QString &v) { r.*member = timeFrom(v); }};
}

Field createdField(const char *name, CatalogueIdentity FitReport::*member)
{
    return {QString::fromLatin1(name), [member](const FitReport &r) { return timeText((r.*member).created); },
            [member](FitReport &r, const QString &v) { (r.*member).created = timeFrom(v); }};
}

Field hashField(const char *name, CatalogueIdentity FitReport::*member)
{
    return {QString::fromLatin1(name), [member](const FitReport &r) { return (r.*member).contentHash; },
            [member](FitReport &r, const QString &v) { (r.*member).contentHash = v; }};
}

[[noreturn]] void badFile(const QString &source, const QString &why)
{
    raiseShopError(ShopErrc::File, QStringLiteral("%1: %2").arg(source, why));
}

// The fields in the file's order. The type numbers are one field: blanks between them in
// CSV, an array in JSON.
const std::vector<Field> &fields()
{
    static const std::vector<Field> all = [] {
        std::vector<Field> f;
        f.push_back({QStringLiteral("id"), [](const FitReport &r) { return QString::number(r.id); },
                     [](FitReport &r, const QString &v) { r.id = v.toLongLong(); }});
        f.push_back({QStringLiteral("status"), [](const FitReport &r) { return StatusKey(r.status); },
                     [](FitReport &r, const QString &v) {
                         const auto s = StatusFromKey(v);
                         if (!s)
                             throw std::invalid_argument("status");
                         r.status = *s;
                     }});
        f.push_back(timeField("filed_at", &FitReport::filedAt));
        f.push_back(textField("branch", &FitReport::branch));
        f.push_back(textField("operator", &FitReport::operatorName));
        f.push_back({QStringLiteral("reason"), [](const FitReport &r) { return ReasonKey(r.reason); },
                     [](FitReport &r, const QString &v) {
                         const auto reason = ReasonFromKey(v);
                         if (!reason)
                             throw std::invalid_argument("reason");
                         r.reason = *reason;
                     }});
        f.push_back({QStringLiteral("reason_text"), [](const FitReport &r) { return ReasonText(r.reason); },
                     [](FitReport &, const QString &) {}});
        f.push_back(textField("comment", &FitReport::comment));
        f.push_back(textField("fitting_code", &FitReport::fittingCode));
        f.push_back(textField("price_list", &FitReport::priceList));
        f.push_back(textField("code", &FitReport::code));
        f.push_back(vehicleField("vehicle_id", &ReportedVehicle::idVeicolo));
        f.push_back(vehicleField("make", &ReportedVehicle::make));
        f.push_back(vehicleField("model", &ReportedVehicle::model));
        f.push_back(vehicleField("version", &ReportedVehicle::version));
        f.push_back(vehicleField("fuel", &ReportedVehicle::fuel));
        f.push_back(vehicleField("year_from", &ReportedVehicle::yearFrom));
        f.push_back(vehicleField("year_to", &ReportedVehicle::yearTo));
        f.push_back({QStringLiteral("ktypnr"),
                     [](const FitReport &r) { return r.vehicle ? r.vehicle->ktypnrs.join(u' ') : QString(); },
                     [](FitReport &r, const QString &v) {
                         if (!v.isEmpty())
                             vehicleOf(r).ktypnrs = v.split(u' ', Qt::SkipEmptyParts);
                     }});
        for (int i = 0; i < SnapshotColumns().size(); ++i) {
            f.push_back({SnapshotColumns()[i], [i](const FitReport &r) { return r.batteryRow.value(i); },
                         [i](FitReport &r, const QString &v) {
                             if (r.batteryRow.size() < SnapshotColumns().size())
                                 r.batteryRow.resize(SnapshotColumns().size());
                             r.batteryRow[i] = v;
                         }});
        }
        f.push_back(textField("photo_hash", &FitReport::photoHash));
        f.push_back(createdField("catalogue_created", &FitReport::catalogue));
        f.push_back(hashField("catalogue_hash", &FitReport::catalogue));
        f.push_back(timeField("closed_at", &FitReport::closedAt));
        f.push_back(textField("closed_note", &FitReport::closedNote));
        f.push_back(createdField("resolved_catalogue_created", &FitReport::resolvedIn));
        f.push_back(hashField("resolved_catalogue_hash", &FitReport::resolvedIn));
        f.push_back(textField("resolution", &FitReport::resolution));
        return f;
    }();
    return all;
}

QString csvField(const QString &value)
{
    if (!value.contains(u',') && !value.contains(u'"') && !value.contains(u'\n') && !value.contains(u'\r'))
        return value;
    QString quoted = value;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString csvRecord(const QStringList &values)
{
    QStringList out;
    for (const QString &v : values)
        out << csvField(v);
    return out.join(u',') + QStringLiteral("\r\n");
}

QJsonObject jsonReport(const FitReport &r)
{
    QJsonObject o;
    for (const Field &f : fields()) {
        if (f.name == u"ktypnr")
            o.insert(f.name, QJsonArray::fromStringList(r.vehicle ? r.vehicle->ktypnrs : QStringList()));
        else if (f.name == u"id")
            o.insert(f.name, r.id);
        else
            o.insert(f.name, f.get(r));
    }
    return o;
}

FitReport reportFromJson(const QJsonObject &o, const QString &where)
{
    FitReport r;
    for (const Field &f : fields()) {
        const QJsonValue v = o.value(f.name);
        if (v.isUndefined() || v.isNull())
            continue;
        try {
            if (f.name == u"ktypnr") {
                if (!v.isArray())
                    throw std::invalid_argument("ktypnr");
                QStringList numbers;
                for (const QJsonValue &n : v.toArray())
                    numbers << (n.isString() ? n.toString() : QString::number(n.toInteger()));
                f.set(r, numbers.join(u' '));
            } else if (f.name == u"id") {
                f.set(r, QString::number(v.toInteger()));
            } else if (v.isString()) {
                f.set(r, v.toString());
            } else {
                throw std::invalid_argument("not a text");
            }
        } catch (const std::invalid_argument &) {
            badFile(where, QStringLiteral("the value of \"%1\" cannot be read").arg(f.name));
        }
    }
    if (!o.contains(QStringLiteral("reason")) || !o.contains(QStringLiteral("status")))
        badFile(where, QStringLiteral("a report without its reason or status"));
    // A battery row of nothing but blanks is one that was never shown.
    if (r.code.isEmpty()
        && std::all_of(r.batteryRow.begin(), r.batteryRow.end(), [](const QString &v) { return v.isEmpty(); }))
        r.batteryRow.clear();
    return r;
}

} // namespace

const QStringList &ExportCsvHeader()
{
    static const QStringList header = [] {
        QStringList names;
        for (const Field &f : fields())
            names << f.name;
        return names;
    }();
    return header;
}

std::vector<FitReport> ReportsToExport(const std::vector<FitReport> &reports, bool openOnly, const QDate &since)
{
    std::vector<FitReport> chosen;
    for (const FitReport &r : reports) {
        if (openOnly && r.status != ReportStatus::Open)
            continue;
        if (since.isValid() && r.filedAt.toLocalTime().date() < since)
            continue;
        chosen.push_back(r);
    }
    return chosen;
}

QByteArray ExportText(const std::vector<FitReport> &reports, ExportFormat format)
{
    if (format == ExportFormat::Csv) {
        QString text = csvRecord(ExportCsvHeader());
        for (const FitReport &r : reports) {
            QStringList values;
            for (const Field &f : fields())
                values << f.get(r);
            text += csvRecord(values);
        }
        return text.toUtf8();
    }
    QJsonArray list;
    for (const FitReport &r : reports)
        list.append(jsonReport(r));
    QJsonObject file;
    file.insert(QStringLiteral("format"), QString::fromLatin1(kExportFormatName));
    file.insert(QStringLiteral("version"), kExportFormatVersion);
    file.insert(QStringLiteral("reports"), list);
    return QJsonDocument(file).toJson(QJsonDocument::Indented);
}

void WriteExportFile(const std::vector<FitReport> &reports, ExportFormat format, const QString &path)
{
    const QByteArray bytes = ExportText(reports, format);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        raiseShopError(ShopErrc::File,
                       QStringLiteral("The reports cannot be written to %1: %2").arg(path, file.errorString()));
}

std::vector<FitReport> ReadExportJson(const QByteArray &bytes, const QString &source)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (doc.isNull())
        badFile(source, QStringLiteral("not a JSON file (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    const QJsonObject file = doc.object();
    if (file.value(QStringLiteral("format")).toString() != QLatin1String(kExportFormatName))
        badFile(source, QStringLiteral("not a fit reports export (its \"format\" is not \"%1\")")
                            .arg(QLatin1String(kExportFormatName)));
    const int version = file.value(QStringLiteral("version")).toInt(-1);
    if (version < 1 || version > kExportFormatVersion)
        badFile(
            source,
            QStringLiteral("format version %1, this program reads up to %2").arg(version).arg(kExportFormatVersion));
    std::vector<FitReport> reports;
    const QJsonArray list = file.value(QStringLiteral("reports")).toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!list[i].isObject())
            badFile(source, QStringLiteral("report %1 is not an object").arg(i + 1));
        reports.push_back(reportFromJson(list[i].toObject(), QStringLiteral("%1: report %2").arg(source).arg(i + 1)));
    }
    return reports;
}

} // namespace shop
