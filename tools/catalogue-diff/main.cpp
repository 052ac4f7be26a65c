// catalogue-diff: what changed from one catalogue file to the next (vehicles, fitments,
// batteries, old codes), as CSV for programs, text or an HTML page for people.
#include "report/catalogue_diff.h"
#include "report/diff_report.h"
#include "report/report_format.h"
#include "report/tool_arguments.h"

#include <QCoreApplication>
#include <cstdio>
#include <stdexcept>

using namespace catalog::report;

namespace {

QString help()
{
    return QStringLiteral("usage: catalogue-diff [options] OLD.mdb NEW.mdb [--format text|csv|html] [--output FILE]\n"
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

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    int status = 0;
    const auto args = ReadCommandLine({"catalogue-diff",
                                       {QStringLiteral("--output")},
                                       {QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("html")},
                                       2,
                                       QStringLiteral("two catalogues are needed, the old one and the new one"),
                                       help()},
                                      app.arguments().mid(1), status);
    if (!args)
        return status;
    const QStringList &files = args->files;
    const QString format = args->values.value(QStringLiteral("--format"));
    const QString output = args->values.value(QStringLiteral("--output"));
    const OpenOptions &options = args->open;

    CatalogueDiff diff;
    try {
        // Kept until the process ends, which takes the memory back at once: freeing the
        // values of two large catalogues one by one would cost a tenth of the run.
        static const auto *catalogues =
            new std::pair<Catalogue, Catalogue>(ReadCatalogues(files[0], files[1], options));
        diff = DiffCatalogues(catalogues->first, catalogues->second);
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
