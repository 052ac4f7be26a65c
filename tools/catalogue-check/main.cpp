// catalogue-check: the data faults of one catalogue file, each with its table and row,
// for the people who build catalogues to find before they ship one.
#include "catalog/report/catalogue_check.h"
#include "catalog/report/report_format.h"

#include <QCoreApplication>
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
               "Finds data faults: fitment-without-battery, not-a-number, vehicle-without-relation,\n"
               "relation-without-vehicle, photo-missing (with --photos), old-code-missing-successor,\n"
               "old-code-loop, duplicate-row, unknown-price-list, note-markup, missing-table,\n"
               "missing-column.\n"
               "  --photos DIR             check that every FOTO has its <FOTO>.JPG in DIR\n"
               "  --format text|csv        text (default): one line per finding and a count; csv: the\n"
               "                           header severity,check,table,key,detail, one row per finding\n")
        + OpenOptionsHelp()
        + QStringLiteral("Exit status: 1 when an error is found, 0 otherwise, 2 on a usage or opening error.\n"
                         "See catalogue-check(1).\n");
}

int usageError(const QString &why)
{
    std::fprintf(stderr, "catalogue-check: %s\n%s", qPrintable(why), qPrintable(help()));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    OpenOptions options;
    CheckOptions checks;
    QString format = QStringLiteral("text");
    QStringList files;
    try {
        for (qsizetype i = 0; i < args.size(); ++i) {
            const QString &a = args[i];
            if (a == u"--help" || a == u"-h") {
                std::fputs(qPrintable(help()), stdout);
                return 0;
            }
            if (TakeOpenOption(args, i, options))
                continue;
            if ((a == u"--format" || a == u"--photos") && i + 1 >= args.size())
                return usageError(a + QStringLiteral(" needs a value"));
            if (a == u"--format")
                format = args[++i];
            else if (a == u"--photos")
                checks.photoFolder = args[++i];
            else if (a.startsWith(u"--"))
                return usageError(QStringLiteral("unknown option %1").arg(a));
            else
                files << a;
        }
    } catch (const std::invalid_argument &e) {
        return usageError(QString::fromUtf8(e.what()));
    }
    if (files.size() != 1)
        return usageError(QStringLiteral("one catalogue is needed"));
    if (format != u"text" && format != u"csv")
        return usageError(QStringLiteral("unknown format \"%1\" (text or csv)").arg(format));
    if (!checks.photoFolder.isEmpty() && !QFileInfo(checks.photoFolder).isDir())
        return usageError(QStringLiteral("%1 is not a folder").arg(checks.photoFolder));

    try {
        const std::vector<Finding> findings = CheckCatalogue(ReadCatalogue(files[0], options), checks);
        WriteReport(format == u"csv" ? CheckCsv(findings) : CheckText(findings), QString());
        const bool errors = std::any_of(findings.begin(), findings.end(),
                                        [](const Finding &f) { return f.severity == Severity::Error; });
        return errors ? 1 : 0;
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-check: %s\n", e.what());
        return 2;
    }
}
