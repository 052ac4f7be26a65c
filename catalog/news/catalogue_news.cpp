// Keeping the last catalogue: a change is a change of content (the bytes), as the
// provider's copy notices it, not of the file's time. It is told by content keys: the one
// the database layer keeps of the catalogue file (found by the connection just opened on
// it, from the file's header and sampled pages) against the one recorded beside the kept
// copy, so that no catalogue is read whole to tell. The kept files are whole copies
// because the report opens the previous catalogue through the database layer like any
// other; at most two are kept per catalogue path, and the older one only while a report
// of it may be made. The folder is read and changed under its lock only; a report being
// made reads the window's own second names, which nobody else removes, without it.
#include "catalog/news/catalogue_news.h"
#include "db/cache_folder.h"
#include "db/catalogue_identity.h"
#include "platform/os_files.h"
#include "platform/os_process.h"
#include "report/catalogue_diff.h"
#include "report/diff_report.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace catalog {

namespace {

namespace os = platform::os;

const QString kCatalogue = QStringLiteral("vc_korva.mdb");
const QString kWorkgroup = QStringLiteral("system.mdw");
const QString kKey = QStringLiteral("key");
const QString kHeld = QStringLiteral("held");
const QString kReportPrefix = QStringLiteral("report-");

// Whoever holds the folder copies one catalogue at most; should it take longer than this,
// the opening goes on without a report rather than wait any more.
constexpr qint64 kLockWaitMs = 30000;

// The previous catalogues this program offered a report of, as folder and content key: a
// later catalogue window of the same program (the next visit) does not offer it again.
QSet<QString> &offeredHere()
{
    static QSet<QString> offered;
    return offered;
}

bool waitFor(os::FileLock &lock)
{
    QElapsedTimer waited;
    waited.start();
    while (!lock.tryLock()) {
        if (lock.error() != 0 || waited.elapsed() > kLockWaitMs)
            return false;
        os::sleepMs(5);
    }
    return true;
}

QString readKey(const QString &folder)
{
    QFile f(folder + u'/' + kKey);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.read(256)).trimmed() : QString();
}

bool writeKey(const QString &folder, const QString &key)
{
    QFile f(folder + u'/' + kKey);
    const QByteArray text = key.toLatin1();
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
}

// The content key of the catalogue kept in `folder`: the one recorded beside it or, in a
// folder kept by an earlier build, the file's own, recorded from then on. Empty when it
// cannot be told.
QString keptKey(const QString &folder)
{
    QString key = readKey(folder);
    if (key.isEmpty()) {
        try {
            key = db::CatalogueContentKey(folder + u'/' + kCatalogue).content;
        } catch (const std::exception &) {
            return QString();
        }
        writeKey(folder, key);
    }
    return key;
}

// Whether a window, of this program or another, holds the report folder `report`.
bool held(const QString &report)
{
    const QString file = report + u'/' + kHeld;
    if (!QFileInfo::exists(file))
        return false;
    os::FileLock probe(file);
    return probe.error() == 0 && !probe.tryLock();
}

// The report folders of `folder` that a window holds; those none holds any more (the
// window went, or its program ended however it did) are removed.
QStringList heldReports(const QString &folder)
{
    QStringList result;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({kReportPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString report = dir.filePath(name);
        if (held(report))
            result << report;
        else
            QDir(report).removeRecursively();
    }
    return result;
}

// A second name of the file `from`, or a copy where the file system has no second names.
bool secondName(const QString &from, const QString &to) { return os::linkFile(from, to) || QFile::copy(from, to); }

// Copies the catalogue and its workgroup file into `folder` (made afresh) with the
// catalogue's content key `key`; false when a file cannot be copied.
bool keep(const QString &mdb, const QString &workgroup, const QString &folder, const QString &key)
{
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder) || !QFile::copy(mdb, folder + u'/' + kCatalogue))
        return false;
    // The workgroup file is only checked to exist and be a Jet file; without one the
    // previous catalogue could not be opened again.
    if (QFileInfo::exists(workgroup) && !QFile::copy(workgroup, folder + u'/' + kWorkgroup))
        return false;
    return writeKey(folder, key);
}

} // namespace

CatalogueNews::CatalogueNews(const QString &mdb, const QString &workgroup, const QString &password)
    : m_mdb(mdb), m_workgroup(workgroup), m_password(password), m_folder(FolderFor(mdb))
{}

// The report folder, when held, stays until the next opening finds it held no more.
CatalogueNews::~CatalogueNews() = default;

QString CatalogueNews::FolderFor(const QString &mdb)
{
    QString path = QFileInfo(mdb).canonicalFilePath();
    if (path.isEmpty())
        path = QFileInfo(mdb).absoluteFilePath();
    const QByteArray key = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return db::CatalogueCacheFolder() + QStringLiteral("/news/") + QString::fromLatin1(key);
}

bool CatalogueNews::Notice()
{
    ReleaseReport();
    if (!QFileInfo(m_mdb).isFile())
        return false;
    QString now;
    try {
        now = db::CatalogueContentKey(m_mdb).content;
    } catch (const std::exception &) {
        return false;
    }
    if (!QDir().mkpath(m_folder))
        return false;
    os::FileLock lock(m_folder + QStringLiteral("/lock"));
    if (!waitFor(lock))
        return false;
    const QString last = m_folder + QStringLiteral("/last");
    const QString previous = m_folder + QStringLiteral("/previous");
    const bool othersOffer = !heldReports(m_folder).isEmpty();
    const bool first = !QFileInfo::exists(last + u'/' + kCatalogue);
    if (!first && keptKey(last) == now) {
        // Unchanged since the last opening. That may have been another program's, still
        // running, which found the catalogue changed: its report is offered here too.
        if (othersOffer && QFileInfo::exists(previous + u'/' + kCatalogue)
            && !offeredHere().contains(m_folder + u'\n' + readKey(previous)))
            return HoldReport();
        if (!othersOffer)
            QDir(previous).removeRecursively(); // its report was offered already
        return false;
    }
    // Windows still offering the report of an earlier change hold their own names of it.
    QDir(previous).removeRecursively();
    if (!first && !QDir().rename(last, previous))
        return false;
    if (!keep(m_mdb, m_workgroup, last, now)) {
        QDir(last).removeRecursively();
        return false;
    }
    return !first && HoldReport();
}

bool CatalogueNews::HoldReport()
{
    const QString previous = m_folder + QStringLiteral("/previous");
    // The folders no window holds were removed under the same lock: one that exists is held.
    for (int n = 1; n <= 1000; ++n) {
        const QString report = m_folder + u'/' + kReportPrefix + QString::number(n);
        if (QFileInfo::exists(report))
            continue;
        if (!QDir().mkdir(report))
            return false;
        auto lock = std::make_unique<os::FileLock>(report + u'/' + kHeld);
        if (!lock->tryLock() || !secondName(previous + u'/' + kCatalogue, report + u'/' + kCatalogue)
            || (QFileInfo::exists(previous + u'/' + kWorkgroup)
                && !secondName(previous + u'/' + kWorkgroup, report + u'/' + kWorkgroup))) {
            lock.reset();
            QDir(report).removeRecursively();
            return false;
        }
        m_report = report;
        m_held = std::move(lock);
        offeredHere().insert(m_folder + u'\n' + readKey(previous));
        return true;
    }
    return false;
}

void CatalogueNews::ReleaseReport()
{
    if (!m_held)
        return;
    os::FileLock lock(m_folder + QStringLiteral("/lock"));
    const bool locked = waitFor(lock);
    m_held.reset();
    if (!locked)
        return; // a later opening removes what is left
    QDir(m_report).removeRecursively();
    m_report.clear();
    if (heldReports(m_folder).isEmpty())
        QDir(m_folder + QStringLiteral("/previous")).removeRecursively();
}

QString CatalogueNews::Report()
{
    Q_ASSERT(m_held);
    report::OpenOptions before;
    before.password = m_password;
    before.workgroup = m_report + u'/' + kWorkgroup;
    report::OpenOptions now = before;
    now.workgroup = m_workgroup;
    report::CatalogueDiff diff = report::DiffCatalogues(report::ReadCatalogue(m_report + u'/' + kCatalogue, before),
                                                        report::ReadCatalogue(m_mdb, now));
    diff.oldPath = QStringLiteral("il catalogo aperto la volta precedente");
    ReleaseReport();
    return report::DiffText(diff);
}

} // namespace catalog
