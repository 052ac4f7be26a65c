// Fit reports through the UI script driver, on the real program and a store of the test's
// own: a report filed and seen on the strip, listed, closed and exported; seen by a second
// counter at its next click, on SQLite and on the tests' PostgreSQL server; kept with its
// text when the store cannot take it; and checked against an updated catalogue, in the
// program's what's-new window and by catalogue-check --reports.
#include "tests/common/pg_server.h"
#include "tests/common/test_support.h"
#include "tests/tools/catalogue_build_support.h"
#include "tests/tools/flows_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <gtest/gtest.h>

namespace {

using namespace flows;

// The program's settings and store in a scratch home of the test's own.
class ShopHome {
public:
    explicit ShopHome(const QString &database = QString())
        : m_config("XDG_CONFIG_HOME", m_dir.filePath("config").toUtf8()),
          m_data("XDG_DATA_HOME", m_dir.filePath("data").toUtf8())
    {
        if (database.isEmpty())
            return;
        QDir().mkpath(m_dir.filePath("config/dazozizizavuv"));
        QFile conf(m_dir.filePath("config/dazozizizavuv/dazozizizavuv.conf"));
        EXPECT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("[shop]\ndatabase=" + database.toUtf8() + "\nbranch=Centro\n");
    }
    QString path(const QString &name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
    testsupport::ScopedEnv m_config;
    testsupport::ScopedEnv m_data;
};

QString label(const QJsonObject &dump, const QString &name) { return dump["labels"][name].toString(); }

QJsonArray tableRows(const QJsonObject &dump, const QString &name) { return dump["tables"][name]["rows"].toArray(); }

// The steps that file a report on what the window shows.
QString fileReport(const QString &reason, const QString &comment, const QString &fittingCode = QString())
{
    QString s = "key gridMarca F9\nselect ComboMotivo " + reason + "\n";
    if (!fittingCode.isEmpty())
        s += "type EditCodiceAdatto " + fittingCode + "\n";
    return s + "type EditCommento " + comment + "\ntype EditOperatore Marco\nclick ButtonInvia\n";
}

TEST(FlowsReports, AReportIsFiledShownListedClosedAndExported)
{
    ShopHome home;
    QTemporaryDir out;
    const QString exported = out.filePath("segnalazioni.json");
    const FlowResult r = RunFlow(DemoFolder(), "brand KORVA\nkey gridMarca F9\ndump\n"
                                               "select ComboMotivo Non monta su questo veicolo\n"
                                               "type EditCommento il cofano non chiude <b>\"x\"</b>\n"
                                               "type EditOperatore Marco\nclick ButtonInvia\ndump\n"
                                               "key gridMarca Shift+F9\ndump\n"
                                               "type EditNotaChiusura montata con staffa\n"
                                               "click ButtonChiudiSegnalazione\nselect ComboFiltro Tutte\ndump\n"
                                               "save-as "
                                                   + exported
                                                   + "\nclick ButtonEsporta\n"
                                                     "close frm_segnalazioni\ndump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.dumps.size(), 5u);

    const QJsonObject form = r.dumps[0];
    EXPECT_TRUE(WindowNames(form).contains("frm_segnala"));
    EXPECT_EQ(form["focus"].toString(), "ComboMotivo");
    EXPECT_TRUE(label(form, "LabelVeicolo").contains("ktypnr")) << label(form, "LabelVeicolo").toStdString();
    EXPECT_EQ(form["combos"]["ComboMotivo"]["items"].toArray().size(), 6);
    EXPECT_FALSE(form["edits"]["EditCodiceAdatto"].isNull());

    const QJsonObject filed = r.dumps[1];
    EXPECT_FALSE(WindowNames(filed).contains("frm_segnala"));
    const QString line = label(filed, "LabelSegnalazione");
    EXPECT_TRUE(line.startsWith("Segnalato il ")) << line.toStdString();
    EXPECT_TRUE(line.endsWith(" (Marco): non monta \u2013 il cofano non chiude <b>\"x\"</b>")) << line.toStdString();

    const QJsonArray open = tableRows(r.dumps[2], "GridSegnalazioni");
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open[0].toArray()[1].toString(), "Aperta");
    EXPECT_EQ(open[0].toArray()[5].toString(), "il cofano non chiude <b>\"x\"</b>");

    const QJsonArray all = tableRows(r.dumps[3], "GridSegnalazioni");
    ASSERT_EQ(all.size(), 1) << "closing keeps the report";
    EXPECT_EQ(all[0].toArray()[1].toString(), "Chiusa");
    EXPECT_EQ(all[0].toArray()[8].toString(), "montata con staffa");
    EXPECT_EQ(r.dumps[3]["buttons"]["ButtonChiudiSegnalazione"]["text"].toString(), "&Riapri");

    EXPECT_EQ(MessageTexts(r.dumps[4]), QStringList({"1 segnalazione esportata in " + exported}));
    EXPECT_EQ(label(r.dumps[4], "LabelSegnalazione"), QString()) << "a closed report is not shown";
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QJsonObject json = QJsonDocument::fromJson(file.readAll()).object();
    EXPECT_EQ(json["version"].toInt(), 1);
    const QJsonObject report = json["reports"].toArray()[0].toObject();
    EXPECT_EQ(report["comment"].toString(), "il cofano non chiude <b>\"x\"</b>");
    EXPECT_EQ(report["status"].toString(), "chiusa");
    EXPECT_FALSE(report["catalogue_hash"].toString().isEmpty());
    EXPECT_FALSE(report["ktypnr"].toArray().isEmpty());
}

TEST(FlowsReports, TheQuickFindAndTheFinderMarkAReportedBattery)
{
    ShopHome home;
    const FlowResult r =
        RunFlow(DemoFolder(), "brand KORVA\ntype EditTrova KS06\ndump\n" + fileReport("Dati tecnici errati", "capacità")
                                  + "type EditTrova KS06\ndump\nkey gridMarca Ctrl+R\ndump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.dumps.size(), 3u);
    const auto rows = [](const QJsonObject &dump) {
        QStringList texts;
        for (const QJsonValue &v : dump["lists"]["ListaTrova"]["rows"].toArray())
            texts << v.toString();
        return texts;
    };
    EXPECT_TRUE(rows(r.dumps[0]).filter("segnalata").isEmpty());
    const QStringList marked = rows(r.dumps[1]).filter("segnalata");
    ASSERT_EQ(marked.size(), 1) << rows(r.dumps[1]).join(" | ").toStdString();
    EXPECT_TRUE(marked[0].startsWith("KS060 ")) << marked[0].toStdString();
    const QStringList codes = Column(r.dumps[2], "GridSostituzione", 1);
    EXPECT_TRUE(codes.contains("KS060 !")) << codes.join(" | ").toStdString();
    EXPECT_EQ(codes.filter(" !").size(), 1);
}

TEST(FlowsReports, TheCodeThatFitsIsCheckedAndAChosenReportLeadsToItsVehicle)
{
    ShopHome home;
    const FlowResult r = RunFlow(DemoFolder(), "brand KORVA\nkey gridMarca F9\n"
                                               "select ComboMotivo Manca una batteria adatta\n"
                                               "type EditCodiceAdatto NOPE\ntype EditCommento manca la 35\n"
                                               "click ButtonInvia\ndump\n"
                                               "type EditCodiceAdatto KS060\nclick ButtonInvia\ndump\n"
                                               "type EditCodiceAdatto ks035\nclick ButtonInvia\ndump\n"
                                               "click-cell gridMarca 3\ndump\n"
                                               "key gridMarca Shift+F9\nkey GridSegnalazioni Enter\ndump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.dumps.size(), 5u);
    EXPECT_EQ(MessageTexts(r.dumps[0]), QStringList({"Il codice \"NOPE\" non è nel listino KORVA."}));
    EXPECT_EQ(MessageTexts(r.dumps[1]), QStringList({"Il codice \"KS060\" è già indicato per questo veicolo."}));
    EXPECT_TRUE(WindowNames(r.dumps[1]).contains("frm_segnala")) << "the window stays for another code";
    EXPECT_FALSE(WindowNames(r.dumps[2]).contains("frm_segnala"));
    EXPECT_TRUE(label(r.dumps[2], "LabelSegnalazione").contains("manca una batteria adatta \u2013 manca la 35"));

    // Elsewhere in the catalogue, the report chosen in the list brings its vehicle back.
    const QString vehicle = Current(r.dumps[2], "gridVersione", 0);
    EXPECT_NE(Current(r.dumps[3], "gridVersione", 0), vehicle);
    EXPECT_EQ(label(r.dumps[3], "LabelSegnalazione"), QString());
    EXPECT_FALSE(WindowNames(r.dumps[4]).contains("frm_segnalazioni"));
    EXPECT_EQ(Current(r.dumps[4], "gridVersione", 0), vehicle);
    EXPECT_EQ(Current(r.dumps[4], "GridOutput", 3), Current(r.dumps[2], "GridOutput", 3));
    EXPECT_TRUE(label(r.dumps[4], "LabelSegnalazione").contains("manca la 35"));
}

// Counter 1 has its window open; counter 2 files a report on the vehicle and battery
// counter 1 shows; counter 1's next click shows it.
void secondCounterSeesTheReport(const QString &database)
{
    ShopHome home(database);
    QTemporaryDir barrierDir;
    Barrier wait(barrierDir);
    Flow first(DemoFolder(), "brand KORVA\ndump\n" + wait.Line() + "click-cell GridOutput 1\ndump\n");
    const QJsonObject before = first.NextDump();
    EXPECT_EQ(label(before, "LabelSegnalazione"), QString());
    const FlowResult second =
        RunFlow(DemoFolder(), "brand KORVA\n" + fileReport("Non monta su questo veicolo", "dal banco 2"));
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    wait.Release(first);
    const QJsonObject after = first.NextDump();
    EXPECT_TRUE(label(after, "LabelSegnalazione").endsWith("(Marco): non monta \u2013 dal banco 2"))
        << label(after, "LabelSegnalazione").toStdString();
    const FlowResult end = first.Finish();
    EXPECT_EQ(end.exitCode, 0) << end.err.toStdString();
}

TEST(FlowsReports, ASecondCounterSeesAReportAtItsNextClickOnSqlite)
{
    QTemporaryDir store;
    secondCounterSeesTheReport(store.filePath("shop.sqlite"));
}

TEST(FlowsReports, ASecondCounterSeesAReportAtItsNextClickOnPostgresql)
{
    SHOP_PG_SERVER(server);
    secondCounterSeesTheReport(server->newDatabase());
}

TEST(FlowsReports, AStoreThatCannotBeWrittenKeepsTheWindowAndTheText)
{
    QTemporaryDir scratch;
    QFile blocker(scratch.filePath("not-a-folder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    ShopHome home(scratch.filePath("not-a-folder/shop.sqlite"));
    const FlowResult r = RunFlow(DemoFolder(), "brand KORVA\nkey gridMarca F9\n"
                                               "type EditCommento testo da non perdere\nclick ButtonInvia\ndump\n");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    ASSERT_EQ(r.dumps.size(), 1u);
    const QStringList messages = MessageTexts(r.dumps[0]);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Segnalazione non salvata: ")) << messages[0].toStdString();
    EXPECT_TRUE(WindowNames(r.dumps[0]).contains("frm_segnala"));
    EXPECT_EQ(EditText(r.dumps[0], "EditCommento"), "testo da non perdere");
}

// The small catalogue and an update of it: vehicle 1002 gone, KS062 no longer fitted to
// type 20001 and KP070 fitted to it, KS060's capacity and note changed.
void buildCataloguePair(const QTemporaryDir &dir, QString &oldMdb, QString &newMdb)
{
    const QString sources = buildtest::smallCatalogueSources();
    const QString changed = dir.filePath("new-sources");
    ASSERT_TRUE(QDir().mkpath(changed));
    for (const QString &name : QDir(sources).entryList({"*.csv"})) {
        QByteArray bytes = buildtest::readFile(sources + "/" + name).replace("\r\n", "\n");
        if (name == "CP_Veicoli.csv")
            bytes.replace(
                "1002,\"AUR\",\"Aurelia Motori\",\"Vesta\",\"1.9 JTD\",\"Diesel\",\"199801\",\"200112\",1910,80,59\n",
                "");
        if (name == "CP_Veicoli_Rel_Korva_Master.csv")
            bytes.replace("1002,20002\n", "");
        if (name == "TabDistintaBatterie.csv")
            bytes.replace("20001,\"KS062\"\n", "20001,\"KP070\"\n");
        if (name == "TabTechInfo.csv")
            bytes.replace("\"KS060\",,60,540", "\"KS060\",,61,540")
                .replace("\"<B>Più venduta</B>\"", "\"<B>Nuova</B>\"");
        QFile f(changed + "/" + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    for (const auto &[from, to, date] : {std::tuple{sources, dir.filePath("old"), "2026-12-01"},
                                         std::tuple{changed, dir.filePath("new"), "2026-12-20"}}) {
        const buildtest::RunResult built = buildtest::runBuild({"--date", date, from, to});
        ASSERT_EQ(built.exitCode, 0) << built.err.toStdString();
    }
    oldMdb = dir.filePath("old/vc_korva.mdb");
    newMdb = dir.filePath("new/vc_korva.mdb");
}

TEST(FlowsReports, AnUpdatedCatalogueResolvesWhatItFixedAndLeavesTheRestOpen)
{
    QTemporaryDir scratch;
    QString oldMdb, newMdb;
    buildCataloguePair(scratch, oldMdb, newMdb);
    if (HasFatalFailure())
        return;
    const QString folder = scratch.filePath("program");
    ASSERT_TRUE(QDir().mkpath(folder + "/db"));
    for (const char *sub : {"img", "foto"})
        ASSERT_TRUE(QFile::link(testsupport::appDir() + "/" + sub, folder + "/" + sub));
    ASSERT_TRUE(QFile::copy(oldMdb, folder + "/db/vc_korva.mdb"));
    ASSERT_TRUE(QFile::copy(scratch.filePath("old/system.mdw"), folder + "/db/system.mdw"));
    ShopHome home;
    const QString exported = scratch.filePath("reports.json");

    // On vehicle 1001 (KS060 first, then KS062) and on vehicle 1002 (KP074).
    const QString vesta = "type EditTrova vesta 1.2\nkey EditTrova Enter\n";
    const FlowResult filing =
        RunFlow(folder, "brand KORVA\n" + vesta + fileReport("Non monta su questo veicolo", "resta aperta")
                            + fileReport("Dati tecnici errati", "capacità") + fileReport("Nota errata", "nota")
                            + fileReport("Foto errata", "foto") + fileReport("Altro", "altro")
                            + fileReport("Manca una batteria adatta", "manca KP070", "KP070")
                            + "click-cell GridOutput 2\n" + fileReport("Non monta su questo veicolo", "KS062 no")
                            + "type EditTrova vesta jtd\nkey EditTrova Enter\n"
                            + fileReport("Non monta su questo veicolo", "KP074 no") + "key gridMarca Shift+F9\n"
                            + "save-as " + exported + "\nclick ButtonEsporta\ndump\n");
    ASSERT_EQ(filing.exitCode, 0) << filing.err.toStdString();
    ASSERT_EQ(filing.dumps.size(), 1u);
    EXPECT_EQ(MessageTexts(filing.dumps[0]), QStringList({"8 segnalazioni esportate in " + exported}));

    // The maker's check, before shipping.
    const buildtest::RunResult check = buildtest::runTool("catalogue-check", {"--reports", exported, newMdb});
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();
    EXPECT_TRUE(check.out.endsWith("5 resolved, 3 still open, 8 reports read\n")) << check.out.toStdString();
    for (const char *line : {"(non monta, KORVA/KS060, vehicle 1001): open: still as reported",
                             "(altro, KORVA/KS060, vehicle 1001): open: \"Altro\" is resolved by hand only",
                             "(foto errata, KORVA/KS060, vehicle 1001): open",
                             "(dati tecnici errati, KORVA/KS060, vehicle 1001): resolved: Dati tecnici cambiati: "
                             "CAPACITA 60 \u2192 61",
                             "(nota errata, KORVA/KS060, vehicle 1001): resolved: Nota cambiata",
                             "(non monta, KORVA/KS062, vehicle 1001): resolved: Il codice KS062 non è più indicato",
                             "(manca una batteria adatta, KORVA/KS060, vehicle 1001): resolved: Il codice KP070 ora",
                             "(non monta, KORVA/KP074, vehicle 1002): resolved: Veicolo tolto dal catalogo"})
        EXPECT_TRUE(check.out.contains(QString::fromUtf8(line))) << line << "\n" << check.out.toStdString();
    const buildtest::RunResult unchanged = buildtest::runTool("catalogue-check", {"--reports", exported, oldMdb});
    EXPECT_TRUE(unchanged.out.contains("0 resolved, 8 still open"))
        << "the catalogue they were filed on: " << unchanged.out.toStdString();

    // The counter's program opens the update.
    ASSERT_TRUE(QFile::remove(folder + "/db/vc_korva.mdb"));
    ASSERT_TRUE(QFile::copy(newMdb, folder + "/db/vc_korva.mdb"));
    const FlowResult update = RunFlow(folder, "brand KORVA\nclick ButtonNovita\ndump\nclose frm_novita\n"
                                              "key gridMarca Shift+F9\nselect ComboFiltro Risolte\ndump\n");
    ASSERT_EQ(update.exitCode, 0) << update.err.toStdString();
    ASSERT_EQ(update.dumps.size(), 2u);
    const QString news = update.dumps[0]["texts"]["MemoNovita"].toString();
    EXPECT_TRUE(news.startsWith("Segnalazioni risolte: 5\n")) << news.left(600).toStdString();
    EXPECT_TRUE(news.contains("KP074 non monta: KP074 no \u2013 Veicolo tolto dal catalogo"))
        << news.left(600).toStdString();
    const QJsonArray resolved = tableRows(update.dumps[1], "GridSegnalazioni");
    ASSERT_EQ(resolved.size(), 5);
    for (const QJsonValue &row : resolved) {
        EXPECT_EQ(row.toArray()[1].toString(), "Risolta");
        EXPECT_TRUE(row.toArray()[8].toString().startsWith("Risolta nell'aggiornamento del 20/12/2026 \u2013 "))
            << row.toArray()[8].toString().toStdString();
    }
}

} // namespace
