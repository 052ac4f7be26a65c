// The vehicle drill-down played through the UI script driver on the demo catalogue: what
// the window shows for each brand, how each click, key and price-list choice reloads the
// levels below it, and the battery data, photo and note at the end of every cascade.
#include "tests/tools/flows_support.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

// Where each data field and caption label takes its text in the battery row.
const struct {
    const char *edit;
    int column;
} kFieldColumns[] = {
    {"EditGamma", 2},     {"EditCodice", 3},    {"EditCapacita", 4}, {"EditScarica", 5},   {"EditPolarita", 6},
    {"EditLunghezza", 7}, {"EditLarghezza", 8}, {"EditAltezza", 9},  {"EditAttacchi", 10}, {"EditMonoblocco", 11},
};
const struct {
    const char *label;
    int column;
} kLabelColumns[] = {{"LabelCodice", 3}, {"LabelCapacita", 4}, {"LabelScarica", 5}};

// The fields, labels, note and photo show the battery of the battery grid's current row.
void ExpectCurrentBatteryShown(const QJsonObject &dump, const QString &folder, const std::string &where)
{
    SCOPED_TRACE(where);
    for (const auto &f : kFieldColumns)
        EXPECT_EQ(EditText(dump, f.edit), Current(dump, "GridOutput", f.column)) << f.edit;
    for (const auto &l : kLabelColumns)
        EXPECT_EQ(dump["labels"][l.label].toString(), Current(dump, "GridOutput", l.column)) << l.label;
    EXPECT_EQ(dump["note"].toString(), Current(dump, "GridOutput", 13));
    const QString photo = Current(dump, "GridOutput", 12);
    EXPECT_EQ(PhotoFile(dump, folder), photo.isEmpty() ? "foto/vuoto.JPG" : "foto/" + photo + ".JPG");
    EXPECT_GT(dump["photo"]["width"].toInt(), 0);
}

QStringList Codes(const QJsonObject &dump)
{
    return Column(dump, "GridOutput", 2); // visible columns: blank, range, code, ...
}

TEST(FlowDrillDown, EachBrandPreselectsItsPriceListAndCascadesToTheFirstBattery)
{
    const QString folder = DemoFolder();
    const QStringList brands{"KORVA", "QUIB", "BRASK", "FENU", "ZELKAR"};
    QString script;
    for (const QString &brand : brands)
        script += "brand " + brand + "\ndump\nclick VrBitmapButton6\n";
    // A brand code in another letter case is no price list.
    script += "brand korva\ndump\n";
    const FlowResult run = RunFlow(folder, script);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), size_t(brands.size() + 1));

    // Vehicle 1 of the hand-made make fits a battery of every price list, so every visit
    // ends on a battery of its own brand.
    for (int i = 0; i < brands.size(); ++i) {
        const QJsonObject &d = run.dumps[size_t(i)];
        SCOPED_TRACE(brands[i].toStdString());
        EXPECT_EQ(WindowNames(d), QStringList{"frm_main"});
        EXPECT_EQ(d["combos"]["ComboListino"]["selected"].toString(), brands[i]);
        EXPECT_EQ(d["combos"]["ComboListino"]["items"].toArray().size(), brands.size());
        EXPECT_EQ(Current(d, "gridMarca", 2), "Alvena");
        EXPECT_EQ(Current(d, "gridModello", 1), "Arno");
        EXPECT_EQ(Current(d, "gridVersione", 1), "1.0 12V");
        for (const char *grid : {"gridMarca", "gridModello", "gridVersione", "GridOutput"})
            EXPECT_EQ(CurrentRow(d, grid), 1) << grid;
        EXPECT_EQ(Current(d, "GridOutput", 0), brands[i]);
        EXPECT_TRUE(d["messages"].toArray().isEmpty());
        ExpectCurrentBatteryShown(d, folder, "first battery");
    }
    // The tallest of each range only: KS044 (175) gives way to KS060 and KS062 (190).
    const QJsonObject &korva = run.dumps[0];
    EXPECT_EQ(Codes(korva), (QStringList{"KS060", "KS062", "KP074"}));
    EXPECT_EQ(EditText(korva, "EditCodice"), "KS060");
    EXPECT_EQ(korva["note"].toString(), "<B>Più venduta</B>");
    EXPECT_EQ(PhotoFile(korva, folder), "foto/korva_start.JPG");

    const QJsonObject &lower = run.dumps.back();
    EXPECT_EQ(lower["combos"]["ComboListino"]["ItemIndex"].toInt(), -1);
    EXPECT_EQ(Current(lower, "gridVersione", 1), "1.0 12V") << "makes, models and versions still load";
    // The battery grid keeps its empty design rows and no battery is ever chosen.
    for (const QJsonValue row : Grid(lower, "GridOutput")["rows"].toArray()) {
        for (const QJsonValue cell : row["cells"].toArray())
            EXPECT_EQ(cell.toString(), "");
    }
    EXPECT_EQ(lower["labels"]["LabelCodice"].toString(), "Codice");
    EXPECT_EQ(EditText(lower, "EditCodice"), "");
    EXPECT_EQ(lower["photo"]["path"].toString(), "");
}

TEST(FlowDrillDown, MarkersSitInTheMakeAndModelGridsOnly)
{
    const QString folder = DemoFolder();
    const FlowResult run = RunFlow(folder, "brand KORVA\ndump\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 1u);
    const QJsonObject &d = run.dumps[0];
    const QString marker =
        "<IMG src=\"file://" + folder + "/img/BALL.bmp\" align=\"middle\" width=\"15\" height=\"15\">";
    // The make grid marks every row while it loads; the model grid the rows it paints,
    // which are all of Arno's few.
    for (const char *grid : {"gridMarca", "gridModello"}) {
        const QStringList cells = Column(d, grid, 0);
        ASSERT_FALSE(cells.isEmpty()) << grid;
        EXPECT_EQ(cells, QStringList(cells.size(), marker)) << grid;
        EXPECT_EQ(Grid(d, grid)["columns"].toArray().size(), 2) << grid << ": marker and name, the key hidden";
    }
    EXPECT_EQ(Column(d, "gridModello", 1), (QStringList{"Arno", "Tarvo 5\"", "Volano"}));
    for (const QString &text : Column(d, "gridVersione", 0))
        EXPECT_FALSE(text.contains("<IMG")) << "the version grid has no markers";
}

TEST(FlowDrillDown, ClicksKeysAndPriceListsReloadTheLevelsBelow)
{
    const QString folder = DemoFolder();
    const FlowResult run = RunFlow(folder,
                                   "brand KORVA\n"
                                   "dump\n" // 0 the opening cascade
                                   "click-cell gridMarca 2\n"
                                   "dump\n" // 1 another make
                                   "click-cell gridMarca 1\n"
                                   "click-cell gridVersione 2\n"
                                   "dump\n" // 2 vehicle 2, first relation row
                                   "click-cell gridVersione 3\n"
                                   "dump\n" // 3 vehicle 2, second relation row
                                   "click-cell GridOutput 2\n"
                                   "dump\n" // 4 KA080, no photo
                                   "click-cell GridOutput 1\n"
                                   "dump\n" // 5 KS060 again
                                   "click-cell GridOutput 3\n"
                                   "key gridVersione Shift\n"
                                   "dump\n" // 6 Shift alone
                                   "key gridVersione Down\n"
                                   "dump\n" // 7 vehicle 3
                                   "key gridVersione Up\n"
                                   "dump\n" // 8 back on vehicle 2
                                   "click-cell gridVersione 1\n"
                                   "select ComboListino QUIB\n"
                                   "dump\n" // 9 vehicle 1 in QUIB
                                   "click-cell gridModello 2\n"
                                   "dump\n"); // 10 the model with a quote
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 11u);
    const auto &d = run.dumps;
    for (size_t i = 0; i < d.size(); ++i) {
        EXPECT_TRUE(d[i]["messages"].toArray().isEmpty()) << "dump " << i;
        ExpectCurrentBatteryShown(d[i], folder, "dump " + std::to_string(i));
    }

    // Another make: models, versions and batteries replaced at once, each on its row 1.
    EXPECT_NE(Current(d[1], "gridMarca", 2), "Alvena");
    EXPECT_NE(Column(d[1], "gridModello", 1), Column(d[0], "gridModello", 1));
    EXPECT_NE(Current(d[1], "gridVersione", 0), Current(d[0], "gridVersione", 0));
    for (const char *grid : {"gridModello", "gridVersione", "GridOutput"})
        EXPECT_EQ(CurrentRow(d[1], grid), 1) << grid;

    // A vehicle listed twice gives the same batteries from either row; KS060 fits through
    // both relation rows and is listed once.
    EXPECT_EQ(Codes(d[2]), (QStringList{"KS060", "KA080", "KV012"}));
    EXPECT_EQ(Codes(d[3]), Codes(d[2]));
    EXPECT_EQ(Current(d[3], "gridVersione", 0), Current(d[2], "gridVersione", 0));

    // A battery without a photo shows the placeholder; the one before comes back after it.
    EXPECT_EQ(EditText(d[4], "EditCodice"), "KA080");
    EXPECT_EQ(PhotoFile(d[4], folder), "foto/vuoto.JPG");
    EXPECT_EQ(PhotoFile(d[5], folder), "foto/korva_start.JPG");
    EXPECT_EQ(d[5]["photo"]["width"], d[2]["photo"]["width"]);

    // Releasing Shift re-lists the current version's batteries and shows the first again.
    EXPECT_EQ(CurrentRow(d[6], "gridVersione"), 3);
    EXPECT_EQ(CurrentRow(d[6], "GridOutput"), 1);
    EXPECT_EQ(EditText(d[6], "EditCodice"), "KS060");

    // The arrows move the version row; their release lists the version reached.
    EXPECT_EQ(CurrentRow(d[7], "gridVersione"), 4);
    EXPECT_EQ(Current(d[7], "gridVersione", 1), "1.4 GPL");
    EXPECT_EQ(Codes(d[7]), (QStringList{"KS044", "KV035"})) << "KV035 (175) is the taller of its range, not KV012";
    EXPECT_EQ(CurrentRow(d[8], "gridVersione"), 3);
    EXPECT_EQ(Codes(d[8]), Codes(d[2]));

    // The price list re-lists the current version in the new list.
    EXPECT_EQ(d[9]["combos"]["ComboListino"]["selected"].toString(), "QUIB");
    EXPECT_EQ(CurrentRow(d[9], "gridVersione"), 1);
    EXPECT_EQ(Current(d[9], "GridOutput", 0), "QUIB");
    EXPECT_TRUE(Codes(d[9]).contains("QC060"));
    EXPECT_FALSE(Codes(d[9]).contains("KS060"));

    // Quotes in a model name and a battery code travel through the statements unharmed.
    EXPECT_EQ(Current(d[10], "gridModello", 1), "Tarvo 5\"");
    EXPECT_EQ(Column(d[10], "gridVersione", 0), (QStringList{"1.2 \"City\"", "1.4 | Van"}));
    EXPECT_EQ(Codes(d[10]), QStringList{"QM12\""});
}

} // namespace
