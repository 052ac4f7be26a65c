// catalogue-check: the data faults of one catalogue file, each with its table and row,
// for the people who build catalogues to find before they ship one.
#include "report/catalogue_check.h"
#include "report/report_format.h"
#include "report/tool_arguments.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <stdexcept>

using namespace catalog::report;

namespace {

QString help()
{
    return QStringLiteral("usage: catalogue-check [options] DB.mdb [--photos DIR] [--format text|csv]\n"
                          "Finds data faults: fitment-without-battery, not-a-number, vehicle-without-relation,\n"
                          "relation-without-vehicle, photo-missing (with --photos), old-code-missing-successor,\n"
                          "old-code-loop, duplicate-row, unknown-price-list, note-markup, missing-table,\n"
                          "missing-column; and in the maker's tables beside the catalogue (tecnologie.csv,\n"
                          "registrazione.csv): technology-table, technology-unknown-range,\n"
                          "technology-unknown-code, registration-table, registration-unknown-make.\n"
                          "  --photos DIR             check that every FOTO has its <FOTO>.JPG in DIR\n"
                          "  --format text|csv        text (default): one line per finding and a count; csv: the\n"
                          "                           header severity,check,table,key,detail, one row per finding\n")
           + OpenOptionsHelp()
           + QStringLiteral("Exit status: 1 when an error is found, 0 otherwise, 2 on a usage or opening error.\n"
                            "See catalogue-check(1).\n");
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    const auto args = ReadCommandLine({"catalogue-check",
                                       {QStringLiteral("--photos")},
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
