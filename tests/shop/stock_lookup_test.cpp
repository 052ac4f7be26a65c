// The window's stock lookup on both engines: its answers, another counter's import seen
// at the next lookup, the stock file imported in the background, and (on the server) a
// server that goes away and comes back while the lookup runs.
#include "shop/stock_import.h"
#include "shop/stock_lookup.h"
#include "shop/store.h"
#include "tests/shop/shop_test_support.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>

using namespace shoptest;
using shop::StockLine;
using shop::StockLookup;

namespace {

class StockLookupTest : public EngineTest {
protected:
    shop::ShopSettings settings(const QString &branch = "Centro") const
    {
        shop::ShopSettings s;
        s.database = database;
        s.branch = branch;
        s.configured = true;
        return s;
    }

    void import(const QString &branch, const QByteArray &csv)
    {
        shop::Store store(database);
        shop::ImportOptions o;
        o.branch = branch;
        shop::ImportStock(store, write(branch + ".csv", csv), o);
    }

    // The last answer to a request for `code`, settled.
    static StockLine ask(StockLookup &lookup, const QString &code)
    {
        StockLine last;
        bool got = false;
        QObject guard;
        QObject::connect(&lookup, &StockLookup::answered, &guard, [&](const StockLine &l) {
            last = l;
            got = true;
        });
        lookup.request(code);
        EXPECT_TRUE(lookup.settle(10000));
        EXPECT_TRUE(got);
        return last;
    }
};

TEST_P(StockLookupTest, AnswersSayWhatThisBranchAndTheOthersHave)
{
    StockLookup lookup(settings());
    EXPECT_EQ(ask(lookup, "C00002").state, StockLine::State::NoStock);
    EXPECT_FALSE(lookup.everImported());

    import("Centro", "codice;qta;prezzo;scaffale\nC00002;3;89,00;B4\nC00002;0;;B5\nC00003;-1;;\n");
    import("Nord", "codice;qta\nC00002;2\nC00003;0\n");
    import("Centro Sud", "codice;qta\nC00002;1\n");

    const StockLine line = ask(lookup, " c00002 ");
    EXPECT_EQ(line.state, StockLine::State::Known);
    EXPECT_EQ(line.code, " c00002 ");
    EXPECT_EQ(line.quantity, 3);
    EXPECT_EQ(line.priceCents, 8900);
    EXPECT_EQ(line.shelves, QStringList({"B4", "B5"}));
    ASSERT_EQ(line.otherBranches.size(), 2);
    EXPECT_EQ(line.otherBranches[0].branch, "Centro Sud");
    EXPECT_EQ(line.otherBranches[1].branch, "Nord");
    EXPECT_EQ(line.otherBranches[1].quantity, 2);
    EXPECT_LE(qAbs(line.asOf.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_TRUE(lookup.everImported());

    const StockLine none = ask(lookup, "C00003");
    EXPECT_EQ(none.state, StockLine::State::Known);
    EXPECT_EQ(none.quantity, 0);
    EXPECT_TRUE(none.otherBranches.isEmpty());
    EXPECT_EQ(lookup.quantities(), (QHash<QString, int>{{"C00002", 3}}));
}

TEST_P(StockLookupTest, ANewerRequestSupersedesTheOlderOnes)
{
    import("Centro", tillExport(50));
    StockLookup lookup(settings());
    QStringList answeredCodes;
    QObject::connect(&lookup, &StockLookup::answered, &lookup, [&](const StockLine &l) { answeredCodes << l.code; });
    for (int i = 1; i <= 50; ++i)
        lookup.request(QStringLiteral("C%1").arg(i, 5, 10, QLatin1Char('0')));
    ASSERT_TRUE(lookup.settle(10000));
    ASSERT_FALSE(answeredCodes.isEmpty());
    EXPECT_EQ(answeredCodes.back(), "C00050");
    EXPECT_LT(answeredCodes.size(), 50);
}

TEST_P(StockLookupTest, AnotherCountersImportShowsAtTheNextLookup)
{
    StockLookup counter1(settings()), counter2(settings());
    EXPECT_EQ(ask(counter2, "C00001").state, StockLine::State::NoStock);
    import("Centro", tillExport(4));
    EXPECT_EQ(ask(counter1, "C00004").quantity, 4);
    EXPECT_EQ(ask(counter2, "C00004").quantity, 4);
    EXPECT_EQ(counter2.quantities().size(), 4);
    import("Centro", "codice;qta\nC00004;9\n");
    EXPECT_EQ(ask(counter2, "C00004").quantity, 9);
    EXPECT_EQ(counter2.quantities(), (QHash<QString, int>{{"C00004", 9}}));
}

TEST_P(StockLookupTest, TheStockFileIsImportedWhenItsContentChanges)
{
    shop::ShopSettings s = settings();
    s.stockFile = write("notte.csv", tillExport(3));
    StockLookup counter1(s), counter2(s);
    counter1.checkStockFile();
    counter2.checkStockFile();
    ASSERT_TRUE(counter1.settle(10000));
    ASSERT_TRUE(counter2.settle(10000));
    EXPECT_EQ(counter1.quantities().size(), 3);
    EXPECT_EQ(ask(counter2, "C00003").asOf.toSecsSinceEpoch(),
              QFileInfo(s.stockFile).lastModified().toSecsSinceEpoch());

    const QDateTime importedAt = shop::Store(database).imports()[0].importedAt;
    counter2.checkStockFile();
    ASSERT_TRUE(counter2.settle(10000));
    EXPECT_EQ(shop::Store(database).imports()[0].importedAt, importedAt);

    // A bad night's file leaves the stock as it was.
    write("notte.csv", "codice;qta\nC00001;tanti\n");
    counter1.checkStockFile();
    ASSERT_TRUE(counter1.settle(10000));
    EXPECT_EQ(ask(counter1, "C00003").quantity, 3);

    write("notte.csv", tillExport(5));
    counter2.checkStockFile();
    ASSERT_TRUE(counter2.settle(10000));
    EXPECT_EQ(ask(counter1, "C00005").quantity, 5);
    EXPECT_EQ(counter2.quantities().size(), 5);
}

TEST_P(StockLookupTest, AStoreThatCannotBeOpenedIsUnreachable)
{
    shop::ShopSettings s = settings();
    s.database =
        GetParam() == Engine::Sqlite ? scratch.filePath("not-a-folder/x.sqlite") : server->url("no_such_database");
    if (GetParam() == Engine::Sqlite)
        write("not-a-folder", "a file where the folder would be");
    StockLookup lookup(s);
    const StockLine line = ask(lookup, "C00001");
    EXPECT_EQ(line.state, StockLine::State::Unreachable);
    EXPECT_EQ(line.code, "C00001");
    EXPECT_FALSE(lookup.everImported());
}

class ServerGoneTest : public StockLookupTest {};

TEST_P(ServerGoneTest, AnswersUnreachablePromptlyAndRecoversByItself)
{
    import("Centro", tillExport(10));
    StockLookup lookup(settings());
    ASSERT_EQ(ask(lookup, "C00007").quantity, 7);

    ASSERT_TRUE(server->stop());
    QElapsedTimer clock;
    qint64 slowestRequest = 0;
    StockLine line;
    for (int i = 0; i < 5; ++i) {
        clock.start();
        QObject guard;
        QObject::connect(&lookup, &StockLookup::answered, &guard, [&](const StockLine &l) { line = l; });
        lookup.request("C00007");
        slowestRequest = std::max(slowestRequest, clock.elapsed());
        ASSERT_TRUE(lookup.settle(5000));
        EXPECT_EQ(line.state, StockLine::State::Unreachable);
    }
    // The request itself only posts; generous for a sanitizer build on a busy machine.
    EXPECT_LT(slowestRequest, 200);

    ASSERT_TRUE(server->start());
    // Back by itself: the newest code is answered again without another request.
    std::optional<StockLine> recovered;
    QObject guard;
    QObject::connect(&lookup, &StockLookup::answered, &guard, [&](const StockLine &l) { recovered = l; });
    for (QDeadlineTimer deadline(15000); !recovered && !deadline.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_TRUE(recovered);
    EXPECT_EQ(recovered->state, StockLine::State::Known);
    EXPECT_EQ(ask(lookup, "C00007").quantity, 7);
}

SHOP_ENGINES(StockLookupTest);
INSTANTIATE_TEST_SUITE_P(Engines, ServerGoneTest, ::testing::Values(Engine::Postgres), engineName);

} // namespace
