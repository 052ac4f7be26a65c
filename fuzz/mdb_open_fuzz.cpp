// Feeds arbitrary bytes to the program's whole way into a catalogue: the bytes become
// db/vc_korva.mdb of a scratch program folder (beside a sound workgroup file), the
// connection is opened as the catalogue window opens it (ConnectDatabase with the fixed
// password), and the price-list query runs. A damaged file must end in a DbError or a
// failed open, never in a crash, a hang or a leak of this process: the reading that
// libmdb does happens in the helper program's process, whose death is only an error here.
#include "data/connect_database.h"
#include "data/data_module.h"
#include "db/db_error.h"
#include "db/query.h"
#include "platform/settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>

namespace {

QTemporaryDir *g_folder = nullptr;
TDM *g_dm = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    g_folder = new QTemporaryDir;
    QDir(g_folder->path()).mkpath(QStringLiteral("db"));
    QDir(g_folder->path()).mkpath(QStringLiteral("cache"));
    qputenv("CATALOG_CACHE_DIR", QFile::encodeName(g_folder->filePath(QStringLiteral("cache"))));
    const QString workgroup = QStringLiteral(CATALOG_FIXTURES_DIR "/catalogue-small/system.mdw");
    if (!QFile::copy(workgroup, g_folder->filePath(QStringLiteral("db/system.mdw")))) {
        fprintf(stderr, "cannot copy the workgroup file %s\n", qPrintable(workgroup));
        std::abort();
    }
    AppDir = g_folder->path() + QLatin1Char('/');
    g_dm = new TDM;
    // A helper that hangs on a hostile file is ended after this long.
    g_dm->ADOConnection1.setCommandTimeout(10);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    {
        QFile file(g_folder->filePath(QStringLiteral("db/vc_korva.mdb")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size));
    }
    if (ConnectDatabase(QStringLiteral("SQL"), QString(), QStringLiteral("vc_korva"), QString(), QString())) {
        try {
            db::Query query(g_dm->ADOConnection1);
            query.AddSQL(
                QStringLiteral("Select Distinct LISTINO from TabTechInfo where LISTINO<>\"\" order by LISTINO"));
            query.Open();
            for (; !query.Eof(); query.Next())
                (void)query.AsString(0);
            query.Close();
        } catch (const db::DbError &) {
        }
    }
    // The next input is another file under the same name: it must be read again.
    g_dm->ADOConnection1.Close();
    return 0;
}
