// The copy held against an independent reading of the large fixture (mdbtools'
// mdb-export), and the pages laid out for each fixture against the same rows inserted
// through SQLite.
#include "db/copy_tables_p.h"
#include "db/index_plan_p.h"
#include "db/jet_functions_p.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QFile>
#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

// The fitments of the large fixture as mdb-export reads them: (ktypnr, codice) in the
// file's order.
std::vector<std::pair<QString, QString>> exportedFitments(const QString &mdb)
{
    QProcess p;
    p.start(QStringLiteral("mdb-export"), {mdb, QStringLiteral("TabDistintaBatterie")});
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    std::vector<std::pair<QString, QString>> rows;
    const QList<QByteArray> lines = p.readAllStandardOutput().split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) { // the first line names the columns
        const QList<QByteArray> f = lines[i].trimmed().split(',');
        if (f.size() == 2)
            rows.emplace_back(QString::fromUtf8(f[0]), QString::fromUtf8(f[1]).remove(u'"'));
    }
    return rows;
}

TEST(LargeCopyTest, FitmentsAnswerAsTheFileHoldsThem)
{
    if (QStandardPaths::findExecutable(QStringLiteral("mdb-export")).isEmpty())
        GTEST_SKIP() << "mdb-export (mdbtools) is not installed";
    const QString mdb = testsupport::fixture(QStringLiteral("catalogue-large/vc_korva.mdb"));
    const auto fitments = exportedFitments(mdb);
    ASSERT_EQ(fitments.size(), 250000u);
    QMap<QString, QStringList> typesOfCode; // in the file's order
    for (const auto &[type, code] : fitments)
        typesOfCode[code.toUpper()] << type;

    auto connection = dbtest::openCatalogue(mdb, testsupport::fixture(QStringLiteral("catalogue-large/system.mdw")));
    EXPECT_EQ(dbtest::rowsOf(*connection, QStringLiteral("SELECT count(*) FROM TabDistintaBatterie")),
              QStringList{QStringLiteral("250000")});
    // The first, a middle and the last code, asked in lower case: all their fitments, in
    // the order the file has them.
    const QStringList codes = typesOfCode.keys();
    for (const QString &code : {codes.first(), codes[codes.size() / 2], codes.last()}) {
        SCOPED_TRACE(code.toStdString());
        EXPECT_EQ(
            dbtest::rowsOf(
                *connection,
                QStringLiteral("SELECT ktypnr FROM TabDistintaBatterie WHERE codice = \"%1\"").arg(code.toLower())),
            typesOfCode[code]);
    }
    // Every code's count at once, from the index on the code.
    QStringList expected;
    for (auto it = typesOfCode.cbegin(); it != typesOfCode.cend(); ++it)
        expected << it.key() + u'|' + QString::number(it.value().size());
    QStringList counted = dbtest::rowsOf(
        *connection, QStringLiteral("SELECT Ucase(codice), count(*) FROM TabDistintaBatterie GROUP BY codice"));
    counted.sort();
    EXPECT_EQ(counted, expected);
}

// Each row of `sql` on `db`, its columns joined by '|'.
QStringList rowsOf(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *st = nullptr;
    QStringList out;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sql.toStdString() << ": " << sqlite3_errmsg(db);
        return out;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        QStringList fields;
        for (int c = 0; c < sqlite3_column_count(st); ++c)
            fields << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, c)));
        out << fields.join(u'|');
    }
    sqlite3_finalize(st);
    return out;
}

struct Copy {
    sqlite3 *db = nullptr;
    explicit Copy(const QString &path)
    {
        EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
        db::detail::registerJetFunctions(db);
    }
    ~Copy() { sqlite3_close(db); }
};

// Every file the fixtures hold copied both ways, pages laid out and rows inserted through
// SQLite: the same rows with the same kinds in the same order, every index walked in the
// same order, and SQLite's own check of the pages.
TEST(CopyWaysTest, PagesLaidOutAnswerAsRowsInsertedThroughSqlite)
{
    for (const char *name :
         {"catalogue-small/vc_korva.mdb", "catalogue-large/vc_korva.mdb", "access-made/testV2000.mdb",
          "access-made/test2V2000.mdb", "access-made/overflowTestV2000.mdb"}) {
        SCOPED_TRACE(name);
        QFile file(testsupport::fixture(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QTemporaryDir dir;
        const QString pagesPath = dir.filePath(QStringLiteral("pages.sqlite")),
                      insertsPath = dir.filePath(QStringLiteral("inserts.sqlite"));
        // Indexes on text (compared by the General order), on whole numbers and on a
        // pair, as the catalogue asks for them; the other files lack those columns.
        db::detail::SourceKey key;
        key.indexes = db::detail::hintsText({{"IDMARCA", "modello"}, {"ktypnr"}, {"codice"}, {"listino"}, {"missing"}});
        db::detail::copyJetTables(bytes, pagesPath, key);
        db::detail::copyJetTables(bytes, insertsPath, key, db::detail::TableShare::All,
                                  db::detail::RowWriting::Inserts);
        Copy pages(pagesPath), inserts(insertsPath);
        EXPECT_EQ(rowsOf(pages.db, QStringLiteral("PRAGMA integrity_check")), QStringList{QStringLiteral("ok")});
        if (QString::fromLatin1(name).startsWith(QLatin1String("catalogue-"))) {
            EXPECT_EQ(
                rowsOf(pages.db, QStringLiteral("SELECT tbl_name || '(' || group_concat(c.name) || ')' FROM "
                                                "sqlite_schema s, pragma_index_info(s.name) c WHERE s.type = 'index' "
                                                "GROUP BY s.name ORDER BY 1")),
                (QStringList{"CP_Veicoli(idMarca,Modello)", "CP_Veicoli_Rel_Korva_Master(ktypnr)",
                             "TabDistintaBatterie(codice)", "TabDistintaBatterie(ktypnr)", "TabTechInfo(CODICE)",
                             "TabTechInfo(LISTINO)"}));
        }

        const QString schema = QStringLiteral(
            "SELECT type, name, tbl_name, sql FROM sqlite_schema WHERE name NOT LIKE 'sqlite_%' ORDER BY name");
        const QStringList objects = rowsOf(inserts.db, schema);
        ASSERT_EQ(rowsOf(pages.db, schema), objects);
        for (const QString &object : objects) {
            const QStringList f = object.split(u'|');
            const QString quoted = u'"' + f[1] + u'"';
            QString sql;
            if (f[0] == QLatin1String("table")) {
                const QStringList columns =
                    rowsOf(inserts.db,
                           QStringLiteral("SELECT 'quote(\"' || name || '\")' FROM pragma_table_info('%1')").arg(f[1]));
                sql = QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(columns.join(u','), quoted);
            } else {
                const QStringList key =
                    rowsOf(inserts.db,
                           QStringLiteral("SELECT '\"' || name || '\"' FROM pragma_index_info('%1') ORDER BY seqno")
                               .arg(f[1]));
                sql = QStringLiteral("SELECT rowid FROM \"%1\" INDEXED BY %2 ORDER BY %3")
                          .arg(f[2], quoted, key.join(u','));
            }
            SCOPED_TRACE(sql.toStdString());
            const QStringList expected = rowsOf(inserts.db, sql);
            EXPECT_EQ(rowsOf(pages.db, sql), expected);
        }
    }
}

} // namespace
