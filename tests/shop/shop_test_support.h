// What the shop layer's tests share: each store test runs on both engines (a SQLite
// file in a scratch folder, a fresh database on the tests' own PostgreSQL server), and
// writes its CSV files into a scratch folder.
#pragma once

#include "tests/common/pg_server.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <gtest/gtest.h>

namespace shoptest {

enum class Engine { Sqlite, Postgres };

class EngineTest : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override;
    // A file of `bytes` in the scratch folder; its path.
    QString write(const QString &name, const QByteArray &bytes) const;
    // A store of this engine: a new empty one each call.
    QString newStore();

    QTemporaryDir scratch;
    PgServer *server = nullptr; // with Engine::Postgres
    QString database;           // the first store, made by SetUp

private:
    int m_files = 0;
};

// Runs `sql` on the store `database` behind the store's back, as another program
// or a damaged file would leave it; the first column of the first row, if any.
QVariant rawSql(const QString &database, const QString &sql);

std::string engineName(const ::testing::TestParamInfo<Engine> &info);

// A till's export of `rows` codes "C00001"... with quantities 1..rows, in `separator`.
QByteArray tillExport(int rows, char separator = ';');

} // namespace shoptest

#define SHOP_ENGINES(suite)                                                                                            \
    INSTANTIATE_TEST_SUITE_P(Engines, suite, ::testing::Values(shoptest::Engine::Sqlite, shoptest::Engine::Postgres),  \
                             shoptest::engineName)
