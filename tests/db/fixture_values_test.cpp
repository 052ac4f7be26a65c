// Every table of every fixture file, read through the layer, against values stored beside
// this test. The stored values were derived from mdb-export's text, not from this layer:
// booleans written -1/0, currency without its four padded decimals, binary values as
// their size and SHA-1, rows sorted (row order is the file's, and libmdb's differs from
// the slots' where rows moved to overflow pages). mdb-export shows a zero-length text like
// Null; no fixture holds one where these files list <NULL>.
#include "db/query.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

struct StoredTable {
    QString name;
    QString header;
    QStringList rows;
};

// "# Table" starts a table; its column names follow, '|'-separated, then one line a row.
QList<StoredTable> storedTables(const QString &path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    QList<StoredTable> tables;
    for (const QString &line : QString::fromUtf8(f.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u"# "))
            tables.append({line.mid(2), QString(), {}});
        else if (!tables.isEmpty() && tables.back().header.isEmpty())
            tables.back().header = line;
        else if (!tables.isEmpty())
            tables.back().rows << line;
    }
    return tables;
}

QString escaped(QString v)
{
    return v.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'|', QStringLiteral("\\|"))
        .replace(u'\r', QStringLiteral("\\r"))
        .replace(u'\n', QStringLiteral("\\n"));
}

QString fieldText(const db::Query &q, int i)
{
    if (q.IsNull(i))
        return QStringLiteral("<NULL>");
    if (q.FieldKindOf(i) == db::FieldKind::Picture) {
        const QByteArray bytes = q.Value(i).toByteArray();
        return QStringLiteral("<%1 bytes %2>")
            .arg(bytes.size())
            .arg(QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()));
    }
    return escaped(q.AsString(i));
}

const struct FixtureFile {
    const char *file;   // under the fixtures folder
    const char *values; // under fixture_values/
    int tables;
} kFiles[] = {
    {"catalogue-small/vc_korva.mdb", "catalogue-small.txt", 5},
    {"access-made/testV2000.mdb", "testV2000.txt", 4},
    {"access-made/test2V2000.mdb", "test2V2000.txt", 1},
    {"access-made/overflowTestV2000.mdb", "overflowTestV2000.txt", 1},
    {"access-made/fixedNumericTestV2000.mdb", "fixedNumericTestV2000.txt", 1},
};

std::unique_ptr<db::Connection> openFixture(const FixtureFile &file)
{
    auto conn = std::make_unique<db::Connection>();
    const bool catalogue = QString(file.file).startsWith("catalogue");
    conn->setConnectionString(dbtest::jetConnectionString(
        testsupport::fixture(file.file), catalogue ? dbtest::programPassword() : QString(), dbtest::smallWorkgroup()));
    conn->Open();
    return conn;
}

QList<StoredTable> storedTables(const FixtureFile &file)
{
    return storedTables(testsupport::testsDir() + "/db/fixture_values/" + file.values);
}

TEST(FixtureValuesTest, EveryTableOfEveryFixtureReadsAsStored)
{
    for (const FixtureFile &file : kFiles) {
        SCOPED_TRACE(file.file);
        auto conn = openFixture(file);
        const QList<StoredTable> tables = storedTables(file);
        ASSERT_EQ(tables.size(), file.tables);
        for (const StoredTable &t : tables) {
            SCOPED_TRACE(t.name.toStdString());
            db::Query q(*conn);
            q.AddSQL("SELECT * FROM [" + t.name + "]");
            q.Open();
            QStringList names;
            for (int i = 0; i < q.FieldCount(); ++i)
                names << escaped(q.FieldName(i));
            EXPECT_EQ(names.join(u'|').toStdString(), t.header.toStdString());
            QStringList rows;
            for (; !q.Eof(); q.Next()) {
                QStringList fields;
                for (int i = 0; i < q.FieldCount(); ++i)
                    fields << fieldText(q, i);
                rows << fields.join(u'|');
            }
            rows.sort();
            ASSERT_EQ(rows.size(), t.rows.size());
            for (qsizetype r = 0; r < rows.size(); ++r)
                EXPECT_EQ(rows[r].toStdString(), t.rows[r].toStdString()) << "sorted row " << r;
        }
    }
}

// Streaming hands over the same records with the same texts as opening the query, in the
// same order, for every kind of value the fixtures hold (numbers, currency, dates,
// binaries, long texts, Null). The handler may move a record out: the next one is whole.
TEST(FixtureValuesTest, StreamedRecordsAreTheOpenedOnes)
{
    for (const FixtureFile &file : kFiles) {
        SCOPED_TRACE(file.file);
        auto conn = openFixture(file);
        for (const StoredTable &t : storedTables(file)) {
            SCOPED_TRACE(t.name.toStdString());
            db::Query q(*conn);
            q.AddSQL("SELECT * FROM [" + t.name + "]");
            q.Open();
            QStringList names;
            std::vector<db::RecordTexts> opened;
            for (int i = 0; i < q.FieldCount(); ++i)
                names << q.FieldName(i);
            for (; !q.Eof(); q.Next()) {
                db::RecordTexts record;
                for (int i = 0; i < q.FieldCount(); ++i)
                    record.push_back(q.IsNull(i) ? std::nullopt : std::optional<QString>(q.AsString(i)));
                opened.push_back(record);
            }
            QStringList streamedNames;
            std::vector<db::RecordTexts> streamed;
            q.Stream([&](const QStringList &n) { streamedNames = n; },
                     [&](db::RecordTexts &record) { streamed.push_back(std::move(record)); });
            EXPECT_FALSE(q.Active());
            EXPECT_EQ(streamedNames, names);
            ASSERT_EQ(streamed.size(), opened.size());
            EXPECT_EQ(opened.size(), size_t(t.rows.size()));
            for (size_t r = 0; r < opened.size(); ++r)
                EXPECT_EQ(streamed[r], opened[r]) << "record " << r;
        }
    }
}

} // namespace
