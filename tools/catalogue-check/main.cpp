// catalogue-check: the data faults of one catalogue file, each with its table and row,
// for the people who build catalogues to find before they ship one; with --reports, which
// of the shops' fit reports in an export the catalogue resolves.
#include "report/catalogue_check.h"
#include "report/report_format.h"
#include "report/tool_arguments.h"
#include "shop/fit_report_export.h"
#include "tools/catalogue-check/report_facts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

using namespace catalog::report;

namespace {

QString help()
{
    return QStringLiteral(
               "usage: catalogue-check [options] DB.mdb [--photos DIR] [--format text|csv]\n"
               "       catalogue-check [options] --reports REPORTS.json NEW.mdb [--photos DIR] [--format text|csv]\n"
               "Finds data faults: fitment-without-battery, not-a-number, vehicle-without-relation,\n"
               "relation-without-vehicle, photo-missing (with --photos), old-code-missing-successor,\n"
               "old-code-loop, duplicate-row, unknown-price-list, note-markup, missing-table,\n"
               "missing-column; and in the maker's tables beside the catalogue (tecnologie.csv,\n"
               "registrazione.csv): technology-table, technology-unknown-range,\n"
               "technology-unknown-code, registration-table, registration-unknown-make.\n"
               "  --photos DIR             check that every FOTO has its <FOTO>.JPG in DIR\n"
               "  --reports FILE           instead: each open fit report of a shop's JSON export (shop-data\n"
               "                           export-reports --format json) as resolved or still open in the\n"
               "                           catalogue; with --photos, a changed photo file resolves a photo report\n"
               "  --format text|csv        text (default): one line per finding and a count; csv: the\n"
               "                           header severity,check,table,key,detail, one row per finding\n")
           + OpenOptionsHelp()
           + QStringLiteral("Exit status: 1 when an error is found, 0 otherwise, 2 on a usage or opening error.\n"
                            "See catalogue-check(1).\n");
}

// One line (or CSV row) per report of the export: resolved by the catalogue, still open
// in it, or not checked because the shop had closed it already.
QString reportsCheck(const std::vector<shop::FitReport> &reports, const CatalogueReportFacts &facts, bool csv)
{
    QString out = csv ? CsvRecord({QStringLiteral("id"), QStringLiteral("reason"), QStringLiteral("price_list"),
                                   QStringLiteral("code"), QStringLiteral("vehicle_id"), QStringLiteral("result"),
                                   QStringLiteral("detail")})
                      : QString();
    int resolved = 0;
    int open = 0;
    for (const shop::FitReport &r : reports) {
        QString result;
        QString detail;
        if (r.status != shop::ReportStatus::Open) {
            result = QStringLiteral("not-checked");
            detail = QStringLiteral("already %1 at the shop")
                         .arg(r.status == shop::ReportStatus::Closed ? QStringLiteral("closed")
                                                                     : QStringLiteral("resolved"));
        } else if (const std::optional<QString> why = shop::Resolution(r, facts)) {
            result = QStringLiteral("resolved");
            detail = *why;
            ++resolved;
        } else {
            result = QStringLiteral("open");
            detail = r.reason == shop::ReportReason::Other ? QStringLiteral("\"Altro\" is resolved by hand only")
                                                           : QStringLiteral("still as reported");
            ++open;
        }
        const QString vehicle = r.vehicle ? r.vehicle->idVeicolo : QString();
        const QString code = r.code.isEmpty() ? r.fittingCode : r.code;
        if (csv) {
            out += CsvRecord(
                {QString::number(r.id), shop::ReasonKey(r.reason), r.priceList, code, vehicle, result, detail});
        } else {
            out += QStringLiteral("report %1 (%2, %3/%4%5): %6: %7\n")
                       .arg(r.id)
                       .arg(shop::ReasonShortText(r.reason), r.priceList, code,
                            vehicle.isEmpty() ? QString() : QStringLiteral(", vehicle ") + vehicle, result, detail);
        }
    }
    if (!csv)
        out +=
            QStringLiteral("%1 resolved, %2 still open, %3 reports read\n").arg(resolved).arg(open).arg(reports.size());
    return out;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    const auto args = ReadCommandLine({"catalogue-check",
                                       {QStringLiteral("--photos"), QStringLiteral("--reports")},
                                       {QStringLiteral("text"), QStringLiteral("csv")},
                                       1,
                                       QStringLiteral("one catalogue is needed"),
                                       help()},
                                      app.arguments().mid(1), status);
    if (!args)
        return status;
    const QString format = args->values.value(QStringLiteral("--format"));
    CheckOptions checks;
    checks.photoFolder = args->values.value(QStringLiteral("--photos"));
    if (!checks.photoFolder.isEmpty() && !QFileInfo(checks.photoFolder).isDir())
        return ReportUsageError("catalogue-check", QStringLiteral("%1 is not a folder").arg(checks.photoFolder),
                                help());

    const QString reportsFile = args->values.value(QStringLiteral("--reports"));
    if (!reportsFile.isEmpty()) {
        try {
            QFile file(reportsFile);
            if (!file.open(QIODevice::ReadOnly))
                return ReportUsageError("catalogue-check", QStringLiteral("cannot read %1").arg(reportsFile), help());
            const std::vector<shop::FitReport> reports = shop::ReadExportJson(file.readAll(), reportsFile);
            static const auto *catalogue = new Catalogue(ReadCatalogue(args->files[0], args->open));
            const QString photos = checks.photoFolder.isEmpty() ? QString() : QDir(checks.photoFolder).path() + u'/';
            WriteReport(reportsCheck(reports, CatalogueReportFacts(*catalogue, photos), format == u"csv"), QString());
            return 0;
        } catch (const std::exception &e) {
            std::fprintf(stderr, "catalogue-check: %s\n", e.what());
            return 2;
        }
    }

    try {
        // Kept until the process ends, which takes the memory back at once: freeing the
        // values of a large catalogue one by one would cost a tenth of the run.
        static const auto *catalogue = new Catalogue(ReadCatalogue(args->files[0], args->open));
        const QString beside = QFileInfo(args->files[0]).absolutePath();
        checks.technologies = ReadTechnologyTable(beside);
        checks.registrations = ReadRegistrationTable(beside);
        const std::vector<Finding> findings = CheckCatalogue(*catalogue, checks);
        WriteReport(format == u"csv" ? CheckCsv(findings) : CheckText(findings), QString());
        const bool errors = std::any_of(findings.begin(), findings.end(),
                                        [](const Finding &f) { return f.severity == Severity::Error; });
        return errors ? 1 : 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-check: %s\n", e.what());
        return 2;
    }
}
