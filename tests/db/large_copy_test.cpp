// Copying a large table: its rows are written in the order of a text index and their keys
// appended to it, so the ordering itself and the answers from the large fixture are held
// against an independent reading of the file (mdbtools' mdb-export).
#include "db/insert_order_p.h"
#include "tests/common/test_support.h"
#include "tests/db/db_test_support.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <optional>

using db::detail::RowBuffer;
using db::detail::rowsInIndexOrder;

namespace {

// A buffer of rows of (text, whole number, real), a missing text or number as Null.
struct Row {
    const char *text;
    std::optional<int64_t> number;
    double real;
};

RowBuffer bufferOf(const std::vector<Row> &rows)
{
    RowBuffer b(3);
    for (const Row &r : rows) {
        b.beginRow();
        if (r.text)
            b.setText(0, r.text);
        if (r.number)
            b.setInt(1, *r.number);
        b.setReal(2, r.real);
    }
    return b;
}

TEST(InsertOrderTest, TextsByTheGeneralOrderNullFirstEqualKeysKeepTheirOrder)
{
    // "ks044", "KS044" and "Ks044" are one key: their rows stay in the order they came.
    const RowBuffer b = bufferOf({{"ks060", 1, 0},
                                  {"ks044", 2, 0},
                                  {nullptr, 3, 0},
                                  {"KS044", 4, 0},
                                  {"èa", 5, 0},
                                  {"Ks044", 6, 0},
                                  {"", 7, 0},
                                  {"eb", 8, 0}});
    EXPECT_EQ(rowsInIndexOrder(b, {0}), (std::vector<uint32_t>{2, 6, 4, 7, 1, 3, 5, 0}));
}

TEST(InsertOrderTest, LaterKeyColumnsOrderRowsEqualOnTheFirst)
{
    const RowBuffer b = bufferOf({{"b", 2, 0}, {"a", 9, 0}, {"B", std::nullopt, 0}, {"b", -1, 0}, {"A", 9, 0}});
    EXPECT_EQ(rowsInIndexOrder(b, {0, 1}), (std::vector<uint32_t>{1, 4, 2, 3, 0}));
    EXPECT_EQ(rowsInIndexOrder(b, {1}), (std::vector<uint32_t>{2, 3, 0, 1, 4}));
}

TEST(InsertOrderTest, AKeyColumnOfAnotherKindEndsTheKey)
{
    // Reals are not ordered here: the order is that of the text alone, then the file's.
    const RowBuffer b = bufferOf({{"b", 1, 2.0}, {"a", 1, 3.0}, {"b", 1, 1.0}});
    EXPECT_EQ(rowsInIndexOrder(b, {0, 2}), (std::vector<uint32_t>{1, 0, 2}));
    EXPECT_EQ(rowsInIndexOrder(b, {2, 0}), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_TRUE(rowsInIndexOrder(RowBuffer(3), {0}).empty());
}

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
        EXPECT_EQ(dbtest::rowsOf(*connection, QStringLiteral("SELECT ktypnr FROM TabDistintaBatterie WHERE codice = \"%1\"")
                                                  .arg(code.toLower())),
                  typesOfCode[code]);
    }
    // Every code's count at once, from the index the rows were appended to.
    QStringList expected;
    for (auto it = typesOfCode.cbegin(); it != typesOfCode.cend(); ++it)
        expected << it.key() + u'|' + QString::number(it.value().size());
    QStringList counted = dbtest::rowsOf(
        *connection, QStringLiteral("SELECT Ucase(codice), count(*) FROM TabDistintaBatterie GROUP BY codice"));
    counted.sort();
    EXPECT_EQ(counted, expected);
}

} // namespace
