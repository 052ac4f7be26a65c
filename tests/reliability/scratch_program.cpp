// The scratch program folder and the window it runs.
#include "tests/reliability/scratch_program.h"

#include "data/connect_database.h"
#include "db/connection.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>

void CopyProgramFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + QLatin1Char('/') + QDir(from).relativeFilePath(source);
        if (it.fileInfo().isDir()) {
            QDir().mkpath(target);
        } else {
            ASSERT_TRUE(QFile::copy(source, target)) << source.toStdString();
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        }
    }
}

void OpenDemoCatalogue(db::Connection &connection)
{
    connection.setConnectionString(
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=%1;"
                       "Jet OLEDB:Database Password=%2")
            .arg(testsupport::appDir() + QStringLiteral("/db/vc_korva.mdb"), DatabasePasswordLiteral()));
    connection.Open();
}

void ScratchProgramTest::SetUp()
{
    ASSERT_TRUE(QFileInfo::exists(testsupport::appDir() + QStringLiteral("/db/vc_korva.mdb")))
        << "the build's program folder is missing: " << testsupport::appDir().toStdString();
    CopyProgramFolder(testsupport::appDir(), dir.path());
    qputenv("CATALOG_CACHE_DIR", QFile::encodeName(testsupport::copyCacheDir()));
    qputenv("TEMP", QFile::encodeName(temp.path()));
    OverrideProgramFolder(dir.path());
    dm = std::make_unique<TDM>();
    desk = std::make_unique<Tfrm_desk>();
}

void ScratchProgramTest::TearDown()
{
    form.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    desk.reset();
    dm.reset();
    qunsetenv("TEMP");
    OverrideProgramFolder(QString());
}

QString ScratchProgramTest::path(const QString &relative) const { return dir.path() + QLatin1Char('/') + relative; }

QStringList ScratchProgramTest::installedFiles(const QString &sub) const
{
    return QDir(testsupport::appDir() + QLatin1Char('/') + sub).entryList(QDir::Files, QDir::Name);
}

QByteArray ScratchProgramTest::readBytes(const QString &relative) const
{
    QFile file(path(relative));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << relative.toStdString();
    return file.readAll();
}

void ScratchProgramTest::writeBytes(const QString &relative, const QByteArray &bytes) const
{
    QFile file(path(relative));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << relative.toStdString();
    file.write(bytes);
}

void ScratchProgramTest::restore(const QString &relative) const
{
    QFile::remove(path(relative));
    ASSERT_TRUE(QFile::copy(testsupport::appDir() + QLatin1Char('/') + relative, path(relative)));
    QFile::setPermissions(path(relative), QFile::ReadOwner | QFile::WriteOwner);
}

void ScratchProgramTest::truncateToHalf(const QString &relative) const
{
    const QByteArray bytes = readBytes(relative);
    writeBytes(relative, bytes.left(bytes.size() / 2));
}

void ScratchProgramTest::openWindow(const QString &brand)
{
    form.reset();
    form = std::make_unique<Tfrm_main>();
    SelectedBrand = brand;
    form->show();
    // Paint once, so the grids' marker pictures and the photo are drawn too.
    (void)form->grab();
}

int ScratchProgramTest::count(const QString &kind, const QString &part) const
{
    int n = 0;
    for (const RecordedMessage &m : rec.shown)
        n += m.kind == kind && m.text.contains(part);
    return n;
}

QString ScratchProgramTest::allTexts() const
{
    QStringList lines;
    for (const RecordedMessage &m : rec.shown)
        lines << m.kind + QStringLiteral(": ") + m.text;
    return lines.join(QLatin1Char('\n'));
}

void ScratchProgramTest::expectDrillDownWorks()
{
    ASSERT_TRUE(form);
    ASSERT_GT(form->gridMarca->RowCount(), 1);
    const int make = 1;
    const size_t before = rec.shown.size();
    EXPECT_TRUE(guarded([&] { form->gridMarcaClickCell(form->gridMarca, make, 2); }));
    EXPECT_FALSE(form->gridModello->Cells(1, 1).isEmpty()) << "no model listed";
    EXPECT_FALSE(form->gridVersione->Cells(0, 1).isEmpty()) << "no version listed: " << [&] {
        QStringList cells;
        for (int r = 0; r < std::min(3, form->gridVersione->RowCount()); ++r)
            for (int c = 0; c < form->gridVersione->ColCount(); ++c)
                cells << QStringLiteral("(%1,%2)=%3").arg(c).arg(r).arg(form->gridVersione->Cells(c, r));
        return (cells.join(' ') + " models: " + form->gridModello->Cells(1, 1)).toStdString();
    }();
    EXPECT_FALSE(form->GridOutput->Cells(3, 1).isEmpty()) << "no battery listed";
    EXPECT_EQ(rec.shown.size(), before) << allTexts().toStdString();
    EXPECT_TRUE(form->isVisible());
}
