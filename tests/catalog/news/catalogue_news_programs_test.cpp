// What's new with several programs of one user opening one catalogue: started together,
// one started while another offers the report, one killed, and two windows of one
// program. Each program is this test executable run again as the probe below, which
// notices the catalogue as the window does and makes the report when told to. Also: an
// unchanged catalogue is noticed without reading either catalogue whole.
#include "catalog/news/catalogue_news.h"
#include "data/connect_database.h"
#include "db/catalogue_identity.h"
#include "platform/os_process.h"
#include "tests/common/test_support.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <string>

namespace {

const char *const kProbeFolder = "CATALOG_NEWS_PROBE";
const QByteArray kSaid = "probe: ";

QString catalogueIn(const QString &folder) { return folder + QStringLiteral("/vc_korva.mdb"); }

catalog::CatalogueNews newsOf(const QString &folder)
{
    return catalog::CatalogueNews(catalogueIn(folder), folder + QStringLiteral("/system.mdw"), DatabasePassword());
}

// One program of the user: the probe run as a process of its own.
class Program {
public:
    explicit Program(const QString &folder)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kProbeFolder), folder);
        m_process.setProcessEnvironment(env);
        m_process.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("--gtest_filter=CatalogueNewsProbe.DISABLED_Program"),
                         QStringLiteral("--gtest_also_run_disabled_tests")});
        EXPECT_TRUE(m_process.waitForStarted());
    }
    ~Program()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.write("end\n");
            if (!m_process.waitForFinished(30000))
                m_process.kill();
            m_process.waitForFinished();
        }
    }
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    // Whether the program offers a report of what is new.
    bool Offers() { return Said() == "notice 1"; }
    // The report's text, or "failed: <message>".
    QString Report()
    {
        m_process.write("report\n");
        const QByteArray said = Said();
        return said.startsWith("report ") ? QString::fromUtf8(QByteArray::fromBase64(said.mid(7)))
                                          : QStringLiteral("failed: ") + QString::fromUtf8(said);
    }
    void Kill()
    {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    // The probe's next line; empty when it ended first.
    QByteArray Said()
    {
        for (;;) {
            while (m_process.canReadLine()) {
                const QByteArray line = m_process.readLine().trimmed();
                if (line.startsWith(kSaid))
                    return line.mid(kSaid.size());
            }
            if (!m_process.waitForReadyRead(120000))
                return QByteArray();
        }
    }

    QProcess m_process;
};

class CatalogueNewsPrograms : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_cacheBefore = qgetenv("CATALOG_CACHE_DIR");
        qputenv("CATALOG_CACHE_DIR", cache.path().toLocal8Bit());
        for (const char *name : {"vc_korva.mdb", "system.mdw"})
            ASSERT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("catalogue-small/") + QLatin1String(name)),
                                    folder.filePath(QLatin1String(name))));
        EXPECT_FALSE(Program(folder.path()).Offers()) << "the first opening has no report";
        // The demo catalogue replaces the fixture one, as an update does.
        ASSERT_TRUE(QFile::remove(catalogueIn(folder.path())));
        ASSERT_TRUE(
            QFile::copy(testsupport::appDir() + QStringLiteral("/db/vc_korva.mdb"), catalogueIn(folder.path())));
    }
    void TearDown() override
    {
        if (m_cacheBefore.isEmpty())
            qunsetenv("CATALOG_CACHE_DIR");
        else
            qputenv("CATALOG_CACHE_DIR", m_cacheBefore);
    }

    QString newsFolder() const { return catalog::CatalogueNews::FolderFor(catalogueIn(folder.path())); }
    // The folders the report of the change still needs: previous/ and report-N/.
    QStringList kept() const
    {
        return QDir(newsFolder()).entryList({QStringLiteral("previous"), QStringLiteral("report-*")}, QDir::Dirs);
    }
    static void expectReport(const QString &report)
    {
        EXPECT_TRUE(report.startsWith(QStringLiteral("Catalogo precedente: il catalogo aperto la volta precedente\n")))
            << report.left(300).toStdString();
        EXPECT_TRUE(report.contains(QStringLiteral("1984 veicoli aggiunti, 0 tolti, 16 modificati;")))
            << report.left(300).toStdString();
    }

    QTemporaryDir cache;
    QTemporaryDir folder;
    QByteArray m_cacheBefore;
};

TEST_F(CatalogueNewsPrograms, TwoStartedTogetherBothOfferTheReport)
{
    Program first(folder.path()), second(folder.path());
    EXPECT_TRUE(first.Offers());
    EXPECT_TRUE(second.Offers());
    expectReport(first.Report());
    expectReport(second.Report());
    EXPECT_TRUE(kept().isEmpty()) << kept().join(' ').toStdString();
    EXPECT_FALSE(Program(folder.path()).Offers()) << "offered once";
}

TEST_F(CatalogueNewsPrograms, OneStartedWhileAnotherOffersTheReportOffersItToo)
{
    Program first(folder.path());
    ASSERT_TRUE(first.Offers());
    {
        Program second(folder.path());
        EXPECT_TRUE(second.Offers());
        // The second one's report is made first; the first program's is still whole.
        expectReport(second.Report());
    }
    expectReport(first.Report());
    EXPECT_TRUE(kept().isEmpty()) << kept().join(' ').toStdString();
}

TEST_F(CatalogueNewsPrograms, AReportNotTakenUpByAKilledProgramIsNotOfferedAgain)
{
    Program killed(folder.path());
    ASSERT_TRUE(killed.Offers());
    killed.Kill();
    EXPECT_FALSE(Program(folder.path()).Offers());
    EXPECT_TRUE(kept().isEmpty()) << kept().join(' ').toStdString();
}

TEST_F(CatalogueNewsPrograms, TheNextWindowOfOneProgramDoesNotOfferItAgain)
{
    catalog::CatalogueNews visit = newsOf(folder.path());
    ASSERT_TRUE(visit.Notice());
    catalog::CatalogueNews nextVisit = newsOf(folder.path());
    EXPECT_FALSE(nextVisit.Notice());
    // Another program started meanwhile offers it all the same.
    Program other(folder.path());
    EXPECT_TRUE(other.Offers());
    catalog::CatalogueNews thirdVisit = newsOf(folder.path());
    EXPECT_FALSE(thirdVisit.Notice());
    expectReport(visit.Report());
    expectReport(other.Report());
}

TEST(CatalogueNewsKeys, AnUnchangedCatalogueIsNoticedWithoutReadingEitherWhole)
{
    QTemporaryDir cache, folder;
    const QByteArray cacheBefore = qgetenv("CATALOG_CACHE_DIR");
    qputenv("CATALOG_CACHE_DIR", cache.path().toLocal8Bit());
    // The large catalogue: its sampled pages are a small part of it.
    for (const char *name : {"vc_korva.mdb", "system.mdw"})
        ASSERT_TRUE(QFile::copy(testsupport::fixture(QStringLiteral("catalogue-large/") + QLatin1String(name)),
                                folder.filePath(QLatin1String(name))));
    EXPECT_FALSE(newsOf(folder.path()).Notice()) << "the first opening";
    // The window notices right after opening its connection, which found the key.
    db::CatalogueContentKey(catalogueIn(folder.path()));
    catalog::CatalogueNews again = newsOf(folder.path());
    const qint64 before = platform::os::bytesReadSoFar();
    ASSERT_GE(before, 0) << "the system does not count the bytes read";
    EXPECT_FALSE(again.Notice());
    const qint64 read = platform::os::bytesReadSoFar() - before;
    EXPECT_LT(read, QFileInfo(catalogueIn(folder.path())).size() / 4);
    if (cacheBefore.isEmpty())
        qunsetenv("CATALOG_CACHE_DIR");
    else
        qputenv("CATALOG_CACHE_DIR", cacheBefore);
}

// The probe, run only by the tests above in a process of its own: it notices the
// catalogue in $CATALOG_NEWS_PROBE and says whether a report is due, then makes the
// report at "report" (its text in base64, to keep it on one line) until "end".
TEST(CatalogueNewsProbe, DISABLED_Program)
{
    const QString folder = qEnvironmentVariable(kProbeFolder);
    ASSERT_FALSE(folder.isEmpty());
    catalog::CatalogueNews news = newsOf(folder);
    std::cout << kSaid.constData() << "notice " << (news.Notice() ? 1 : 0) << std::endl;
    for (std::string line; std::getline(std::cin, line) && line != "end";) {
        if (line != "report")
            continue;
        try {
            std::cout << kSaid.constData() << "report " << news.Report().toUtf8().toBase64().constData() << std::endl;
        } catch (const std::exception &e) {
            std::cout << kSaid.constData() << "failed " << e.what() << std::endl;
        }
    }
}

} // namespace
