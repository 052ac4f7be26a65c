// Every table of the fixtures reads back as the fixtures' own descriptions list it: the
// small catalogue against every row of its CONTENTS.md, the Access-made files against
// their README, in the types the layer promises.
#include "db/db_error.h"
#include "db/query.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

struct ListedTable {
    QString name;
    int rowCount = 0;
    QStringList columns;
    QList<QList<std::optional<QString>>> rows; // nullopt: NULL
};

// One listed row: quoted texts with \" \r \n escapes, bare numbers and NULL, separated
// by blanks.
QList<std::optional<QString>> parseListedRow(const QString &line)
{
    QList<std::optional<QString>> values;
    qsizetype i = 0;
    while (i < line.size()) {
        if (line[i].isSpace()) {
            ++i;
            continue;
        }
        if (line[i] == u'"') {
            QString v;
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size()) {
                    const QChar e = line[++i];
                    v += e == u'r' ? QChar(u'\r') : e == u'n' ? QChar(u'\n') : e;
                } else {
                    v += line[i];
                }
            }
            ++i;
            values << v;
        } else {
            const qsizetype start = i;
            while (i < line.size() && !line[i].isSpace())
                ++i;
            const QString token = line.mid(start, i - start);
            values << (token == u"NULL" ? std::nullopt : std::optional<QString>(token));
        }
    }
    return values;
}

QList<ListedTable> listedTables()
{
    QFile f(testsupport::fixture("catalogue-small/CONTENTS.md"));
    EXPECT_TRUE(f.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    static const QRegularExpression heading(R"(^## (\w+) \((\d+) rows?\))");
    QList<ListedTable> tables;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const auto m = heading.match(lines[i]);
        if (!m.hasMatch())
            continue;
        ListedTable t;
        t.name = m.captured(1);
        t.rowCount = m.captured(2).toInt();
        while (++i < lines.size() && lines[i] != u"```") {
        }
        t.columns = lines[++i].split(u' ', Qt::SkipEmptyParts);
        while (++i < lines.size() && lines[i] != u"```")
            t.rows << parseListedRow(lines[i]);
        tables << t;
    }
    return tables;
}

TEST(FixtureReadTest, SmallCatalogueReadsBackAsListed)
{
    const QList<ListedTable> tables = listedTables();
    ASSERT_EQ(tables.size(), 5);
    auto conn = dbtest::openSmall();
    for (const ListedTable &t : tables) {
        SCOPED_TRACE(t.name.toStdString());
        db::Query q(*conn);
        q.AddSQL("SELECT * FROM [" + t.name + "]");
        q.Open();
        ASSERT_EQ(q.RecordCount(), t.rowCount);
        ASSERT_EQ(t.rows.size(), t.rowCount);
        ASSERT_EQ(q.FieldCount(), t.columns.size());
        for (int c = 0; c < q.FieldCount(); ++c)
            EXPECT_EQ(q.FieldName(c), t.columns[c]);
        for (int r = 0; r < t.rowCount; ++r, q.Next()) {
            ASSERT_FALSE(q.Eof());
            ASSERT_EQ(t.rows[r].size(), q.FieldCount()) << "listing row " << r;
            for (int c = 0; c < q.FieldCount(); ++c) {
                const auto &want = t.rows[r][c];
                SCOPED_TRACE("row " + std::to_string(r) + " column " + t.columns[c].toStdString());
                if (!want) {
                    EXPECT_TRUE(q.IsNull(c)) << q.AsString(c).toStdString();
                    EXPECT_EQ(q.AsString(c), "");
                } else {
                    EXPECT_FALSE(q.IsNull(c));
                    EXPECT_EQ(q.AsString(c), *want);
                }
            }
        }
        EXPECT_TRUE(q.Eof());
    }
}

TEST(FixtureReadTest, SmallCatalogueTypesAndKinds)
{
    auto conn = dbtest::openSmall();
    db::Query q(*conn);
    q.AddSQL("SELECT idVeicolo, Marca, CAPACITA, SCARICA, NOTE FROM CP_Veicoli, TabTechInfo "
             "WHERE idVeicolo = 1001 AND CODICE = 'KS062'");
    q.Open();
    ASSERT_EQ(q.RecordCount(), 1);
    const struct {
        int field;
        db::FieldKind kind;
        QMetaType::Type type;
        QVariant value;
    } cases[] = {
        {0, db::FieldKind::Number, QMetaType::LongLong, QVariant(qint64(1001))},
        {1, db::FieldKind::Text, QMetaType::QString, QVariant(QString("Aurelia Motori"))},
        {2, db::FieldKind::Number, QMetaType::Double, QVariant(60.5)},
        {3, db::FieldKind::Number, QMetaType::LongLong, QVariant(qint64(540))},
        {4, db::FieldKind::Text, QMetaType::UnknownType, QVariant()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(q.FieldKindOf(c.field), c.kind);
        EXPECT_EQ(q.Value(c.field).typeId(), int(c.type));
        EXPECT_EQ(q.Value(c.field), c.value);
    }
    EXPECT_EQ(q.FieldAsString("capacita"), "60.5");
    EXPECT_EQ(q.FieldIndex("MARCA"), 1);
    EXPECT_EQ(q.FieldIndex("nothing"), -1);
    testsupport::expectThrowText<db::DbError>([&] { q.FieldAsString("nothing"); }, "Field not found");
}

TEST(FixtureReadTest, NullAndEmptyTextStayApart)
{
    auto conn = dbtest::openSmall();
    const struct {
        const char *sql;
        QStringList rows;
    } cases[] = {
        {"SELECT count(*) FROM CP_Veicoli WHERE Al IS NULL", {"5"}},
        {"SELECT count(*) FROM CP_Veicoli WHERE Al = ''", {"0"}},
        {"SELECT count(*) FROM TabTechInfo WHERE NOTE IS NULL", {"11"}},
        {"SELECT idVeicolo FROM CP_Veicoli WHERE Versione IS NULL", {"1016"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dbtest::rowsOf(*conn, c.sql), c.rows) << c.sql;
}

TEST(FixtureReadTest, AccessMadeFilesReadBackAsDescribed)
{
    const QString dir = testsupport::fixture("access-made/");
    const QString workgroup = dbtest::smallWorkgroup();
    auto open = [&](const char *file) {
        auto c = std::make_unique<db::Connection>();
        c->setConnectionString(dbtest::jetConnectionString(dir + file, QString(), workgroup));
        c->Open();
        return c;
    };

    auto t = open("testV2000.mdb");
    EXPECT_EQ(dbtest::rowsOf(*t, "SELECT * FROM Table1"),
              (QStringList{"abcdefg|hijklmnop|2|222|333333333|444.555|1974-09-21 00:00:00|3.5|-1",
                           "a|b|0|0|0|0|1981-12-12 00:00:00|0|0"}));
    db::Query q(*t);
    q.AddSQL("SELECT C, D, E, F, H, I FROM Table1");
    q.Open();
    for (int i = 0; i < q.FieldCount(); ++i)
        EXPECT_EQ(q.FieldKindOf(i), db::FieldKind::Number) << i;
    EXPECT_EQ(dbtest::rowsOf(*t, "SELECT count(*) FROM Table2"), QStringList{"0"});
    EXPECT_EQ(dbtest::rowsOf(*t, "SELECT count(*) FROM Table3"), QStringList{"0"});
    EXPECT_EQ(dbtest::rowsOf(*t, "SELECT count(*) FROM Table4"), QStringList{"0"});

    // Rows moved to an overflow page come out where their data sits: order is ignored.
    QStringList overflow = dbtest::rowsOf(*open("overflowTestV2000.mdb"), "SELECT * FROM Table1");
    overflow.sort();
    EXPECT_EQ(overflow, (QStringList{
                            "<NULL>|row3col3|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|row3col9|<NULL>",
                            "<NULL>|row5col2|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>",
                            "<NULL>|row6col2|row6col3|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>",
                            "row1col1|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>",
                            "row2col1|row2col3|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>",
                            "row4col1|row4col2|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>|<NULL>",
                            "row7col1|<NULL>|<NULL>|<NULL>|<NULL>|row7col7|<NULL>|<NULL>|<NULL>",
                        }));

    auto p = open("test2V2000.mdb");
    db::Query m(*p);
    m.AddSQL("SELECT * FROM MSP_PROJECTS");
    m.Open();
    ASSERT_EQ(m.RecordCount(), 1);
    EXPECT_EQ(m.FieldCount(), 74);
    int memos = 0, pictures = 0;
    for (int i = 0; i < m.FieldCount(); ++i) {
        if (m.FieldKindOf(i) == db::FieldKind::LongText)
            ++memos;
        if (m.FieldKindOf(i) == db::FieldKind::Picture) {
            ++pictures;
            // The embedded Word object: an OLE header naming its class, then the document.
            const QByteArray ole = m.Value(i).toByteArray();
            EXPECT_GT(ole.size(), 1000);
            EXPECT_TRUE(ole.contains("Word.Document")) << ole.left(64).toHex().toStdString();
        }
    }
    EXPECT_EQ(memos, 9);
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(m.FieldAsString("PROJ_OPT_CURRENCY_SYMBOL"), QString::fromUtf8("£"));
    EXPECT_EQ(m.FieldAsString("PROJ_OPT_CALC_ACT_COSTS"), "-1");
    EXPECT_TRUE(m.FieldAsString("PROJ_PROP_AUTHOR").startsWith("Jon Iles this is a a vawesrasoih"));
    EXPECT_GT(m.FieldAsString("PROJ_PROP_AUTHOR").size(), 255) << "the long memo is read whole";
    EXPECT_EQ(m.FieldAsString("PROJ_INFO_CURRENT_DATE"), "2006-02-03 08:00:00");
}

} // namespace

TEST(FixtureReadTest, AccessMadeDecimalsAreNumbers)
{
    // The row holds 1, 0, 0, 4, -1, 1 in six Decimal(18,0) columns (the file's README).
    auto conn = std::make_unique<db::Connection>();
    conn->setConnectionString(dbtest::jetConnectionString(testsupport::fixture("access-made/fixedNumericTestV2000.mdb"),
                                                          QString(), dbtest::smallWorkgroup()));
    conn->Open();
    const struct {
        const char *sql;
        QStringList rows;
    } cases[] = {
        {"SELECT col2, col3, col4, col5, col6, col7 FROM test", {"1|0|0|4|-1|1"}},
        {"SELECT count(*) FROM test WHERE col5 = 4 AND col6 = -1 AND col2 = 1", {"1"}},
        {"SELECT col5 + 0, col6 * 2.5, col5 > col2 FROM test", {"4|-2.5|1"}},
        {"SELECT IsNull(col3), col3 IS NULL FROM test", {"0|0"}},
        {"SELECT count(*) FROM test WHERE col5 = '4'", {"1"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(dbtest::rowsOf(*conn, c.sql), c.rows) << c.sql;
    db::Query q(*conn);
    q.AddSQL("SELECT col5 FROM test");
    q.Open();
    EXPECT_EQ(q.FieldKindOf(0), db::FieldKind::Number);
    EXPECT_EQ(q.Value(0), QVariant(qint64(4)));
}
