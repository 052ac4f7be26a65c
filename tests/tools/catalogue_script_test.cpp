// The UI script driver run as people run it: a script file against a program folder,
// one JSON object per dump on standard output, failures as "line N: ..." on standard
// error with a non-zero exit.
#include "tests/common/test_support.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <initializer_list>
#include <vector>

namespace {

struct ScriptRun {
    int exitCode = -1;
    std::vector<QJsonObject> dumps;
    QString out;
    QString err;
};

ScriptRun RunScript(const QString &programFolder, const QString &script)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("steps.txt");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(script.toUtf8());
    file.close();

    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("CATALOG_CACHE_DIR", testsupport::copyCacheDir());
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(dir.path());
    p.start(testsupport::binDir() + "/tools/catalogue-script/catalogue-script", {programFolder, path});
    EXPECT_TRUE(p.waitForFinished(300000));
    ScriptRun run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.out = QString::fromUtf8(p.readAllStandardOutput());
    run.err = QString::fromUtf8(p.readAllStandardError());
    for (const QString &line : run.out.split('\n', Qt::SkipEmptyParts)) {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line.toUtf8(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        run.dumps.push_back(doc.object());
    }
    return run;
}

QStringList WindowNames(const QJsonObject &dump)
{
    QStringList names;
    for (const QJsonValue w : dump["windows"].toArray())
        names << w["name"].toString();
    return names;
}

QJsonObject Grid(const QJsonObject &dump, const char *name) { return dump["grids"][name].toObject(); }

// The text of the grid's row `row` in its `n`th visible column, as the dump lists it.
QString CellOfRow(const QJsonObject &grid, int row, int n)
{
    for (const QJsonValue r : grid["rows"].toArray()) {
        if (r["row"].toInt() == row)
            return r["cells"][n].toString();
    }
    return "<no row>";
}

bool DemoCatalogueBuilt() { return QFile::exists(testsupport::appDir() + "/db/vc_korva.mdb"); }

// A script, how the run ends, a text its standard error must hold and how many dumps
// it printed before it ended.
struct ScriptCase {
    const char *script;
    int exitCode;
    const char *error;
    size_t dumps;
};

void CheckCases(std::initializer_list<ScriptCase> cases)
{
    for (const ScriptCase &c : cases) {
        const ScriptRun run = RunScript(testsupport::appDir(), c.script);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.script << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(c.error)) << c.script << " gave: " << run.err.toStdString();
        EXPECT_EQ(run.dumps.size(), c.dumps) << "the steps before the failing line ran, none after it: " << c.script;
    }
}

TEST(CatalogueScript, ScriptMistakesFailWithTheirLineBeforeTheProgramStarts)
{
    CheckCases({
        {"# a comment\n\njump gridMarca\n", 1, "line 3: unknown action \"jump\"", 0},
        {"dump\n  \nclick-cell gridMarca first\n", 1, "line 3: expected \"click-cell GRID ROW\"", 0},
        {"dump now\n", 1, "line 1: expected \"dump\"", 0},
        {"click\n", 1, "line 1: expected \"click NAME\"", 0},
        {"dump\r\nselect ComboListino\r\n", 1, "line 2: expected \"select COMBO TEXT\"", 0},
        {"wait -5\n", 1, "line 1: expected \"wait MS\"", 0},
    });
}

TEST(CatalogueScript, UnknownControlEndsTheScriptAtItsLine)
{
    CheckCases({
        {"dump\nclick NoSuchButton\ndump\n", 1, "line 2: no control named NoSuchButton on screen", 1},
        {"dump\nkey ImageKorva Sideways\n", 1, "line 2: unknown key Sideways", 1},
        {"dump\ntype ImageKorva abc\n", 1, "line 2: ImageKorva is not a field", 1},
        {"dump\nclick-cell Image32LogIn 1\n", 1, "line 2: Image32LogIn is not a grid", 1},
    });
}

TEST(CatalogueScript, StepsAfterTheProgramEndedFailAndAnEndingLastStepSucceeds)
{
    CheckCases({
        {"brand KORVA\nclick VrBitmapButton5\ndump\n", 1, "line 3: the program ended after line 2, before this step",
         0},
        {"click VrBitmapButton1\ndump\n", 1, "line 2: the program ended after line 1, before this step", 0},
        {"brand KORVA\nclick VrBitmapButton5\n", 0, "", 0},
        {"click VrBitmapButton1\n", 0, "", 0},
    });
}

TEST(CatalogueScript, MessagesAreRecordedAndEachDumpShowsTheNewOnes)
{
    // A program folder without pictures or catalogue: start-up reports the missing
    // pictures instead of showing message boxes, and still reaches the brand screen.
    QTemporaryDir empty;
    const ScriptRun run = RunScript(empty.path(), "dump\ndump\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const QJsonArray first = run.dumps[0]["messages"].toArray();
    ASSERT_FALSE(first.isEmpty());
    bool namesIntro = false;
    for (const QJsonValue m : first) {
        EXPECT_FALSE(m["kind"].toString().isEmpty());
        EXPECT_FALSE(m["caption"].toString().isEmpty());
        namesIntro = namesIntro || m["text"].toString().contains("intro.jpg");
    }
    EXPECT_TRUE(namesIntro) << QJsonDocument(first).toJson().toStdString();
    EXPECT_TRUE(run.dumps[1]["messages"].toArray().isEmpty());
    EXPECT_EQ(WindowNames(run.dumps[0]), QStringList{"FormSelect"});
    EXPECT_EQ(run.dumps[0]["windows"][0]["caption"].toString(), "DazozIzizavuv Korva");
    EXPECT_EQ(run.dumps[1]["line"].toInt(), 2);
}

TEST(CatalogueScript, BrandOpensTheCatalogueWindowAndBackReturnsToTheBrandScreen)
{
    if (!DemoCatalogueBuilt())
        GTEST_FAIL() << "the demo catalogue is not in " << testsupport::appDir().toStdString();
    QTemporaryDir shots;
    const QString shot = shots.filePath("window.png");
    const ScriptRun run = RunScript(testsupport::appDir(), "brand KORVA\n"
                                                           "dump\n"
                                                           "screenshot "
                                                               + shot
                                                               + "\n"
                                                                 "click VrBitmapButton6\n"
                                                                 "dump\n"
                                                                 "click ImageQuib\n"
                                                                 "dump\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);

    const QJsonObject korva = run.dumps[0];
    EXPECT_EQ(WindowNames(korva), QStringList{"frm_main"}) << "the brand screen hides as the window opens";
    EXPECT_EQ(korva["combos"]["ComboListino"]["selected"].toString(), "KORVA");
    for (const char *grid : {"gridMarca", "gridModello", "gridVersione", "GridOutput"}) {
        const QJsonObject g = Grid(korva, grid);
        EXPECT_GE(g["RowCount"].toInt(), 2) << grid;
        EXPECT_EQ(g["CurrentRow"].toInt(), 1) << grid;
        EXPECT_EQ(g["current"].toArray().size(), g["ColCount"].toInt()) << grid;
        EXPECT_TRUE(g["Color"].toString().startsWith('#')) << grid;
    }
    EXPECT_FALSE(korva["edits"]["EditCodice"]["text"].toString().isEmpty());
    EXPECT_EQ(korva["labels"]["LabelCodice"].toString(), korva["edits"]["EditCodice"]["text"].toString());
    EXPECT_GT(korva["photo"]["width"].toInt(), 0);
    EXPECT_TRUE(korva["photo"]["path"].toString().contains("foto"));
    EXPECT_FALSE(korva["mode"].toBool());

    const QImage picture(shot);
    EXPECT_EQ(picture.size(), QSize(1023, 769));

    EXPECT_EQ(WindowNames(run.dumps[1]), QStringList{"FormSelect"});
    const QJsonObject quib = run.dumps[2];
    EXPECT_EQ(WindowNames(quib), QStringList{"frm_main"});
    EXPECT_EQ(quib["combos"]["ComboListino"]["selected"].toString(), "QUIB");
}

TEST(CatalogueScript, CellClicksKeysTypingAndListChoicesReachTheControls)
{
    if (!DemoCatalogueBuilt())
        GTEST_FAIL() << "the demo catalogue is not in " << testsupport::appDir().toStdString();
    // The last rows are learnt first: clicking them checks where the driver puts the
    // mouse, and the battery list of a container search is longer than its grid shows.
    const QString search = "type EditMonoblocco L2\nclick VrBitmapButton4\n";
    const ScriptRun first = RunScript(testsupport::appDir(), "brand KORVA\ndump\n" + search + "dump\n");
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_EQ(first.dumps.size(), 2u);
    const int lastMake = Grid(first.dumps[0], "gridMarca")["RowCount"].toInt() - 1;
    const int lastBattery = Grid(first.dumps[1], "GridOutput")["RowCount"].toInt() - 1;
    ASSERT_GE(lastMake, 3);
    ASSERT_GT(lastBattery * 21, 136) << "the search should list more batteries than the grid shows";

    const ScriptRun run = RunScript(testsupport::appDir(), QString("brand KORVA\n"
                                                                   "click-cell gridMarca %1\n"
                                                                   "dump\n"
                                                                   "click-cell gridMarca 2\n"
                                                                   "key gridMarca Down\n"
                                                                   "dump\n"
                                                                   "type EditCodice ab 12\n"
                                                                   "dump\n"
                                                                   "select ComboListino QUIB\n"
                                                                   "dump\n"
                                                                   "select ComboListino KORVA\n"
                                                                   "%2"
                                                                   "click-cell GridOutput %3\n"
                                                                   "dump\n")
                                                               .arg(lastMake)
                                                               .arg(search)
                                                               .arg(lastBattery));
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 5u);
    EXPECT_EQ(Grid(run.dumps[0], "gridMarca")["CurrentRow"].toInt(), lastMake);

    // The visible columns of the make grid are the marker and the name (the key is hidden).
    const QJsonObject makes = Grid(run.dumps[1], "gridMarca");
    EXPECT_EQ(makes["CurrentRow"].toInt(), 3) << "click on row 2, then Down";
    EXPECT_EQ(makes["columns"].toArray(), (QJsonArray{0, 2}));
    EXPECT_EQ(CellOfRow(makes, 3, 1), makes["current"][2].toString());

    EXPECT_EQ(run.dumps[2]["edits"]["EditCodice"]["text"].toString(), "ab 12");

    // The price-list change re-lists the batteries, whose first one refills the fields.
    const QJsonObject quib = run.dumps[3];
    EXPECT_EQ(quib["combos"]["ComboListino"]["selected"].toString(), "QUIB");
    EXPECT_EQ(Grid(quib, "GridOutput")["current"][0].toString(), "QUIB");
    EXPECT_NE(quib["edits"]["EditCodice"]["text"].toString(), "ab 12");

    const QJsonObject batteries = Grid(run.dumps[4], "GridOutput");
    EXPECT_EQ(batteries["CurrentRow"].toInt(), lastBattery);
    EXPECT_GT(batteries["TopRow"].toInt(), 1) << "the grid scrolled to show the clicked row";
    EXPECT_EQ(run.dumps[4]["edits"]["EditCodice"]["text"].toString(), batteries["current"][3].toString());
}

} // namespace

namespace {

// A program folder of the built pictures and a catalogue of its own, which a test swaps.
struct SwappableProgram {
    QTemporaryDir dir;
    SwappableProgram()
    {
        QDir root(dir.path());
        root.mkpath("db");
        for (const char *sub : {"img", "foto"})
            QFile::link(testsupport::appDir() + "/" + sub, root.filePath(sub));
        for (const char *name : {"vc_korva.mdb", "system.mdw"})
            QFile::copy(testsupport::fixture(QString("catalogue-small/") + name), root.filePath(QString("db/") + name));
    }
    void swapIn(const QString &mdb)
    {
        QFile::remove(dir.filePath("db/vc_korva.mdb"));
        ASSERT_TRUE(QFile::copy(mdb, dir.filePath("db/vc_korva.mdb")));
    }
};

TEST(CatalogueScript, WhatsNewIsDumpedAndClicked)
{
    SwappableProgram program;
    const ScriptRun first = RunScript(program.dir.path(), "brand KORVA\ndump\n");
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_FALSE(first.dumps[0]["buttons"]["ButtonNovita"]["visible"].toBool()) << "the first catalogue has no report";

    program.swapIn(testsupport::appDir() + "/db/vc_korva.mdb");
    const ScriptRun swapped = RunScript(program.dir.path(), "brand KORVA\ndump\nclick ButtonNovita\ndump\n");
    ASSERT_EQ(swapped.exitCode, 0) << swapped.err.toStdString();
    ASSERT_EQ(swapped.dumps.size(), 2u);
    EXPECT_EQ(swapped.dumps[0]["buttons"]["ButtonNovita"]["text"].toString(), "Novità del catalogo");
    EXPECT_TRUE(swapped.dumps[0]["buttons"]["ButtonNovita"]["visible"].toBool());
    EXPECT_TRUE(WindowNames(swapped.dumps[1]).contains("frm_novita"));
    const QString report = swapped.dumps[1]["texts"]["MemoNovita"].toString();
    EXPECT_TRUE(report.startsWith("Catalogo precedente: ")) << report.left(200).toStdString();
    EXPECT_TRUE(report.contains("veicoli aggiunti")) << report.left(400).toStdString();
}

} // namespace
