// A catalogue's content key for the layers above: equal for equal bytes, another for any
// changed byte, the same the copies are recorded under, and settled without reading the
// file whole once its identity and sampled pages were seen with it.
#include "db/catalogue_identity.h"
#include "db/db_error.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

using db::CatalogueContentKey;
using dbtest::ScopedEnv;

namespace {

// Overwrites one byte of `path` in place at `offset` and puts its modification time back,
// as a copy that keeps times would leave it.
void changeByteKeepingTime(const QString &path, qint64 offset)
{
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(f.seek(offset));
    char c = 0;
    ASSERT_TRUE(f.getChar(&c));
    ASSERT_TRUE(f.seek(offset));
    ASSERT_TRUE(f.putChar(char(c ^ 0x5A)));
    f.close();
    const timespec times[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
}

// The content hash the copies of the cache record.
QStringList recordedHashes(const QString &cache)
{
    QStringList found;
    for (const QString &name : QDir(cache).entryList({"*.sqlite"}, QDir::Files)) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(cache + u'/' + name).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT hash FROM __jet_source", -1, &st, nullptr);
        if (sqlite3_step(st) == SQLITE_ROW)
            found << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    return found;
}

TEST(CatalogueKeyTest, TellsContentApartAndReadsAFileWholeOnlyWhenItsRecordCannotSettleIt)
{
    QTemporaryDir cache, dir;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString a = dir.filePath("a.mdb"), b = dir.filePath("b.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), a));
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), b));

    const db::CatalogueKey first = CatalogueContentKey(a);
    EXPECT_TRUE(first.readWhole);
    EXPECT_EQ(first.content.size(), 16);
    EXPECT_EQ(first.created, QDateTime(QDate(2004, 6, 5), QTime(13, 6, 59, 655)));
    const db::CatalogueKey again = CatalogueContentKey(a);
    EXPECT_FALSE(again.readWhole);
    EXPECT_EQ(again.content, first.content);
    EXPECT_EQ(again.created, first.created);

    const db::CatalogueKey twin = CatalogueContentKey(b);
    EXPECT_TRUE(twin.readWhole) << "another file is never settled by a's record";
    EXPECT_EQ(twin.content, first.content);

    // A byte changed between the sampled pages, with the time put back: the identity
    // tells, and the whole read gives another key.
    changeByteKeepingTime(b, QFile(b).size() - 4096 - 100);
    const db::CatalogueKey changed = CatalogueContentKey(b);
    EXPECT_TRUE(changed.readWhole);
    EXPECT_NE(changed.content, first.content);
    EXPECT_FALSE(CatalogueContentKey(b).readWhole);
    // The byte put back: the same content, the same key again.
    changeByteKeepingTime(b, QFile(b).size() - 4096 - 100);
    EXPECT_EQ(CatalogueContentKey(b).content, first.content);
}

// An open of a connection records the key its copies carry: the accessor then needs no
// whole read, and what it gives is the copies' own hash.
TEST(CatalogueKeyTest, IsTheKeyTheCopiesOfAnOpenedCatalogueAreRecordedUnder)
{
    QTemporaryDir cache, dir;
    const ScopedEnv cacheDir("CATALOG_CACHE_DIR", QFile::encodeName(cache.path()));
    const QString mdb = dir.filePath("vc_korva.mdb");
    ASSERT_TRUE(QFile::copy(dbtest::smallCatalogue(), mdb));
    dbtest::openCatalogue(mdb, dbtest::smallWorkgroup());
    const QStringList hashes = recordedHashes(cache.path());
    ASSERT_EQ(hashes.size(), 2);
    const db::CatalogueKey key = CatalogueContentKey(mdb);
    EXPECT_FALSE(key.readWhole);
    EXPECT_EQ(key.content, hashes.front());
    EXPECT_EQ(hashes.back(), hashes.front());
}

TEST(CatalogueKeyTest, AMissingFileOrOneThatIsNoJetDatabaseIsAnError)
{
    QTemporaryDir dir;
    testsupport::expectThrowCode<db::DbError>([&] { CatalogueContentKey(dir.filePath("none.mdb")); }, db::DbErrc::Open,
                                              "Could not find the database file");
    const QString text = dir.filePath("notes.mdb");
    QFile f(text);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(8192, 'x'));
    f.close();
    testsupport::expectThrowCode<db::DbError>([&] { CatalogueContentKey(text); }, db::DbErrc::Open, "notes.mdb");
}

} // namespace
