// The catalogue's codes, read through the database layer like every catalogue tool.
#include "tools/shop-data/catalogue_codes.h"

#include "db/connection.h"
#include "db/query.h"
#include "platform/settings.h"
#include "report/catalogue_tables.h"
#include "shop/store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace shopdata {

QString ProgramCatalogue(QString *looked)
{
    const QString mine = QCoreApplication::applicationDirPath();
    QStringList folders{QDir::cleanPath(QDir::fromNativeSeparators(ProgramFolder())), mine,
                        QDir::cleanPath(mine + QStringLiteral("/" CATALOG_APPDIR_FROM_BIN))};
#ifdef CATALOG_BUILD_APPDIR
    folders << QStringLiteral(CATALOG_BUILD_APPDIR);
#endif
    folders.removeDuplicates();
    QStringList tried;
    for (const QString &folder : folders) {
        const QString candidate = folder + QStringLiteral("/db/vc_korva.mdb");
        if (QFileInfo(candidate).isFile())
            return candidate;
        tried << candidate;
    }
    *looked = tried.join(QStringLiteral(", "));
    return QString();
}

QSet<QString> CatalogueCodes(const QString &mdb)
{
    db::Connection connection;
    connection.setConnectionString(catalog::report::ConnectionStringFor(mdb, catalog::report::OpenOptions()));
    connection.Open();
    db::Query query(connection);
    query.ClearSQL();
    query.AddSQL(QStringLiteral("SELECT CODICE, OLD_CODICE FROM TabTechInfo WHERE NOT LISTINO IS NULL"));
    query.Open();
    QSet<QString> codes;
    for (query.First(); !query.Eof(); query.Next())
        if (query.AsString(1).trimmed().isEmpty())
            codes.insert(shop::NormalCode(query.AsString(0)));
    return codes;
}

} // namespace shopdata
