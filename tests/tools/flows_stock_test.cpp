// The shop's stock played through the UI script driver, as a counter meets it: stock
// imported with shop-data, then the window's dumps read with no waits in the script (the
// driver settles the store's answers before each dump); and a PostgreSQL server stopped
// and started again while the program runs.
#include "tests/common/pg_server.h"
#include "tests/common/test_support.h"
#include "tests/tools/flows_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>

using namespace flows;

namespace {

const QString kEuro = QStringLiteral("\u00a0\u20ac");

// The settings files and data folder the driver's program and shop-data read: this
// test's own, naming `database` (by default an embedded store in its folder) for the
// branch Centro.
class ShopEnvironment {
public:
    explicit ShopEnvironment(QString database = {})
    {
        if (database.isEmpty())
            database = m_dir.filePath("shop.sqlite");
        const QString conf = m_dir.filePath("config/dazozizizavuv");
        QDir().mkpath(conf);
        QFile file(conf + "/dazozizizavuv.conf");
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[shop]\ndatabase=" + database.toUtf8() + "\nbranch=Centro\n");
        m_env.push_back(
            std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_HOME", m_dir.filePath("config").toLocal8Bit()));
        m_env.push_back(
            std::make_unique<testsupport::ScopedEnv>("XDG_CONFIG_DIRS", m_dir.filePath("machine").toLocal8Bit()));
        m_env.push_back(
            std::make_unique<testsupport::ScopedEnv>("XDG_DATA_HOME", m_dir.filePath("data").toLocal8Bit()));
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // shop-data import-stock of `csv` into `branch`; its exit status.
    int import(const QByteArray &csv, const QString &branch = QStringLiteral("Centro"))
    {
        const QString file = path(QStringLiteral("till-%1.csv").arg(++m_files));
        QFile f(file);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(csv);
        f.close();
        QProcess tool;
        tool.start(testsupport::binDir() + "/tools/shop-data/shop-data",
                   {"import-stock", file, "--branch", branch, "--catalogue", DemoFolder() + "/db/vc_korva.mdb"});
        EXPECT_TRUE(tool.waitForFinished(60000));
        EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
        return tool.exitCode();
    }

private:
    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<testsupport::ScopedEnv>> m_env;
    int m_files = 0;
};

QString StockLine(const QJsonObject &dump) { return dump["labels"]["LabelGiacenza"].toString(); }

} // namespace

TEST(FlowStock, DumpsShowTheStockLineAndTheFindersColumnWithoutWaits)
{
    ShopEnvironment shop;
    ASSERT_EQ(shop.import("codice;giacenza;prezzo;ubicazione\nKS060;3;89,00;B4\nKP074;12;120;A2\n"), 0);
    ASSERT_EQ(shop.import("codice;giacenza\nKS062;2\n", QStringLiteral("Filiale Nord")), 0);

    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\n"
                                                 "dump\n"
                                                 "click-cell GridOutput 2\n"
                                                 "dump\n"
                                                 "key gridMarca Ctrl+R\n"
                                                 "dump\n"
                                                 "click CheckSoloDisponibili\n"
                                                 "dump\n"
                                                 "click ButtonSostChiudi\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(Current(run.dumps[0], "GridOutput", 3), "KS060");
    EXPECT_EQ(StockLine(run.dumps[0]),
              QStringLiteral("Disponibili: 3 · 89,00") + kEuro + QStringLiteral(" · Scaffale B4"));
    EXPECT_EQ(Current(run.dumps[1], "GridOutput", 3), "KS062");
    EXPECT_EQ(StockLine(run.dumps[1]), QStringLiteral("Non disponibile · Anche in: Filiale Nord (2)"));

    // The finder's last column is "Disp.": the branch's count of each row's code.
    const auto finderRows = [](const QJsonObject &dump) {
        QList<QPair<QString, QString>> rows;
        for (const QJsonValue row : Grid(dump, "GridSostituzione")["rows"].toArray()) {
            const QJsonArray cells = row["cells"].toArray();
            rows.append({cells[1].toString(), cells.last().toString()});
        }
        return rows;
    };
    const auto all = finderRows(run.dumps[2]);
    ASSERT_FALSE(all.isEmpty());
    EXPECT_EQ(Grid(run.dumps[2], "GridSostituzioneTitoli")["rows"][0]["cells"].toArray().last().toString(), "Disp.");
    EXPECT_FALSE(run.dumps[2]["checks"]["CheckSoloDisponibili"].toBool());
    QList<QPair<QString, QString>> inStock;
    for (const auto &[code, count] : all) {
        EXPECT_EQ(count, code == "KP074" ? "12" : code == "KS060" ? "3" : "0") << code.toStdString();
        if (count != "0")
            inStock.append({code, count});
    }
    EXPECT_TRUE(run.dumps[3]["checks"]["CheckSoloDisponibili"].toBool());
    EXPECT_EQ(finderRows(run.dumps[3]), inStock);
}

TEST(FlowStock, AServerStoppedWhileTheProgramRunsIsSaidAndTheLineRecovers)
{
    SHOP_PG_SERVER(server);
    const QString url = server->newDatabase();
    ShopEnvironment shop(url);
    ASSERT_EQ(shop.import("codice;giacenza\nKS060;3\nKS062;4\n"), 0);

    QTemporaryDir stopDir, restartDir;
    Barrier stopped(stopDir), restarted(restartDir);
    Flow flow(DemoFolder(), "brand KORVA\n"
                            "dump\n"
                                + stopped.Line()
                                + "click-cell GridOutput 2\n"
                                  "dump\n"
                                  "click-cell GridOutput 1\n"
                                  "dump\n"
                                + restarted.Line()
                                + "wait 3000\n"
                                  "dump\n"
                                  "click-cell GridOutput 2\n"
                                  "dump\n");
    const QJsonObject before = flow.NextDump();
    EXPECT_EQ(StockLine(before), "Disponibili: 3");
    ASSERT_TRUE(server->stop());
    stopped.Release(flow);
    const QJsonObject whileStopped = flow.NextDump();
    EXPECT_EQ(Current(whileStopped, "GridOutput", 3), "KS062");
    EXPECT_EQ(StockLine(whileStopped), "Giacenze non raggiungibili");
    // The window goes on answering its clicks: the next battery is shown.
    const QJsonObject stillStopped = flow.NextDump();
    EXPECT_EQ(Current(stillStopped, "GridOutput", 3), "KS060");
    EXPECT_EQ(StockLine(stillStopped), "Giacenze non raggiungibili");
    ASSERT_TRUE(server->start());
    restarted.Release(flow);
    // Nobody clicked while the server came back; the line recovered by itself.
    EXPECT_EQ(StockLine(flow.NextDump()), "Disponibili: 3");
    EXPECT_EQ(StockLine(flow.NextDump()), "Disponibili: 4");
    const FlowResult run = flow.Finish();
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
}
