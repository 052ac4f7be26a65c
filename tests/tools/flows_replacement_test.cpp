// The replacement finder through the UI script driver on the demo catalogue: opened with
// Ctrl+R or its button on the battery shown, a bad number refused with one message, and a
// battery chosen there shown in the catalogue window in applications mode.
#include "tests/tools/flows_support.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

// The grid's visible rows as the dump lists them (the list's caption row is hidden).
QList<QStringList> Rows(const QJsonObject &dump, const QString &grid)
{
    QList<QStringList> rows;
    for (const QJsonValue row : Grid(dump, grid)["rows"].toArray()) {
        QStringList cells;
        for (const QJsonValue cell : row["cells"].toArray())
            cells << cell.toString();
        rows << cells;
    }
    return rows;
}

TEST(FlowReplacement, OpensOnTheShownBatteryAndShowsTheChosenOneInApplicationsMode)
{
    const FlowResult run = RunFlow(DemoFolder(),
                                   "brand KORVA\n"
                                   "key gridMarca Ctrl+R\n"
                                   "dump\n" // 0 the finder on KS060
                                   "type EditSostLunghezza 24x\n"
                                   "key EditSostLunghezza Enter\n"
                                   "dump\n" // 1 refused
                                   "type EditSostLunghezza 242\n"
                                   "type EditSostTolleranza 0,5\n"
                                   "click VrBitmapButtonSostCerca\n"
                                   "dump\n" // 2 the same list
                                   "click-cell GridSostituzione 2\n"
                                   "key GridSostituzione Enter\n"
                                   "dump\n"); // 3 back in the catalogue
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    const auto &d = run.dumps;

    // The finder in front, its fields holding the battery the catalogue window showed.
    EXPECT_TRUE(WindowNames(d[0]).contains("frm_sostituzione"));
    EXPECT_EQ(EditText(d[0], "EditSostLunghezza"), "242");
    EXPECT_EQ(EditText(d[0], "EditSostLarghezza"), "175");
    EXPECT_EQ(EditText(d[0], "EditSostAltezza"), "190");
    EXPECT_EQ(EditText(d[0], "EditSostPolarita"), "DX");
    EXPECT_EQ(EditText(d[0], "EditSostAttacchi"), "B13");
    EXPECT_EQ(EditText(d[0], "EditSostCapacita"), "60");
    EXPECT_EQ(EditText(d[0], "EditSostScarica"), "540");
    EXPECT_EQ(EditText(d[0], "EditSostTolleranza"), "0");
    EXPECT_TRUE(d[0]["labels"]["LabelSostListino"].toString().contains("KORVA"));

    // KS060 comes first, or after batteries exactly like it: same measures, polarity,
    // hold-down and ratings.
    const QList<QStringList> rows = Rows(d[0], "GridSostituzione");
    ASSERT_GE(rows.size(), 2) << "KS060 and at least one other";
    EXPECT_EQ(Rows(d[0], "GridSostituzioneTitoli").value(0).value(1), "Codice");
    // The battery's values, from capacity to hold-down; the shop's stock comes after them.
    const QStringList identical = {"60 (=)", "540 (=)", "DX", "242 (=)", "175 (=)", "190 (=)", "B13"};
    qsizetype self = -1;
    for (qsizetype r = 0; r < rows.size() && self < 0; ++r) {
        if (rows[r][1] == "KS060")
            self = r;
        else
            EXPECT_EQ(rows[r].mid(2, identical.size()), identical)
                << "row " << r << " before KS060: " << rows[r].join(" | ").toStdString();
    }
    ASSERT_GE(self, 0) << "KS060 is listed";
    EXPECT_EQ(rows[self].mid(2, identical.size()), identical);
    // KS062 has the same measures but the other polarity: after every DX battery that
    // fits as well, marked.
    for (const QStringList &row : rows) {
        if (row[1] == "KS062") {
            EXPECT_EQ(row[4], "SX \u2260");
        }
    }

    // A bad number: one message naming the field, the list as it was.
    const QStringList refused = MessageTexts(d[1]);
    ASSERT_EQ(refused.size(), 1);
    EXPECT_TRUE(refused[0].contains("Lunghezza mm")) << refused[0].toStdString();
    EXPECT_TRUE(refused[0].contains("24x"));
    EXPECT_EQ(d[1]["messages"][0]["caption"].toString(), "Attenzione");
    EXPECT_EQ(Rows(d[1], "GridSostituzione"), rows);
    EXPECT_EQ(Rows(d[2], "GridSostituzione"), rows) << "0,5 mm of tolerance lets no KORVA battery in";

    // Row 2 chosen: the finder closes and the catalogue window shows that battery by a
    // code search, in applications mode.
    const QString chosen = rows[1][1];
    EXPECT_FALSE(WindowNames(d[3]).contains("frm_sostituzione"));
    EXPECT_TRUE(MessageTexts(d[3]).isEmpty()) << MessageTexts(d[3]).join(" / ").toStdString();
    EXPECT_EQ(EditText(d[3], "EditCodice"), chosen);
    EXPECT_EQ(Current(d[3], "GridOutput", 3), chosen);
    EXPECT_EQ(EditColor(d[3], "EditCodice"), kHighlight);
    EXPECT_TRUE(d[3]["mode"].toBool());
    EXPECT_GT(Grid(d[3], "gridMarca")["RowCount"].toInt(), 1) << "the makes the chosen battery fits";
}

TEST(FlowReplacement, TheButtonOpensItAndChiudiLeavesTheCatalogueAsItWas)
{
    const FlowResult run = RunFlow(DemoFolder(),
                                   "brand KORVA\n"
                                   "dump\n" // 0 before
                                   "click VrBitmapButtonSostituzione\n"
                                   "type EditSostAltezza 175\n"
                                   "key EditSostAltezza Enter\n"
                                   "dump\n" // 1 lower batteries only
                                   "click ButtonSostChiudi\n"
                                   "dump\n"); // 2 after
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    const auto &d = run.dumps;
    const QList<QStringList> rows = Rows(d[1], "GridSostituzione");
    ASSERT_GE(rows.size(), 1);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QString height = rows[r][7];
        EXPECT_TRUE(height.startsWith("175 (=)") || height.contains("\u2212")) << height.toStdString();
    }
    EXPECT_FALSE(WindowNames(d[2]).contains("frm_sostituzione"));
    for (const char *part : {"grids", "edits", "mode"})
        EXPECT_EQ(d[2][part], d[0][part]) << part;
}

} // namespace
