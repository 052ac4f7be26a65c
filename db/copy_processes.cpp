// The helper processes that make a copy. A separate program, not a fork of this one: a
// forked copy of a process with threads may only make async-signal-safe calls, and the
// reading runs libmdb, glib, SQLite and Qt, any of whose locks another thread may have held
// at the fork. A helper that crashes, hangs or reports a failure ends the open with a
// message and leaves no temporary file behind.
#include "db/copy_helper.h"
#include "db/copy_processes_p.h"
#include "db/db_error.h"
#include "platform/settings.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <memory>

namespace db::detail {

namespace {

[[noreturn]] void damagedFile(const QString &path, const QString &why)
{
    raiseDbError(DbErrc::Format, QStringLiteral("The catalogue file \"%1\" is damaged: %2.").arg(path, why));
}

} // namespace

const char *shareName(TableShare share)
{
    switch (share) {
    case TableShare::All: return "all";
    case TableShare::Largest: return "largest";
    case TableShare::Others: return "others";
    }
    return "all";
}

TableShare shareNamed(const QString &name)
{
    return name == QLatin1String("largest")  ? TableShare::Largest
           : name == QLatin1String("others") ? TableShare::Others
                                             : TableShare::All;
}

// The helper program: in the program folder (the running executable's, or the one the
// program was told to run on, as the script driver does), else in the installed program
// folder seen from bin/ (the catalogue tools installed on the PATH). Where the tests or
// the fuzz targets are built (CATALOG_BUILD_APPDIR), it may also be named by
// CATALOG_COPY_HELPER, and is else found in the build's program folder, for the tools,
// tests and benchmarks that run from the build tree; other builds carry no path of it.
QString copyHelper()
{
#ifdef CATALOG_BUILD_APPDIR
    const QString named = QString::fromLocal8Bit(qgetenv("CATALOG_COPY_HELPER"));
    if (!named.isEmpty())
        return named;
#endif
    QStringList folders;
    if (QCoreApplication::instance()) {
        const QString mine = QCoreApplication::applicationDirPath();
        const QString program = QDir::cleanPath(QDir::fromNativeSeparators(ProgramFolder()));
        if (program != QDir::cleanPath(mine))
            folders << program;
        folders << mine << QDir::cleanPath(mine + QStringLiteral("/" CATALOG_APPDIR_FROM_BIN));
    }
#ifdef CATALOG_BUILD_APPDIR
    folders << QStringLiteral(CATALOG_BUILD_APPDIR);
#endif
    for (const QString &folder : folders) {
        const QString candidate = folder + u'/' + QLatin1String(kCopyHelperName);
        if (QFileInfo(candidate).isExecutable())
            return candidate;
    }
    raiseDbError(DbErrc::Open,
                 QStringLiteral("The catalogue cannot be read: its helper program \"%1\" is missing from the "
                                "program folder \"%2\". Install the program again.")
                     .arg(QLatin1String(kCopyHelperName), folders.value(0)));
}

QStringList makeCopies(const QString &path, const SourceKey &key, const std::vector<CopyShare> &shares,
                       int timeoutSeconds)
{
    const QString helper = copyHelper();
    // The helpers' heap goes in huge pages, which fault in far less often; the C library's
    // malloc takes them only when told at start-up. It gives them only to its main heap:
    // the threads working out index entries would each get a heap of their own in small
    // pages, so they share the main one (their few large blocks hardly ever meet at its
    // lock). A setting the user gave is kept.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString tunables = environment.value(QStringLiteral("GLIBC_TUNABLES"));
    for (const char *setting : {"glibc.malloc.hugetlb=1", "glibc.malloc.arena_max=1"}) {
        const QLatin1String text(setting);
        if (!tunables.contains(text.left(text.indexOf(u'=') + 1)))
            tunables += (tunables.isEmpty() ? QString() : QStringLiteral(":")) + text;
    }
    environment.insert(QStringLiteral("GLIBC_TUNABLES"), tunables);
    QDeadlineTimer deadline(qint64(timeoutSeconds) * 1000);
    std::vector<std::unique_ptr<QProcess>> helpers;
    auto endAll = [&] {
        for (auto &h : helpers)
            if (h->state() != QProcess::NotRunning) {
                h->kill();
                h->waitForFinished(-1);
            }
    };
    for (const CopyShare &s : shares) {
        auto &h = helpers.emplace_back(std::make_unique<QProcess>());
        h->setProgram(helper);
        h->setProcessEnvironment(environment);
        h->setArguments({QLatin1String(shareName(s.tables)), path, s.tmp, key.path, QString::number(key.size),
                         QString::number(key.mtimeNs), key.identity, key.sample, key.indexes});
        h->setStandardInputFile(QProcess::nullDevice());
        // The report comes on standard output; libmdb prints its warnings about a damaged
        // file on standard error, which is not for the user's terminal.
        h->setStandardErrorFile(QProcess::nullDevice());
        h->start();
    }
    for (auto &h : helpers) {
        if (!h->waitForStarted(-1)) {
            const QString why = h->errorString();
            endAll();
            raiseDbError(DbErrc::Open,
                         QStringLiteral("The catalogue cannot be read: its helper program \"%1\" does not "
                                        "start (%2).")
                             .arg(helper, why));
        }
    }
    bool timedOut = false;
    for (auto &h : helpers)
        if (!h->waitForFinished(int(std::max<qint64>(deadline.remainingTime(), 1)))
            && h->state() != QProcess::NotRunning)
            timedOut = true;
    endAll();

    bool failed = timedOut;
    for (auto &h : helpers)
        failed = failed || h->exitStatus() != QProcess::NormalExit || h->exitCode() != HelperDone;
    if (failed)
        for (const CopyShare &s : shares)
            QFile::remove(s.tmp);
    if (timedOut)
        damagedFile(path, QStringLiteral("reading it did not finish within %1 s").arg(timeoutSeconds));
    QStringList notes;
    for (auto &h : helpers) {
        if (h->exitStatus() != QProcess::NormalExit)
            damagedFile(path, QStringLiteral("reading it failed (the reader stopped abnormally)"));
        const QByteArray report = h->readAllStandardOutput().trimmed();
        if (h->exitCode() == HelperDbError && !report.isEmpty())
            raiseDbError(DbErrc::Format, QString::fromUtf8(report) + QStringLiteral(" (\"%1\")").arg(path));
        if (h->exitCode() != HelperDone)
            damagedFile(path, QStringLiteral("reading it failed (status %1)").arg(h->exitCode()));
        if (!report.isEmpty())
            notes << QString::fromUtf8(report).split(u'\n');
    }
    return notes;
}

} // namespace db::detail
