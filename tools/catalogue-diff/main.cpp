// catalogue-diff: what changed from one catalogue file to the next (vehicles, fitments,
// batteries, old codes), as CSV for programs, text or an HTML page for people.
#include "catalog/report/catalogue_diff.h"
#include "catalog/report/diff_report.h"
#include "catalog/report/report_format.h"

#include <QCoreApplication>
#include <cstdio>
#include <stdexcept>

using namespace catalog::report;

namespace {

QString help()
{
    return QStringLiteral(
               "usage: catalogue-diff [options] OLD.mdb NEW.mdb [--format text|csv|html] [--output FILE]\n"
               "Compares two catalogues: vehicles (by idVeicolo), fitments (ktypnr/codice), batteries\n"
               "(LISTINO/CODICE) and old codes (LISTINO/OLD_CODICE) added, removed or changed.\n"
               "  --format text|csv|html   text (default): a summary, then the sections; csv: the\n"
               "                           header change,subject,key,field,old,new, one row per change;\n"
               "                           html: one self-contained page\n"
               "  --output FILE            write there instead of standard output\n")
        + OpenOptionsHelp()
        + QStringLiteral("Exit status: 0 whether or not there are changes, 2 on a usage or opening error.\n"
                         "See catalogue-diff(1).\n");
}

int usageError(const QString &why)
{
    std::fprintf(stderr, "catalogue-diff: %s\n%s", qPrintable(why), qPrintable(help()));
    return 2;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    OpenOptions options;
    QString format = QStringLiteral("text");
    QString output;
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
            if ((a == u"--format" || a == u"--output") && i + 1 >= args.size())
                return usageError(a + QStringLiteral(" needs a value"));
            if (a == u"--format")
                format = args[++i];
            else if (a == u"--output")
                output = args[++i];
            else if (a.startsWith(u"--"))
                return usageError(QStringLiteral("unknown option %1").arg(a));
            else
                files << a;
        }
    } catch (const std::invalid_argument &e) {
        return usageError(QString::fromUtf8(e.what()));
    }
    if (files.size() != 2)
        return usageError(QStringLiteral("two catalogues are needed, the old one and the new one"));
    if (format != u"text" && format != u"csv" && format != u"html")
        return usageError(QStringLiteral("unknown format \"%1\" (text, csv or html)").arg(format));

    CatalogueDiff diff;
    try {
        const Catalogue before = ReadCatalogue(files[0], options);
        const Catalogue after = ReadCatalogue(files[1], options);
        diff = DiffCatalogues(before, after);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-diff: %s\n", e.what());
        return 2;
    }
    for (const QString &note : diff.notes)
        std::fprintf(stderr, "catalogue-diff: %s\n", qPrintable(note));
    try {
        WriteReport(format == u"csv" ? DiffCsv(diff) : format == u"html" ? DiffHtml(diff) : DiffText(diff), output);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "catalogue-diff: %s\n", e.what());
        return 2;
    }
    return 0;
}
