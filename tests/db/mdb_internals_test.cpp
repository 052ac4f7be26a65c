// libmdb's internals are read in one unit, db/mdb_internals_p.h and .cpp, where each is
// noted with the version it was checked against: no other file of db/ names one of them,
// so an upgrade of libmdb is checked there and nowhere else.
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

TEST(MdbInternalsTest, OnlyTheirOwnUnitReadsThem)
{
    // Fields of libmdb's handle, file, format and table structs, its row flags, the
    // environment of its text conversion, and the call whose buffer it must leave alone.
    const QRegularExpression internal(
        QStringLiteral(
            R"(->\s*(fmt|f)\s*->|\b(pg_buf|alt_pg_buf|noskip_del|cur_row|cur_pg|bind_size|col_prec|col_scale|)"
            R"(key_col_num|code_page|jet_version|IS_JET[34]|MDB_ICONV|mdb_open_buffer|MDB_MAX_IDX_COLS)\b|0x1FFF|0x4000\b)"),
        QRegularExpression::CaseInsensitiveOption);
    const QDir db(testsupport::testsDir() + QStringLiteral("/../db"));
    const QStringList files = db.entryList({QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files);
    ASSERT_TRUE(files.contains(QStringLiteral("mdb_internals_p.h"))) << db.path().toStdString();
    QStringList reached;
    for (const QString &name : files) {
        if (name.startsWith(QLatin1String("mdb_internals")))
            continue;
        QFile f(db.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << name.toStdString();
        const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
        for (qsizetype i = 0; i < lines.size(); ++i)
            if (const auto m = internal.match(lines[i]); m.hasMatch())
                reached << QStringLiteral("%1:%2: %3").arg(name).arg(i + 1).arg(m.captured());
    }
    EXPECT_EQ(reached, QStringList()) << "read through db/mdb_internals_p.h instead";
}

} // namespace
