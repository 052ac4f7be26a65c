// The search box and type-ahead played through the UI script driver on the demo
// catalogue: what the list shows for vehicles, codes, old codes and measures, hostile
// text, Escape, a vehicle chosen against the same vehicle clicked, and letters typed into
// each vehicle grid; then the small catalogue of another tool, with its accented names.
#include "tests/tools/flows_support.h"

#include "tests/common/test_support.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace flows;

namespace {

QJsonObject List(const QJsonObject &dump) { return dump["lists"]["ListaTrova"].toObject(); }

QStringList ListRows(const QJsonObject &dump)
{
    QStringList rows;
    for (const QJsonValue row : List(dump)["rows"].toArray())
        rows << row.toString();
    return rows;
}

// What the window shows once a vehicle is reached: the four grids and the battery data.
QJsonObject Reached(const QJsonObject &dump)
{
    return QJsonObject{{"grids", dump["grids"]}, {"edits", dump["edits"]}, {"labels", dump["labels"]},
                       {"note", dump["note"]},   {"photo", dump["photo"]}, {"mode", dump["mode"]}};
}

TEST(FlowQuickFind, TheListAnswersEachKindOfTextAndAChosenVehicleIsWhereClicksLead)
{
    const QString folder = DemoFolder();
    const QString script = QStringLiteral("brand KORVA\n"
                                          "type EditTrova ARNO 1.9\n" // 1: words in any case
                                          "dump\n"
                                          "type EditTrova bi-fuel arno\n" // 2: vehicle 4 has no relation row
                                          "dump\n"
                                          "type EditTrova KS04\n" // 3: a code prefix and a run-out old code
                                          "dump\n"
                                          "type EditTrova kp072\n" // 4: an old code with its successor
                                          "dump\n"
                                          "type EditTrova 278 x 175 x 190\n" // 5: measures
                                          "dump\n"
                                          "type EditTrova \" OR \"\"=\" [%*?;\n" // 6: hostile text
                                          "dump\n"
                                          "key EditTrova Escape\n" // 7: the list closes, the text stays
                                          "dump\n"
                                          "type EditTrova 1.9 arno\n" // 8: chosen with Down and Enter
                                          "key EditTrova Down\n"
                                          "key EditTrova Enter\n"
                                          "dump\n"
                                          "click-cell gridMarca 2\n" // 9: elsewhere, then back by clicks
                                          "click-cell gridMarca 1\n"
                                          "click-cell gridModello 1\n"
                                          "click-cell gridVersione 5\n"
                                          "dump\n");
    const FlowResult run = RunFlow(folder, script);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 9u);
    const auto &d = run.dumps;

    EXPECT_TRUE(List(d[0])["visible"].toBool());
    // Vehicle 5 of the hand-made make; no generated model name holds "arno".
    EXPECT_EQ(ListRows(d[0]),
              QStringList({"Veicoli", "Alvena Arno 1.9 D \u00b7 Diesel \u00b7 1998\u20132004 \u00b7 59 kW"}));
    EXPECT_EQ(List(d[0])["currentRow"].toInt(), 1);
    EXPECT_EQ(ListRows(d[1]), QStringList({"Nessun veicolo, codice o misura trovato"}));
    EXPECT_EQ(List(d[1])["currentRow"].toInt(), -1);
    const QStringList codes = ListRows(d[2]);
    ASSERT_GE(codes.size(), 3);
    EXPECT_EQ(codes[0], "Codici batteria");
    EXPECT_EQ(codes.filter(QRegularExpression("^KS04")).size(), codes.size() - 1);
    EXPECT_EQ(codes.filter(QRegularExpression("^KS044 \u00b7 Korva Start")).size(), 1);
    EXPECT_TRUE(codes.contains("KS041 \u00b7 vecchio codice \u00b7 esaurimento"));
    EXPECT_TRUE(ListRows(d[3]).contains("KP072 \u00b7 vecchio codice \u00b7 sostituito da KP074"));
    const QStringList measures = ListRows(d[4]);
    ASSERT_GE(measures.size(), 2);
    EXPECT_EQ(measures[0], "Misure");
    EXPECT_TRUE(measures.filter("278\u00d7175\u00d7190").size() == measures.size() - 1);
    EXPECT_EQ(ListRows(d[5]), QStringList({"Nessun veicolo, codice o misura trovato"}));
    EXPECT_FALSE(List(d[6])["visible"].toBool());
    EXPECT_EQ(EditText(d[6], "EditTrova"), "\" OR \"\"=\" [%*?;");
    for (const QJsonObject &dump : d)
        EXPECT_TRUE(MessageTexts(dump).isEmpty()) << "typing never brings a message";

    EXPECT_FALSE(List(d[7])["visible"].toBool());
    EXPECT_EQ(Current(d[7], "gridVersione", 1), "1.9 D");
    EXPECT_EQ(Reached(d[7]).value("grids")["gridMarca"]["CurrentRow"].toInt(), 1);
    QJsonObject chosen = Reached(d[7]), clicked = Reached(d[8]);
    // The box is no part of where the clicks lead.
    QJsonObject edits = chosen["edits"].toObject();
    edits.remove("EditTrova");
    chosen["edits"] = edits;
    edits = clicked["edits"].toObject();
    edits.remove("EditTrova");
    clicked["edits"] = edits;
    EXPECT_EQ(chosen, clicked);
}

TEST(FlowQuickFind, LettersTypedIntoEachGridJumpToTheName)
{
    const QString script = QStringLiteral("brand KORVA\n"
                                          "key gridMarca ca\n"
                                          "dump\n"
                                          "click-cell gridMarca 1\n"
                                          "key gridModello ta\n"
                                          "dump\n"
                                          "click-cell gridModello 1\n"
                                          "key gridVersione 1.4\n"
                                          "dump\n");
    const FlowResult run = RunFlow(DemoFolder(), script);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_TRUE(Current(run.dumps[0], "gridMarca", 2).startsWith("Ca"));
    // The models below are those of the make reached.
    EXPECT_NE(Column(run.dumps[0], "gridModello", 1), Column(run.dumps[1], "gridModello", 1));
    EXPECT_EQ(Current(run.dumps[1], "gridModello", 1), "Tarvo 5\"");
    EXPECT_EQ(Current(run.dumps[2], "gridVersione", 1), "1.4 GPL");
    // Vehicle 3's range "Korva Service" is represented by KV035 alone.
    EXPECT_TRUE(Column(run.dumps[2], "GridOutput", 2).contains("KV035")) << "the batteries follow the version";
}

// The small catalogue of another tool: accented names found by unaccented words, a vehicle
// without relation row never listed, and a vehicle chosen by Enter.
TEST(FlowQuickFind, TheSmallCatalogueIsSearchedAsItCompares)
{
    QTemporaryDir dir;
    const QString folder = CopyDemoFolder(dir);
    for (const QString name : {"vc_korva.mdb", "system.mdw"}) {
        QFile::remove(folder + "/db/" + name);
        ASSERT_TRUE(QFile::copy(testsupport::fixture("catalogue-small/" + name), folder + "/db/" + name));
    }
    const FlowResult run = RunFlow(folder, "brand KORVA\n"
                                           "type EditTrova pratola\n"
                                           "dump\n"
                                           "type EditTrova TORRE\n"
                                           "dump\n"
                                           "type EditTrova citta 1.1\n"
                                           "key EditTrova Enter\n"
                                           "dump\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(ListRows(run.dumps[0]).filter("Aurelia Motori Pràtola ").size(), 2);
    EXPECT_EQ(ListRows(run.dumps[1]),
              QStringList({"Veicoli", "Casoni Torre 1.8 TDI 4x4 \u00b7 Diesel \u00b7 1995\u20132001 \u00b7 66 kW"}))
        << "1011, the van, has no relation row";
    EXPECT_EQ(Current(run.dumps[2], "gridMarca", 2), "Casoni");
    EXPECT_EQ(Current(run.dumps[2], "gridModello", 1), "Città");
    EXPECT_EQ(Current(run.dumps[2], "gridVersione", 1), "1.1 Eco");
    EXPECT_TRUE(MessageTexts(run.dumps[2]).isEmpty());
}

} // namespace
