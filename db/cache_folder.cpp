// The cache folder: the user's own, or one made for this run. Never a folder of a fixed
// name in a shared place: whoever made that first could put any content in the copies.
#include "db/cache_folder.h"

#include "db/db_error.h"
#include "platform/own_folders.h"

#include <QtGlobal>
#include <atomic>

namespace db {

namespace {

using platform::ExistingFolder;
using platform::MakeOwnFolder;

// The folder the user's settings name and, when it cannot be used, why not.
struct Choice {
    QString folder;
    QString refusal;
};

Choice chosenFolder()
{
    const QString named = qEnvironmentVariable("CATALOG_CACHE_DIR");
    if (!named.isEmpty())
        return {named, MakeOwnFolder(named)};
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!base.startsWith(QLatin1Char('/'))) {
        const QString home = qEnvironmentVariable("HOME");
        if (home.isEmpty())
            return {QString(), QStringLiteral("HOME is not set")};
        base = home + QStringLiteral("/.cache");
    }
    const QString program = base + QStringLiteral("/dazozizizavuv");
    const QString copies = program + QStringLiteral("/catalogue-copies");
    // The user's cache folder is used as it stands; the program's own folders in it are
    // made the user's alone.
    QString refusal = MakeOwnFolder(base);
    if (refusal.isEmpty())
        refusal = MakeOwnFolder(program, ExistingFolder::MakePrivate);
    if (refusal.isEmpty())
        refusal = MakeOwnFolder(copies, ExistingFolder::MakePrivate);
    return {copies, refusal};
}

} // namespace

QString CatalogueCacheFolder()
{
    const Choice choice = chosenFolder();
    if (choice.refusal.isEmpty())
        return choice.folder;
    QString why;
    const QString run = platform::RunFolder(&why);
    const QString copies = run + QStringLiteral("/catalogue-copies");
    if (!run.isEmpty()) {
        const QString refusal = MakeOwnFolder(copies);
        if (refusal.isEmpty()) {
            static std::atomic<bool> told{false};
            if (!told.exchange(true))
                qWarning("The copies of catalogues are kept for this run only, in \"%s\": %s.", qPrintable(copies),
                         qPrintable(choice.refusal));
            return copies;
        }
        why = refusal;
    }
    raiseDbError(DbErrc::Open,
                 QStringLiteral("The catalogue cannot be copied for reading: no folder for its copy can be used "
                                "(%1; %2).")
                     .arg(choice.refusal, why));
}

} // namespace db
