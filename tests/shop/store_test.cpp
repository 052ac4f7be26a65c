// The store on both engines: imports replace one branch's stock whole or not at all,
// two importers at once never mix, the schema is made on first use and a newer one is
// never touched, and a copy goes only into an empty store.
#include "shop/shop_error.h"
#include "shop/stock_import.h"
#include "shop/store.h"
#include "tests/common/test_support.h"
#include "tests/shop/shop_test_support.h"

#include <QThread>
#include <atomic>

using namespace shoptest;
using shop::ShopErrc;
using shop::ShopError;
using shop::Store;

namespace {

shop::ImportOptions into(const QString &branch)
{
    shop::ImportOptions o;
    o.branch = branch;
    return o;
}

std::vector<std::pair<QString, int>> rowsOf(Store &store, const QString &branch)
{
    std::vector<std::pair<QString, int>> rows;
    for (const shop::BranchEntry &e : store.allStock())
        if (e.branch == branch)
            rows.emplace_back(e.entry.code, e.entry.quantity);
    return rows;
}

class StoreTest : public EngineTest {};

TEST_P(StoreTest, AnImportReplacesItsBranchAndLeavesTheOthers)
{
    Store store(database);
    shop::ImportStock(store, write("centro.csv", tillExport(30)), into("Centro"));
    shop::ImportStock(store, write("nord.csv", "codice;qta;prezzo;scaffale\nC00002;4;7,10;N1\nC00002;1;;N2\n"),
                      into("Nord"));
    shop::ImportStock(store, write("centro2.csv", tillExport(3)), into("Centro"));

    EXPECT_EQ(rowsOf(store, "Centro"),
              (std::vector<std::pair<QString, int>>{{"C00001", 1}, {"C00002", 2}, {"C00003", 3}}));
    const std::vector<shop::BranchEntry> c2 = store.stockOf(" c00002");
    ASSERT_EQ(c2.size(), 2u);
    EXPECT_EQ(c2[0].branch, "Centro");
    EXPECT_EQ(c2[1].branch, "Nord");
    EXPECT_EQ(c2[1].entry.quantity, 5);
    EXPECT_EQ(c2[1].entry.priceCents, 710);
    EXPECT_EQ(c2[1].entry.shelves, QStringList({"N1", "N2"}));
    EXPECT_EQ(c2[0].entry.priceCents, 250);
    EXPECT_TRUE(c2[0].entry.shelves.isEmpty());

    const std::vector<shop::StockImport> imports = store.imports();
    ASSERT_EQ(imports.size(), 2u);
    EXPECT_EQ(imports[0].branch, "Centro");
    EXPECT_EQ(imports[0].rowCount, 3);
    EXPECT_TRUE(imports[0].source.endsWith("centro2.csv"));
    EXPECT_EQ(imports[0].contentHash, shop::ContentHash(tillExport(3)));
    EXPECT_LE(qAbs(imports[0].importedAt.secsTo(QDateTime::currentDateTimeUtc())), 60);
    EXPECT_EQ(store.quantities("Nord"), (QHash<QString, int>{{"C00002", 5}}));
}

TEST_P(StoreTest, ABadRowAtLineOneThousandLeavesThePreviousStockUntouched)
{
    Store store(database);
    shop::ImportStock(store, write("good.csv", tillExport(2000)), into("Centro"));
    const std::vector<shop::BranchEntry> before = store.allStock();
    const std::vector<shop::StockImport> importsBefore = store.imports();

    QByteArray bad = tillExport(1500);
    // Line 1 is the header: the 999th data row is line 1,000.
    QList<QByteArray> lines = bad.split('\n');
    lines[999] = "C00999;9,5;1,00";
    bad = lines.join('\n');
    testsupport::expectThrowCode<ShopError>([&] { shop::ImportStock(store, write("bad.csv", bad), into("Centro")); },
                                            ShopErrc::File, "bad.csv:1000: the quantity \"9,5\" is not a whole number");

    const std::vector<shop::BranchEntry> after = store.allStock();
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.back().entry.code, before.back().entry.code);
    EXPECT_EQ(store.imports()[0].contentHash, importsBefore[0].contentHash);
}

TEST_P(StoreTest, CodesInNoPriceListAreImportedAndCounted)
{
    Store store(database);
    shop::ImportOptions options = into("Centro");
    options.catalogueCodes = QSet<QString>{"C00002", "C00004"};
    const shop::ImportSummary s = shop::ImportStock(store, write("t.csv", tillExport(8)), options);
    EXPECT_EQ(s.rowCount, 8);
    EXPECT_EQ(s.codeCount, 8);
    EXPECT_EQ(s.notInCatalogue, 6);
    EXPECT_EQ(s.firstNotInCatalogue, QStringList({"C00001", "C00003", "C00005", "C00006", "C00007"}));
    EXPECT_EQ(store.allStock().size(), 8u);
}

TEST_P(StoreTest, TwoImportsAtOnceEndWithOneWholeImport)
{
    {
        Store made(database); // the schema first, so both importers race on the stock alone
    }
    QByteArray files[2];
    for (int f = 0; f < 2; ++f) {
        QByteArray csv = "codice;qta\n";
        for (int i = 0; i < 3000; ++i)
            csv += (f == 0 ? "A" : "B") + QByteArray::number(i) + ";" + QByteArray::number(f + 1) + "\n";
        files[f] = csv;
    }
    const QString paths[2] = {write("a.csv", files[0]), write("b.csv", files[1])};
    for (int round = 0; round < 4; ++round) {
        std::atomic<int> failures{0};
        std::unique_ptr<QThread> importers[2];
        for (int f = 0; f < 2; ++f) {
            importers[f].reset(QThread::create([&, f] {
                try {
                    Store store(database);
                    shop::ImportStock(store, paths[f], into("Centro"));
                } catch (const std::exception &e) {
                    ADD_FAILURE() << e.what();
                    ++failures;
                }
            }));
            importers[f]->start();
        }
        for (auto &t : importers)
            t->wait();
        ASSERT_EQ(failures, 0);
        Store store(database);
        const auto rows = rowsOf(store, "Centro");
        ASSERT_EQ(rows.size(), 3000u);
        const QChar kind = rows.front().first[0];
        for (const auto &[code, quantity] : rows)
            ASSERT_TRUE(code[0] == kind && quantity == (kind == u'A' ? 1 : 2)) << code.toStdString();
        EXPECT_EQ(store.imports()[0].contentHash, shop::ContentHash(files[kind == u'A' ? 0 : 1]));
    }
}

TEST_P(StoreTest, OneStockFileContentIsImportedByOneCounterOnly)
{
    Store first(database), second(database);
    const QString file = write("giacenze.csv", tillExport(10));
    shop::ImportOptions options = into("Centro");
    options.stockFile = true;
    EXPECT_TRUE(shop::ImportStock(first, file, options).written);
    const QDateTime importedAt = first.imports()[0].importedAt;
    EXPECT_FALSE(shop::ImportStock(second, file, options).written);
    EXPECT_EQ(second.imports()[0].importedAt, importedAt);
    // As of the file's own time, not the import's.
    EXPECT_EQ(first.imports()[0].asOf.toMSecsSinceEpoch() / 1000, QFileInfo(file).lastModified().toSecsSinceEpoch());
    write("giacenze.csv", tillExport(11));
    EXPECT_TRUE(shop::ImportStock(second, file, options).written);
    EXPECT_EQ(first.allStock().size(), 11u);
}

TEST_P(StoreTest, TheSchemaIsMadeOnFirstUseAndANewerOneIsRefusedUntouched)
{
    {
        Store store(database);
        EXPECT_TRUE(store.isEmpty());
        shop::ImportStock(store, write("t.csv", tillExport(5)), into("Centro"));
    }
    EXPECT_EQ(rawSql(database, "SELECT version FROM shop_schema").toInt(), 2);
    rawSql(database, "UPDATE shop_schema SET version = 7");
    rawSql(database, "CREATE TABLE fit_report_later (x INTEGER)");
    testsupport::expectThrowCode<ShopError>([&] { Store again(database); }, ShopErrc::Schema,
                                            "was written by a newer version of the program (schema 7");
    EXPECT_EQ(rawSql(database, "SELECT version FROM shop_schema").toInt(), 7);
    EXPECT_EQ(rawSql(database, "SELECT count(*) FROM stock").toInt(), 5);
}

TEST_P(StoreTest, AStoreWithoutItsVersionIsReportedDamaged)
{
    {
        Store store(database);
    }
    rawSql(database, "DELETE FROM shop_schema");
    testsupport::expectThrowCode<ShopError>([&] { Store again(database); }, ShopErrc::Schema,
                                            "its schema version is missing");
}

TEST_P(StoreTest, ACopyGoesWholeIntoAnEmptyStoreOnly)
{
    const QString embedded = scratch.filePath("embedded/shop.sqlite");
    Store source(embedded);
    shop::ImportStock(source, write("c.csv", tillExport(900)), into("Centro"));
    shop::ImportStock(source, write("n.csv", "codice;qta;scaffale\nX1;2;\"A, B\"\n"), into("Nord"));

    const QString target = newStore();
    {
        Store to(target);
        source.copyInto(to);
    }
    Store copied(target);
    const auto want = source.allStock(), got = copied.allStock();
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i].branch, want[i].branch);
        EXPECT_EQ(got[i].entry.code, want[i].entry.code);
        EXPECT_EQ(got[i].entry.quantity, want[i].entry.quantity);
        EXPECT_EQ(got[i].entry.priceCents, want[i].entry.priceCents);
        EXPECT_EQ(got[i].entry.shelves, want[i].entry.shelves);
    }
    ASSERT_EQ(copied.imports().size(), 2u);
    EXPECT_EQ(copied.imports()[1].importedAt, source.imports()[1].importedAt);
    EXPECT_EQ(copied.imports()[1].contentHash, source.imports()[1].contentHash);

    testsupport::expectThrowCode<ShopError>([&] { source.copyInto(copied); }, ShopErrc::Usage, "already holds data");
    EXPECT_EQ(copied.allStock().size(), want.size());
}

SHOP_ENGINES(StoreTest);

} // namespace
