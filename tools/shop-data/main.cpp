// shop-data: the shop's own store from the command line: a till's stock file imported
// into this branch, the stock listed as the program sees it, and an embedded store
// copied onto a shop's PostgreSQL server; the fit reports exported for the maker.
#include "db/db_error.h"
#include "platform/command_line.h"
#include "platform/user_settings.h"
#include "shop/report_store.h"
#include "shop/shop_error.h"
#include "shop/shop_settings.h"
#include "shop/stock_import.h"
#include "shop/store.h"
#include "tools/shop-data/catalogue_codes.h"
#include "tools/shop-data/report_export.h"
#include "tools/shop-data/stock_listing.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

const char kTool[] = "shop-data";

QString help()
{
    return QStringLiteral(
        "usage: shop-data [--database DB] import-stock FILE [--columns code=NAME,quantity=NAME,price=NAME,shelf=NAME]\n"
        "                 [--catalogue DB.mdb] [--branch NAME]\n"
        "       shop-data [--database DB] stock [CODE...]\n"
        "       shop-data [--database DB] copy-to postgresql://user@host:port/dbname\n"
        "       shop-data [--database DB] export-reports [--open] [--since YYYY-MM-DD] [--format csv|json]\n"
        "                 [--output FILE]\n"
        "  import-stock FILE     replace this branch's stock with a till's CSV export\n"
        "  stock [CODE...]       list the stock of every branch (of the codes given, or all)\n"
        "  copy-to URL           copy the embedded store into an empty PostgreSQL store\n"
        "  export-reports        write the fit reports, newest first, for the catalogue's maker: only the\n"
        "                        open ones with --open, those filed on or after a day with --since; CSV\n"
        "                        (the default) or JSON (which catalogue-check --reports reads); into FILE\n"
        "                        (written whole, then renamed into place) or to standard output\n"
        "  --database DB         the store: a file or a postgresql:// URL (default: [shop] database=,\n"
        "                        else ~/.local/share/dazozizizavuv/shop.sqlite)\n"
        "  --branch NAME         the branch imported into (default: [shop] branch=, else the machine name)\n"
        "  --columns ...         the file's header names for code, quantity, price and shelf\n"
        "  --catalogue DB.mdb    the catalogue whose codes the file's are checked against\n"
        "                        (default: the program's own)\n"
        "Exit status: 0 done, 1 a file that cannot be imported, 2 a usage or store error.\n"
        "See shop-data(1).\n");
}

void out(const QString &text) { std::fputs(text.toUtf8().constData(), stdout); }

int fail(int status, const QString &why)
{
    std::fprintf(stderr, "%s: %s\n", kTool, why.toUtf8().constData());
    return status;
}

int usage(const QString &why)
{
    std::fprintf(stderr, "%s: %s\n", kTool, why.toUtf8().constData());
    std::fputs(help().toUtf8().constData(), stderr);
    return 2;
}

QString plural(qint64 n, const char *one, const char *many)
{
    return shopdata::ItalianNumber(n) + u' ' + QString::fromUtf8(n == 1 ? one : many);
}

int importStock(const QString &file, const QCommandLineParser &parser, const shop::ShopSettings &settings)
{
    shop::ImportOptions options;
    options.branch =
        parser.isSet(QStringLiteral("branch")) ? parser.value(QStringLiteral("branch")).trimmed() : settings.branch;
    if (options.branch.isEmpty())
        return usage(QStringLiteral("--branch needs a name"));
    options.columns = shop::StockColumns::parse(parser.value(QStringLiteral("columns")));
    QString catalogue = parser.value(QStringLiteral("catalogue"));
    if (catalogue.isEmpty()) {
        QString looked;
        catalogue = shopdata::ProgramCatalogue(&looked);
        if (catalogue.isEmpty())
            return fail(2,
                        QStringLiteral("the program's catalogue is not in %1; name one with --catalogue").arg(looked));
    }
    try {
        options.catalogueCodes = shopdata::CatalogueCodes(catalogue);
    } catch (const db::DbError &e) {
        return fail(2, QStringLiteral("%1: %2").arg(catalogue, QString::fromStdString(e.what())));
    }
    shop::Store store(settings.database);
    const shop::ImportSummary summary = shop::ImportStock(store, file, options);
    out(plural(summary.rowCount, "riga", "righe") + QStringLiteral(", ")
        + plural(summary.notInCatalogue, "codice non in catalogo", "codici non in catalogo") + u'\n');
    // The first few codes are named, so a wrong catalogue or column is seen at once.
    if (summary.notInCatalogue > 0)
        std::fprintf(
            stderr, "%s: attenzione: %s (in nessun listino di %s): %s%s\n", kTool,
            plural(summary.notInCatalogue, "codice non in catalogo", "codici non in catalogo").toUtf8().constData(),
            catalogue.toUtf8().constData(), summary.firstNotInCatalogue.join(QStringLiteral(", ")).toUtf8().constData(),
            summary.notInCatalogue > summary.firstNotInCatalogue.size() ? ", ..." : "");
    return 0;
}

int copyTo(const QString &url, const shop::ShopSettings &settings)
{
    const shop::StoreLocation from = shop::StoreLocation::parse(settings.database);
    if (from.isServer())
        return usage(QStringLiteral("copy-to copies an embedded store (a file); %1 is a server").arg(from.describe()));
    const shop::StoreLocation to = shop::StoreLocation::parse(url);
    if (!to.isServer())
        return usage(QStringLiteral("copy-to goes to a PostgreSQL store (postgresql://...), not to %1").arg(url));
    shop::Store source(from);
    shop::Store target(to);
    source.copyInto(target);
    const size_t rows = target.allStock().size(), branches = target.imports().size();
    out(QStringLiteral("%1 di %2 copiate in %3\n")
            .arg(plural(qint64(rows), "riga di giacenza", "righe di giacenza"),
                 plural(qint64(branches), "filiale", "filiali"), to.describe()));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    const QCommandLineOption helpOption({QStringLiteral("h"), QStringLiteral("help")}, QString());
    parser.addOption(helpOption);
    for (const char *name : {"database", "branch", "columns", "catalogue", "since", "format", "output"})
        parser.addOption(QCommandLineOption(QString::fromLatin1(name), QString(), QStringLiteral("value")));
    const QCommandLineOption openOption(QStringLiteral("open"), QString());
    parser.addOption(openOption);
    if (const auto fault = platform::ParseCommandLine(parser, app.arguments().mid(1)))
        return usage(fault->message);
    if (parser.isSet(helpOption)) {
        out(help());
        return 0;
    }
    const QStringList args = parser.positionalArguments();
    const QString command = args.value(0);
    const bool known = command == QLatin1String("import-stock") || command == QLatin1String("stock")
                       || command == QLatin1String("copy-to") || command == QLatin1String("export-reports");
    if (!known)
        return usage(command.isEmpty() ? QStringLiteral("a command is needed")
                                       : QStringLiteral("unknown command %1").arg(command));
    if (command == QLatin1String("export-reports") && args.size() != 1)
        return usage(QStringLiteral("export-reports takes no file: name it with --output"));
    for (const char *only : {"open", "since", "format", "output"})
        if (parser.isSet(QString::fromLatin1(only)) && command != QLatin1String("export-reports"))
            return usage(QStringLiteral("--%1 goes with export-reports only").arg(QString::fromLatin1(only)));
    if (command != QLatin1String("stock") && command != QLatin1String("export-reports") && args.size() != 2)
        return usage(
            QStringLiteral("%1 takes one %2")
                .arg(command, command == QLatin1String("copy-to") ? QStringLiteral("URL") : QStringLiteral("file")));
    for (const char *only : {"branch", "columns", "catalogue"})
        if (parser.isSet(QString::fromLatin1(only)) && command != QLatin1String("import-stock"))
            return usage(QStringLiteral("--%1 goes with import-stock only").arg(QString::fromLatin1(only)));
    try {
        shop::ShopSettings settings = shop::ShopSettings::read(UserSettings());
        if (parser.isSet(QStringLiteral("database")))
            settings.database = parser.value(QStringLiteral("database"));
        if (command == QLatin1String("import-stock"))
            return importStock(args[1], parser, settings);
        if (command == QLatin1String("copy-to"))
            return copyTo(args[1], settings);
        if (command == QLatin1String("export-reports")) {
            const shopdata::ReportExportRequest request = shopdata::ReadReportExportRequest(
                parser.isSet(openOption), parser.value(QStringLiteral("since")), parser.value(QStringLiteral("format")),
                parser.value(QStringLiteral("output")));
            shop::ReportStore reports(settings.database);
            int count = 0;
            const QByteArray bytes = shopdata::ExportReports(reports, request, count);
            std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
            if (!request.output.isEmpty())
                out(plural(count, "segnalazione esportata", "segnalazioni esportate") + QStringLiteral(" in ")
                    + request.output + u'\n');
            return 0;
        }
        shop::Store store(settings.database);
        out(shopdata::StockListing(store, args.mid(1)));
        return 0;
    } catch (const shop::ShopError &e) {
        if (e.code() == shop::ShopErrc::Usage)
            return usage(QString::fromStdString(e.what()));
        return fail(e.code() == shop::ShopErrc::File ? 1 : 2, QString::fromStdString(e.what()));
    } catch (const SettingsError &e) {
        return fail(2, QString::fromStdString(e.what()));
    }
}
