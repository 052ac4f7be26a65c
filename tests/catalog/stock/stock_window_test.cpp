// The shop's stock in the catalogue window, on the demo catalogue and a real store written
// by the store's own import: the stock line for the battery shown however it is reached,
// the replacement finder's column and tick box, the quick find's counts and the sheet's
// price; no line and no store made for a shop without stock; an old stock dated; another
// import seen at the next click; and a store that goes away and comes back, SQLite and
// PostgreSQL, while the window keeps answering.
#include "tests/catalog/window/demo_window_fixture.h"

#include "catalog/info_strip/info_strip.h"
#include "catalog/replacement/replacement_form.h"
#include "shop/stock_import.h"
#include "shop/store.h"
#include "tests/common/pg_server.h"
#include "tests/common/test_support.h"
#include "widgets/bitmap_button.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLibraryInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>

namespace {

const QString kEuro = QStringLiteral("\u00a0\u20ac");
// The demo catalogue's first KORVA vehicle lists these, in this order.
const QStringList kFirstBatteries = {"KS060", "KS062", "KP074"};

// Centro's till: KS060 on one shelf, KS062 priced but out, KP074 on two shelves.
const QByteArray kCentro = "codice;giacenza;prezzo;ubicazione\n"
                           "KS060;3;89,00;B4\n"
                           "ks062 ;0;95,50;C1\n"
                           "KP074;1;120;A2\n"
                           "KP074;1;;A3\n";
const QByteArray kNord = "code,qty\nKS060,5\nKS062,2\n";

class StockWindowTest : public DemoWindowTest {
protected:
    void SetUp() override
    {
        DemoWindowTest::SetUp();
        ASSERT_TRUE(scratch.isValid());
        // The settings the window reads, and the embedded store's default place, are
        // this test's own; nothing of the user's is read or made.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, path("config"));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, path("machine"));
        dataHome = std::make_unique<testsupport::ScopedEnv>("XDG_DATA_HOME", path("data").toLocal8Bit());
    }
    void TearDown() override
    {
        DemoWindowTest::TearDown();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
        QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope,
                           QLibraryInfo::path(QLibraryInfo::SettingsPath));
    }

    QString path(const QString &name) const { return scratch.filePath(name); }

    // [shop] of the user's settings file.
    void configure(const QString &database, const QString &branch = QStringLiteral("Centro"))
    {
        QDir().mkpath(path("config/dazozizizavuv"));
        QFile conf(path("config/dazozizizavuv/dazozizizavuv.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[shop]\ndatabase=" + database.toUtf8() + "\nbranch=" + branch.toUtf8() + "\n");
    }

    // A till's file imported into `branch` of `database` by the store's own import.
    void import(const QString &database, const QString &branch, const QByteArray &csv)
    {
        const QString file = path(QStringLiteral("till-%1.csv").arg(++m_files));
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(csv);
        f.close();
        shop::Store store(database);
        shop::ImportOptions options;
        options.branch = branch;
        shop::ImportStock(store, file, options);
    }

    // The stock line once the window's lookups have answered.
    QString line()
    {
        EXPECT_TRUE(form->SettleStockLookups(10000)) << "the stock lookup did not answer";
        return stockLabel()->text();
    }
    QLabel *stockLabel() const { return form->StripInfo->line(QStringLiteral("LabelGiacenza")); }
    bool lineIsWarning() const { return stockLabel()->palette().color(QPalette::WindowText).red() > 150; }

    void showBatteryRow(int row)
    {
        form->GridOutput->setCurrentRow(row);
        form->GridOutputClickCell(form->GridOutput, row, 0);
    }

    // Processes events until `done` holds, at most `ms`.
    static bool waitFor(const std::function<bool()> &done, int ms)
    {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    QTemporaryDir scratch;
    std::unique_ptr<testsupport::ScopedEnv> dataHome;

private:
    int m_files = 0;
};

// Counts how often the event loop got round to a 5 ms timer: a window held up by its
// store would count next to none.
struct Heartbeat {
    QTimer timer;
    int beats = 0;
    Heartbeat()
    {
        QObject::connect(&timer, &QTimer::timeout, [this] { ++beats; });
        timer.start(5);
    }
};

} // namespace

TEST_F(StockWindowTest, AShopWithoutStockSeesNoLineAndGetsNoStoreMade)
{
    openWindow();
    for (int row = 1; row <= 3; ++row)
        showBatteryRow(row);
    EXPECT_EQ(line(), QString());
    EXPECT_FALSE(stockLabel()->isVisible());
    EXPECT_FALSE(form->StockQuantities().has_value());
    EXPECT_FALSE(QFile::exists(path("data/dazozizizavuv/shop.sqlite")));
    // The quick find's code rows say nothing of stock.
    form->EditTrova->setText(QStringLiteral("KS06"));
    form->EditTrovaChange(form->EditTrova);
    for (int r = 0; r < form->ListaTrova->count(); ++r)
        EXPECT_FALSE(form->ListaTrova->item(r)->text().contains(QStringLiteral("disponibil")));
}

TEST_F(StockWindowTest, TheLineFollowsTheBatteryShownByDrillDownSearchAndApplicationsMode)
{
    const QString db = path("shop.sqlite");
    import(db, QStringLiteral("Centro"), kCentro);
    import(db, QStringLiteral("Filiale Nord"), kNord);
    configure(db);
    openWindow();
    ASSERT_EQ(column(form->GridOutput, 3), kFirstBatteries);

    // The drill-down's cascade ends on KS060.
    EXPECT_EQ(line(), QStringLiteral("Disponibili: 3 · 89,00") + kEuro
                          + QStringLiteral(" · Scaffale B4 · Anche in: Filiale Nord (5)"));
    EXPECT_TRUE(stockLabel()->isVisible());
    EXPECT_FALSE(lineIsWarning());
    showBatteryRow(2);
    EXPECT_EQ(line(),
              QStringLiteral("Non disponibile · 95,50") + kEuro + QStringLiteral(" · Anche in: Filiale Nord (2)"));
    showBatteryRow(3);
    EXPECT_EQ(line(), QStringLiteral("Disponibili: 2 · 120,00") + kEuro + QStringLiteral(" · Scaffali A2, A3"));

    // A code search ends in applications mode on a battery the shop never had.
    form->EditGamma->clear();
    form->EditCodice->setText(QStringLiteral("KS044"));
    form->VrBitmapButton1Click(form->VrBitmapButton1);
    ASSERT_TRUE(form->ApplicationsMode());
    ASSERT_EQ(form->SelectedBatteryCode(), QStringLiteral("KS044"));
    EXPECT_EQ(line(), QStringLiteral("Non disponibile"));

    // Leaving applications mode lists every make again and cascades to the first battery.
    form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
    ASSERT_FALSE(form->ApplicationsMode());
    EXPECT_TRUE(line().startsWith(QStringLiteral("Disponibili: 3 · ")));
}

TEST_F(StockWindowTest, TheQuickFindCountsItsCodeRowsAndShowsTheStockOfTheOneChosen)
{
    const QString db = path("shop.sqlite");
    import(db, QStringLiteral("Centro"), kCentro);
    configure(db);
    openWindow();
    line(); // the first battery's answer brings the branch's quantities
    form->EditTrova->setText(QStringLiteral("KS06"));
    form->EditTrovaChange(form->EditTrova);
    QStringList rows;
    for (int r = 0; r < form->ListaTrova->count(); ++r)
        rows << form->ListaTrova->item(r)->text();
    const auto rowOfCode = [&](const QString &code) {
        for (int r = 0; r < rows.size(); ++r)
            if (rows[r].startsWith(code + QStringLiteral(" ")))
                return r;
        return -1;
    };
    const int ks060 = rowOfCode(QStringLiteral("KS060")), ks062 = rowOfCode(QStringLiteral("KS062"));
    ASSERT_GE(ks060, 0) << rows.join('\n').toStdString();
    ASSERT_GE(ks062, 0);
    EXPECT_TRUE(rows[ks060].endsWith(QStringLiteral(" · 3 disponibili"))) << rows[ks060].toStdString();
    EXPECT_TRUE(rows[ks062].endsWith(QStringLiteral(" · non disponibile"))) << rows[ks062].toStdString();
    EXPECT_EQ(form->ListaTrova->item(ks060)->toolTip(), rows[ks060]);

    showBatteryRow(3); // KP074, so that choosing KS062 changes the line
    form->ListaTrovaChoose(form->ListaTrova, ks062);
    ASSERT_EQ(form->SelectedBatteryCode(), QStringLiteral("KS062"));
    EXPECT_EQ(line(), QStringLiteral("Non disponibile · 95,50") + kEuro);
}

TEST_F(StockWindowTest, TheFinderCountsEachBatteryAndCanListOnlyWhatIsInStock)
{
    const QString db = path("shop.sqlite");
    import(db, QStringLiteral("Centro"), kCentro);
    configure(db);
    openWindow();
    line();
    const QHash<QString, int> stock{{"KS060", 3}, {"KP074", 2}};

    QStringList listed, counted, inStockOnly;
    bool boxOffAtFirst = false;
    QString chosen;
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_NE(frm_sostituzione, nullptr);
        DataGrid *grid = frm_sostituzione->GridSostituzione;
        const int stockColumn = grid->ColCount() - 1;
        EXPECT_EQ(frm_sostituzione->GridSostituzioneTitoli->Cells(stockColumn, 0), QStringLiteral("Disp."));
        for (int r = 1; r < grid->RowCount(); ++r) {
            listed << grid->Cells(1, r);
            counted << grid->Cells(stockColumn, r);
        }
        boxOffAtFirst =
            frm_sostituzione->CheckSoloDisponibili->isEnabled() && !frm_sostituzione->CheckSoloDisponibili->isChecked();
        frm_sostituzione->CheckSoloDisponibili->click();
        for (int r = 1; r < grid->RowCount(); ++r)
            inStockOnly << grid->Cells(1, r);
        grid->setCurrentRow(inStockOnly.size());
        chosen = grid->Cells(1, inStockOnly.size());
        frm_sostituzione->ButtonSostMostra->click();
    });
    form->VrBitmapButtonSostituzioneClick(form->VrBitmapButtonSostituzione);

    ASSERT_FALSE(listed.isEmpty());
    EXPECT_TRUE(boxOffAtFirst);
    // Each row counts what the branch has; the tick box keeps those rows, in their order.
    for (int i = 0; i < listed.size(); ++i)
        EXPECT_EQ(counted[i], QString::number(stock.value(listed[i], 0))) << listed[i].toStdString();
    QStringList expectedInStock;
    for (const QString &code : listed)
        if (stock.value(code) > 0)
            expectedInStock << code;
    EXPECT_EQ(inStockOnly, expectedInStock);
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(form->SelectedBatteryCode(), chosen);
    EXPECT_TRUE(line().startsWith(QStringLiteral("Disponibili: ")));
}

TEST_F(StockWindowTest, TheSheetPrintsThePriceOfTheBatteryShownWhenThereIsOne)
{
    const QString db = path("shop.sqlite");
    import(db, QStringLiteral("Centro"), "codice;giacenza;prezzo\nKS060;3;89,00\nKS062;1;\n");
    configure(db);
    openWindow();
    const auto priceLine = [&]() -> QString {
        line();
        const std::optional<catalog::SheetState> state = form->ShownSheetState();
        if (!state)
            return QStringLiteral("no sheet");
        for (const catalog::SheetLine &l : catalog::MakeBatterySheet(*state, 10).data)
            if (l.caption == QStringLiteral("Prezzo"))
                return l.value;
        return QString();
    };
    EXPECT_EQ(priceLine(), QStringLiteral("89,00") + kEuro);
    showBatteryRow(2);
    EXPECT_EQ(priceLine(), QString()) << "a battery without a price has no price line";
}

TEST_F(StockWindowTest, OldStockIsDatedInRed)
{
    const QString db = path("shop.sqlite");
    {
        shop::Store store(db);
        shop::StockImport old;
        old.branch = QStringLiteral("Centro");
        old.importedAt = QDateTime::currentDateTime().addDays(-5);
        old.asOf = old.importedAt;
        old.source = QStringLiteral("giacenze.csv");
        old.contentHash = "00";
        old.rowCount = 1;
        store.replaceStock(old, {shop::StockEntry{QStringLiteral("KS060"), 3, 8900, {QStringLiteral("B4")}}});
    }
    configure(db);
    openWindow();
    const QString day = QDateTime::currentDateTime().addDays(-5).toString(QStringLiteral("dd/MM/yyyy"));
    EXPECT_EQ(line(), QStringLiteral("Disponibili: 3 · giacenze del ") + day + QStringLiteral(" · 89,00") + kEuro
                          + QStringLiteral(" · Scaffale B4"));
    EXPECT_TRUE(lineIsWarning());
}

TEST_F(StockWindowTest, AnImportWhileTheWindowIsOpenShowsAtTheNextClick)
{
    const QString db = path("shop.sqlite");
    import(db, QStringLiteral("Centro"), kCentro);
    configure(db);
    openWindow();
    EXPECT_TRUE(line().startsWith(QStringLiteral("Disponibili: 3 · ")));
    // Another counter's import, through a connection of its own.
    import(db, QStringLiteral("Centro"), "codice;giacenza\nKS060;7\n");
    showBatteryRow(1);
    EXPECT_EQ(line(), QStringLiteral("Disponibili: 7"));
    EXPECT_EQ(form->StockQuantities().value_or(QHash<QString, int>{}), (QHash<QString, int>{{"KS060", 7}}));
}

TEST_F(StockWindowTest, AnEmbeddedStoreOutOfReachIsSaidAndTheLineComesBackByItself)
{
    // The store's folder is a file at first, so the store cannot be opened.
    const QString folder = path("blocked");
    {
        QFile blocker(folder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    const QString db = folder + QStringLiteral("/shop.sqlite");
    configure(db);
    openWindow();
    Heartbeat heart;
    EXPECT_EQ(line(), QStringLiteral("Giacenze non raggiungibili"));
    EXPECT_TRUE(lineIsWarning());
    showBatteryRow(2);
    EXPECT_EQ(line(), QStringLiteral("Giacenze non raggiungibili"));
    // A fifth of a second while the lookup keeps trying the store: a window held up by it
    // would let its timer beat once at most.
    waitFor([] { return false; }, 200);
    EXPECT_GT(heart.beats, 5) << "the window answered nothing while the store was out of reach";

    ASSERT_TRUE(QFile::remove(folder));
    ASSERT_TRUE(QDir().mkpath(folder));
    import(db, QStringLiteral("Centro"), kCentro);
    // Nobody clicks: the window finds the store again and answers the battery shown.
    EXPECT_TRUE(waitFor([&] { return stockLabel()->text().startsWith(QStringLiteral("Non disponibile")); }, 15000))
        << stockLabel()->text().toStdString();
    EXPECT_FALSE(lineIsWarning());
}

TEST_F(StockWindowTest, AServerStoppedWhileTheWindowRunsIsSaidAndTheLineRecovers)
{
    SHOP_PG_SERVER(server);
    const QString url = server->newDatabase();
    import(url, QStringLiteral("Centro"), kCentro);
    configure(url);
    openWindow();
    EXPECT_TRUE(line().startsWith(QStringLiteral("Disponibili: 3 · ")));

    ASSERT_TRUE(server->stop());
    Heartbeat heart;
    QElapsedTimer click;
    click.start();
    showBatteryRow(2);
    const qint64 clickMs = click.elapsed();
    EXPECT_EQ(line(), QStringLiteral("Giacenze non raggiungibili"));
    EXPECT_TRUE(lineIsWarning());
    showBatteryRow(3);
    EXPECT_EQ(line(), QStringLiteral("Giacenze non raggiungibili"));
    waitFor([] { return false; }, 200);
    EXPECT_GT(heart.beats, 5) << "the window answered nothing while the server was stopped (the click took " << clickMs
                              << " ms)";

    ASSERT_TRUE(server->start());
    EXPECT_TRUE(waitFor([&] { return stockLabel()->text().startsWith(QStringLiteral("Disponibili: 2 · ")); }, 20000))
        << stockLabel()->text().toStdString();
    EXPECT_FALSE(lineIsWarning());
    showBatteryRow(1);
    EXPECT_TRUE(line().startsWith(QStringLiteral("Disponibili: 3 · ")));
}
