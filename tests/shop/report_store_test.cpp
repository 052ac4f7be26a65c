// The fit reports in the store, on both engines: a report comes back as filed, odd
// characters and all; closing, reopening and resolving keep it and its history; a report
// resolved by one counter is not resolved again by another; a second counter's watch sees
// a report at its next refresh; a store of the first version gains the reports' tables
// and keeps its stock; a store that cannot be written stores nothing.
#include "shop/fit_report_resolution.h"
#include "shop/report_store.h"
#include "shop/report_watch.h"
#include "shop/shop_error.h"
#include "shop/stock_import.h"
#include "shop/store.h"
#include "tests/common/test_support.h"
#include "tests/shop/shop_test_support.h"

#include <QFile>

using namespace shoptest;
using shop::FitReport;
using shop::ReportStatus;
using shop::ReportStore;

namespace {

FitReport draft(const QString &comment, shop::ReportReason reason = shop::ReportReason::DoesNotFit)
{
    FitReport r;
    r.filedAt = QDateTime(QDate(2026, 12, 3), QTime(10, 15, 30, 250), Qt::UTC);
    r.branch = "Centro";
    r.operatorName = "Marco";
    r.reason = reason;
    r.comment = comment;
    r.vehicle =
        shop::ReportedVehicle{"1001", "Aurelia Motori", "Vesta", "1.2 8V", "Benzina", "1995", "2001", {"20001"}};
    r.priceList = "KORVA";
    r.code = "KS060";
    r.batteryRow = QStringList(shop::SnapshotColumns().size(), "v");
    r.catalogue = {QDateTime(QDate(2024, 1, 15), QTime(0, 0), Qt::UTC), "b501a30c"};
    return r;
}

class ReportStoreTest : public EngineTest {};

TEST_P(ReportStoreTest, AReportComesBackAsFiledWithAnyCharacters)
{
    ReportStore store(database);
    QString wide;
    for (int i = 0; i < 300; ++i)
        wide += QString::fromUtf8("\xF0\x9F\x94\x8B");
    const QStringList comments = {"'; DROP TABLE fit_report; --", "<b>il \"cofano\"</b>\nnon chiude", wide,
                                  QString::fromUtf8("البطارية \u202E لا تناسب")};
    std::vector<FitReport> stored;
    for (const QString &comment : comments)
        stored.push_back(store.file(draft(comment)));
    FitReport bare = draft("nessun veicolo", shop::ReportReason::Photo);
    bare.vehicle.reset();
    bare.catalogue.created = QDateTime();
    stored.push_back(store.file(bare));

    EXPECT_EQ(stored[0].id, 1);
    EXPECT_EQ(stored.back().id, 5);
    const std::vector<FitReport> all = ReportStore(database).reports();
    ASSERT_EQ(all.size(), stored.size());
    // Newest first; all were filed at the same time, so by id.
    for (size_t i = 0; i < stored.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(all[stored.size() - 1 - i], stored[i]);
    }
    EXPECT_EQ(all[2].comment, wide);
}

TEST_P(ReportStoreTest, ClosingAndReopeningKeepTheReportAndItsHistory)
{
    ReportStore store(database);
    const qint64 id = store.file(draft("non monta")).id;
    const QDateTime at = QDateTime(QDate(2026, 12, 4), QTime(9, 0), Qt::UTC);
    EXPECT_TRUE(store.close(id, "montata con staffa", at));
    EXPECT_FALSE(store.close(id, "di nuovo", at)) << "only an open report is closed";
    EXPECT_TRUE(store.reports(true).empty());
    ASSERT_EQ(store.reports().size(), 1u);
    EXPECT_EQ(store.report(id)->status, ReportStatus::Closed);
    EXPECT_EQ(store.report(id)->closedNote, "montata con staffa");
    EXPECT_TRUE(store.reopen(id, at.addDays(1)));
    EXPECT_FALSE(store.reopen(id, at.addDays(1)));
    EXPECT_EQ(store.reports(true).size(), 1u);

    const std::vector<shop::ReportEvent> history = store.history(id);
    ASSERT_EQ(history.size(), 3u);
    EXPECT_EQ(history[1].status, ReportStatus::Closed);
    EXPECT_EQ(history[1].note, "montata con staffa");
    EXPECT_EQ(history[2].status, ReportStatus::Open);
}

TEST_P(ReportStoreTest, AReportIsResolvedOnceWhicheverCounterSeesTheCatalogueFirst)
{
    ReportStore first(database);
    ReportStore second(database);
    const FitReport filed = first.file(draft("non monta"));
    const shop::CatalogueIdentity next{QDateTime(QDate(2026, 12, 20), QTime(0, 0), Qt::UTC), "c0ffee"};
    const FitReport resolved = shop::MarkedResolved(filed, next, "Il codice KS060 non è più indicato per il veicolo",
                                                    QDateTime(QDate(2026, 12, 21), QTime(8, 0), Qt::UTC));
    EXPECT_TRUE(first.markResolved(resolved));
    EXPECT_FALSE(second.markResolved(resolved));
    const FitReport back = *second.report(filed.id);
    EXPECT_EQ(back, resolved);
    EXPECT_EQ(back.catalogue.contentHash, "b501a30c") << "the catalogue it was filed on is kept";
    EXPECT_EQ(second.history(filed.id).size(), 2u);
}

TEST_P(ReportStoreTest, ASecondCountersWatchSeesAReportAtItsNextRefresh)
{
    shop::ReportWatch watch(database);
    watch.refresh();
    ASSERT_TRUE(watch.settle(10000));
    EXPECT_TRUE(watch.openReports().empty());
    EXPECT_EQ(watch.problem(), QString());
    ReportStore(database).file(draft("dal banco 1"));
    watch.refresh();
    ASSERT_TRUE(watch.settle(10000));
    ASSERT_EQ(watch.openReports().size(), 1u);
    EXPECT_EQ(watch.openReports()[0].comment, "dal banco 1");
}

TEST_P(ReportStoreTest, AStoreOfTheFirstVersionGainsTheReportsAndKeepsItsStock)
{
    {
        shop::Store store(database);
        shop::ImportOptions options;
        options.branch = "Centro";
        shop::ImportStock(store, write("t.csv", tillExport(4)), options);
    }
    // The store as the first version left it.
    rawSql(database, "DROP TABLE fit_report_event");
    rawSql(database, "DROP TABLE fit_report");
    rawSql(database, "UPDATE shop_schema SET version = 1");

    ReportStore reports(database);
    EXPECT_EQ(rawSql(database, "SELECT version FROM shop_schema").toInt(), 2);
    EXPECT_EQ(reports.file(draft("dopo l'aggiornamento")).id, 1);
    EXPECT_EQ(shop::Store(database).allStock().size(), 4u);
}

TEST_P(ReportStoreTest, AReportThatCannotBeWrittenLeavesNothing)
{
    ReportStore store(database);
    store.file(draft("primo"));
    // Another program's damage the statement meets: the history table is gone.
    rawSql(database, "DROP TABLE fit_report_event");
    testsupport::expectThrowCode<shop::ShopError>([&] { store.file(draft("secondo")); }, shop::ShopErrc::Store,
                                                  "fit_report_event");
    EXPECT_EQ(rawSql(database, "SELECT count(*) FROM fit_report").toInt(), 1) << "the report went with its history";
}

SHOP_ENGINES(ReportStoreTest);

} // namespace

namespace {

TEST(ReportWatchServerGone, TheReportsLastReadStayAndComeBackWithTheServer)
{
    SHOP_PG_SERVER(server);
    const QString database = server->newDatabase();
    ReportStore(database).file(draft("prima del guasto"));
    shop::ReportWatch watch(database);
    watch.refresh();
    ASSERT_TRUE(watch.settle(10000));
    ASSERT_EQ(watch.openReports().size(), 1u);

    ASSERT_TRUE(server->stop());
    watch.refresh();
    watch.refresh();
    watch.refresh(); // one more read after the one on its way, not three
    ASSERT_TRUE(watch.settle(15000));
    EXPECT_FALSE(watch.problem().isEmpty());
    ASSERT_EQ(watch.openReports().size(), 1u) << "what was read before still holds";

    ASSERT_TRUE(server->start());
    ReportStore(database).file(draft("dopo"));
    watch.refresh();
    ASSERT_TRUE(watch.settle(15000));
    EXPECT_EQ(watch.problem(), QString());
    EXPECT_EQ(watch.openReports().size(), 2u) << "the watch opened the store again by itself";
}

} // namespace
