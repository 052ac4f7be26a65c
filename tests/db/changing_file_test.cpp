// A catalogue file written while the helpers copy it (a copy over a network share, an
// unzip in place): the copy is read again once, never kept when it mixes two contents,
// and the open then says the file changed, never that it is damaged. The helpers' test
// hook stops each reading after its first table, where the test changes the file.
#include "db/db_error.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using db::DbErrc;
using db::DbError;
using dbtest::ScopedEnv;

namespace {

const QString kCount = QStringLiteral("SELECT count(*) FROM CP_Veicoli");
const QString kVehicle = QStringLiteral("SELECT Marca FROM CP_Veicoli WHERE idVeicolo = 1001");
const QString kBattery = QStringLiteral("SELECT CODICE FROM TabTechInfo WHERE GAMMA = 'Korva AGM'");

// A catalogue of its own in a scratch folder with a cache of its own, and the writer
// that changes it while the helpers stand at their pause.
class ChangingFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
        QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
        QFile f(mdb);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        original = f.readAll();
        struct stat st {};
        ASSERT_EQ(::stat(QFile::encodeName(mdb).constData(), &st), 0);
        originalTime = st.st_mtim;
    }

    // Opens the catalogue while, at each reading n that the helpers reach, `change(n)`
    // runs once both stand at their pause; then lets them go on.
    std::unique_ptr<db::Connection> openWhile(const std::function<void(int)> &change)
    {
        const ScopedEnv pause("CATALOG_COPY_PAUSE", QFile::encodeName(pauses.path()));
        std::atomic<bool> done = false;
        std::thread writer([&] {
            for (int reading = 1; reading <= 2 && !done; ++reading) {
                const QStringList shares = {"others", "largest"};
                auto stem = [&](const QString &share) {
                    return pauses.filePath(share + '-' + QString::number(reading));
                };
                const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
                auto paused = [&] {
                    return std::count_if(shares.begin(), shares.end(),
                                         [&](const QString &s) { return QFileInfo::exists(stem(s) + ".paused"); });
                };
                while (!done && paused() < shares.size() && std::chrono::steady_clock::now() < limit)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                if (paused() == 0)
                    break;
                readingsPaused = reading;
                change(reading);
                for (const QString &s : shares)
                    QFile(stem(s) + ".go").open(QIODevice::WriteOnly);
            }
        });
        std::unique_ptr<db::Connection> c;
        try {
            c = dbtest::openCatalogue(mdb, dbtest::smallWorkgroup());
        } catch (...) {
            done = true;
            writer.join();
            throw;
        }
        done = true;
        writer.join();
        return c;
    }

    // The second half of the file overwritten in place by that of a newer issue of the
    // catalogue, of the same size, in which one battery's code changed.
    void rewriteSecondHalf()
    {
        QByteArray newer = original;
        const qsizetype code = newer.lastIndexOf("KA095"); // the battery table's row
        ASSERT_GE(code, newer.size() / 2);
        newer[code + 1] = 'X';
        QFile f(mdb);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(original.size() / 2));
        f.write(newer.mid(original.size() / 2));
    }

    // The original bytes back, with the original modification time (cp -p, rsync -t).
    void putBack()
    {
        QFile f(mdb);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write(original);
        f.close();
        const timespec times[2] = {originalTime, originalTime};
        ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(mdb).constData(), times, 0), 0);
    }

    void expectChangedWhileRead(const std::function<void(int)> &change)
    {
        const QStringList before = QDir(cache.path()).entryList({"*.sqlite", "*.sqlite.tmp-*"}, QDir::Files);
        testsupport::expectThrowCode<DbError>(
            [&] { openWhile(change); }, DbErrc::Open,
            QStringLiteral("The catalogue file \"%1\" changed while it was being read; open it again.")
                .arg(mdb)
                .toStdString());
        EXPECT_EQ(QDir(cache.path()).entryList({"*.sqlite", "*.sqlite.tmp-*"}, QDir::Files), before)
            << "a copy of a changing file was kept";
    }

    QTemporaryDir dir, cache, pauses;
    const ScopedEnv cacheDir{"CATALOG_CACHE_DIR", QFile::encodeName(cache.path())};
    const QString mdb = dir.filePath("vc_korva.mdb");
    QByteArray original;
    timespec originalTime{};
    std::atomic<int> readingsPaused = 0;
};

// The fault as it was seen: half the file rewritten under the reader, which has read
// the first table and not yet the battery table. No copy is kept, and once the bytes
// are back with their old time, what is served is the file's content, never the mixed
// copy (which would show the newer code under the older file's key).
TEST_F(ChangingFile, AFileRewrittenWhileItIsReadIsNeverServedNorKept)
{
    expectChangedWhileRead([&](int reading) {
        if (reading == 1)
            rewriteSecondHalf();
    });
    putBack();
    const auto c = dbtest::openCatalogue(mdb, dbtest::smallWorkgroup());
    EXPECT_EQ(dbtest::rowsOf(*c, kBattery), QStringList{"KA095"});
    EXPECT_EQ(dbtest::rowsOf(*c, kCount), dbtest::rowsOf(*dbtest::openSmall(), kCount));
}

// Written and put back while the reader stood (a change it could not see in the bytes):
// the file's identity tells, the copy is read again, and the second reading serves.
TEST_F(ChangingFile, AChangePutBackDuringTheReadingIsReadAgainOnce)
{
    const QStringList expected = dbtest::rowsOf(*dbtest::openSmall(), kCount);
    const auto c = openWhile([&](int reading) {
        if (reading == 1) {
            rewriteSecondHalf();
            putBack();
        }
    });
    EXPECT_EQ(readingsPaused, 2) << "the file was not read again";
    EXPECT_EQ(dbtest::rowsOf(*c, kCount), expected);
    EXPECT_EQ(dbtest::rowsOf(*c, kVehicle), QStringList{"Aurelia Motori"});
}

// Changed during both readings: the user is told to open it again.
TEST_F(ChangingFile, ASecondChangeIsReportedAsAChange)
{
    expectChangedWhileRead([&](int) {
        rewriteSecondHalf();
        putBack();
    });
    EXPECT_EQ(readingsPaused, 2);
}

// Cut short under the reader, which then stops abnormally on the mapping: still a
// change, not a damaged file nor an unreadable one.
TEST_F(ChangingFile, AFileCutShortUnderTheReaderIsReportedAsAChange)
{
    expectChangedWhileRead([&](int reading) {
        if (reading == 1) {
            ASSERT_TRUE(QFile::resize(mdb, original.size() / 4));
        }
    });
}

// The connection's reason for not opening is the text the queries after it carry.
TEST_F(ChangingFile, TheQueriesAfterAFailedOpenCarryItsReason)
{
    db::Connection c;
    c.setConnectionString(dbtest::jetConnectionString(mdb, dbtest::programPassword(), dbtest::smallWorkgroup()));
    {
        const ScopedEnv pause("CATALOG_COPY_PAUSE", QFile::encodeName(pauses.path()));
        std::thread writer([&] {
            const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
            while (!QFileInfo::exists(pauses.filePath("largest-1.paused")) && std::chrono::steady_clock::now() < limit)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            rewriteSecondHalf();
            for (const char *s : {"others-1.go", "largest-1.go"})
                QFile(pauses.filePath(s)).open(QIODevice::WriteOnly);
        });
        EXPECT_THROW(c.Open(), DbError);
        writer.join();
    }
    ASSERT_NE(c.LastOpenError().indexOf("changed while it was being read"), -1) << c.LastOpenError().toStdString();
    db::Query q(c);
    q.AddSQL(kCount);
    testsupport::expectThrowCode<DbError>([&] { q.Open(); }, DbErrc::State, c.LastOpenError().toStdString());
    try {
        q.Open();
    } catch (const DbError &e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), c.LastOpenError());
    }
}

// The count a table's definition holds is checked against the rows read: a difference is
// noted in the log, and the copy serves (some writers leave a stale count).
TEST(RowCountCheck, ATableWhoseDefinitionCountsOtherRowsIsNotedAndServed)
{
    QTemporaryDir dir, cache;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    QFile::setPermissions(mdb, QFile::ReadOwner | QFile::WriteOwner);
    const QString fitments = QStringLiteral("SELECT count(*) FROM TabDistintaBatterie");
    const QStringList rows = dbtest::rowsOf(*dbtest::openSmall(), fitments);
    ASSERT_EQ(rows.size(), 1);
    const quint32 count = rows.front().toUInt();
    ASSERT_GT(count, 10u);

    // The table's definition page (Jet 4: type 0x02 at 0, the row count at 16), found by
    // the count it holds, which no other table shares.
    QFile f(mdb);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    QByteArray bytes = f.readAll();
    std::vector<qsizetype> definitions;
    for (qsizetype page = 4096; page + 4096 <= bytes.size(); page += 4096) {
        quint32 n = 0;
        std::memcpy(&n, bytes.constData() + page + 16, 4);
        if (bytes[page] == 0x02 && bytes[page + 1] == 0x01 && n == count)
            definitions.push_back(page);
    }
    ASSERT_EQ(definitions.size(), 1u);
    const quint32 stale = count + 7;
    f.seek(definitions.front() + 16);
    f.write(reinterpret_cast<const char *>(&stale), 4);
    f.close();

    static QStringList logged;
    logged.clear();
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext &ctx, const QString &m) {
            if (QByteArray(ctx.category ? ctx.category : "").contains("catalogue-copy"))
                logged << m;
        });
    const auto c = dbtest::openCatalogue(mdb, dbtest::smallWorkgroup());
    qInstallMessageHandler(previous);
    EXPECT_EQ(dbtest::rowsOf(*c, fitments), rows);
    ASSERT_EQ(logged.size(), 1) << logged.join('\n').toStdString();
    EXPECT_NE(
        logged.front().indexOf(QStringLiteral("table TabDistintaBatterie has %1 rows where its definition counts %2")
                                   .arg(count)
                                   .arg(stale)),
        -1)
        << logged.front().toStdString();
}

} // namespace
