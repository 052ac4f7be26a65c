// Keeping the last catalogue: a change is a change of content (the bytes), as the
// provider's copy notices it, not of the file's time. The kept files are whole copies
// because the report opens the previous catalogue through the database layer like any
// other; at most two are kept per catalogue path, and the older one only until its report.
#include "catalog/news/catalogue_news.h"
#include "db/cache_folder.h"
#include "report/catalogue_diff.h"
#include "report/diff_report.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace catalog {

namespace {

const QString kCatalogue = QStringLiteral("vc_korva.mdb");
const QString kWorkgroup = QStringLiteral("system.mdw");

bool sameContent(const QString &a, const QString &b)
{
    QFile fa(a), fb(b);
    if (fa.size() != fb.size() || !fa.open(QIODevice::ReadOnly) || !fb.open(QIODevice::ReadOnly))
        return false;
    while (!fa.atEnd()) {
        if (fa.read(1 << 20) != fb.read(1 << 20))
            return false;
    }
    return true;
}

// Copies the catalogue and its workgroup file into `folder` (made afresh); false when a
// file cannot be copied.
bool keep(const QString &mdb, const QString &workgroup, const QString &folder)
{
    QDir(folder).removeRecursively();
    if (!QDir().mkpath(folder) || !QFile::copy(mdb, folder + u'/' + kCatalogue))
        return false;
    // The workgroup file is only checked to exist and be a Jet file; without one the
    // previous catalogue could not be opened again.
    return !QFileInfo::exists(workgroup) || QFile::copy(workgroup, folder + u'/' + kWorkgroup);
}

} // namespace

CatalogueNews::CatalogueNews(const QString &mdb, const QString &workgroup, const QString &password)
    : m_mdb(mdb), m_workgroup(workgroup), m_password(password), m_folder(FolderFor(mdb))
{}

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
    if (!QFileInfo(m_mdb).isFile())
        return false;
    const QString last = m_folder + QStringLiteral("/last");
    const QString previous = m_folder + QStringLiteral("/previous");
    if (QFileInfo::exists(last + u'/' + kCatalogue) && sameContent(last + u'/' + kCatalogue, m_mdb)) {
        QDir(previous).removeRecursively(); // its report was offered already
        return false;
    }
    const bool first = !QFileInfo::exists(last + u'/' + kCatalogue);
    QDir(previous).removeRecursively();
    if (!first && !QDir().rename(last, previous))
        return false;
    if (!keep(m_mdb, m_workgroup, last)) {
        QDir(last).removeRecursively();
        return false;
    }
    return !first;
}

QString CatalogueNews::Report()
{
    const QString previous = m_folder + QStringLiteral("/previous");
    report::OpenOptions before;
    before.password = m_password;
    before.workgroup = previous + u'/' + kWorkgroup;
    report::OpenOptions now = before;
    now.workgroup = m_workgroup;
    report::CatalogueDiff diff = report::DiffCatalogues(report::ReadCatalogue(previous + u'/' + kCatalogue, before),
                                                        report::ReadCatalogue(m_mdb, now));
    diff.oldPath = QStringLiteral("il catalogo aperto la volta precedente");
    QDir(previous).removeRecursively();
    return report::DiffText(diff);
}

} // namespace catalog
