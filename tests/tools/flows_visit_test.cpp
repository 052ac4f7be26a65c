// Whole visits played through the UI script driver on the demo catalogue: brand screen,
// drill-down, searches, applications mode, the zoom window, back to the brand screen,
// another brand that starts afresh on the same database connection, and the way out.
#include "tests/tools/flows_support.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

const char *const kSearchFields[] = {"EditGamma",      "EditCodice",    "EditCapacita",  "EditScarica",
                                     "EditPolarita",   "EditLunghezza", "EditLarghezza", "EditAltezza",
                                     "EditMonoblocco", "EditAttacchi"};

// The zoom window's picture area; the catalogue window's own photo box has the same name.
QJsonObject ZoomPicture(const QJsonObject &dump) { return dump["images"]["frm_zoom.ImageZoom"].toObject(); }

QString Blanks(int n) { return QString(n, ' '); }

TEST(FlowVisit, BrandScreenSearchesModeZoomBackAnotherBrandAndClose)
{
    QTemporaryDir scratch;
    const QString folder = CopyDemoFolder(scratch);
    Barrier barrier(scratch);
    Flow flow(folder,
              "click Image32LogIn\n" // beside the five brand areas
              "dump\n"               // 0
              "click ImageKorva\n"
              "dump\n" // 1
              "click-cell gridVersione 2\n"
              "click-cell GridOutput 2\n"
              "type EditCodice KS041\n"
              "click VrBitmapButton1\n"
              "dump\n" // 2 a run-out old code
              "type EditCodice KP072\n"
              "click VrBitmapButton1\n"
              "dump\n" // 3 an old code with a successor
              "click VrBitmapButtonApplicazioni\n"
              "dump\n" // 4 the mode left
              "click-cell GridOutput 2\n"
              "click VrBitmapButtonApplicazioni\n"
              "dump\n" // 5 the mode entered for KA080
              "click VrBitmapButtonZoom\n"
              "dump\n" // 6
              "click ZoomFoto\n"
              "dump\n" // 7
              "click VrBitmapButtonZoom\n"
              "close frm_zoom\n"
              "dump\n" // 8
                  + barrier.Line()
                  + "click VrBitmapButton6\n"
                    "dump\n" // 9 back on the brand screen
                    "click Image32LogIn\n"
                    "click ImageQuib\n"
                    "dump\n" // 10 the second visit
                    "click VrBitmapButton6\n"
                    "click VrBitmapButton1\n"); // the brand screen's close button
    // The catalogue file goes away once the first visit is over: a second visit that
    // opened the database again would find nothing.
    for (int i = 0; i <= 8; ++i)
        ASSERT_FALSE(flow.NextDump().isEmpty()) << "dump " << i;
    ASSERT_TRUE(QFile::rename(folder + "/db/vc_korva.mdb", folder + "/db/gone.mdb"));
    barrier.Release(flow);
    const FlowResult run = flow.Finish();
    ASSERT_EQ(run.exitCode, 0) << "the close button ends the program after the last step\n" << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 11u);
    const auto &d = run.dumps;

    // A click beside the areas changes nothing.
    EXPECT_EQ(WindowNames(d[0]), QStringList{"FormSelect"});
    EXPECT_TRUE(d[0]["messages"].toArray().isEmpty());

    // The brand area opens the catalogue window, and the brand screen is hidden meanwhile.
    EXPECT_EQ(WindowNames(d[1]), QStringList{"frm_main"});
    EXPECT_EQ(d[1]["combos"]["ComboListino"]["selected"].toString(), "KORVA");
    EXPECT_EQ(EditText(d[1], "EditCodice"), "KS060");
    EXPECT_FALSE(d[1]["mode"].toBool());

    // A run-out code only tells the user: the list, the fields and the mode stay.
    EXPECT_EQ(MessageTexts(d[2]),
              QStringList{"Il vecchio codice: KS041" + Blanks(28) + "\r\rè stato posto ad esaurimento"});
    EXPECT_EQ(EditText(d[2], "EditCodice"), "KS041");
    EXPECT_EQ(EditText(d[2], "EditGamma"), "Korva AGM");
    EXPECT_EQ(Current(d[2], "GridOutput", 3), "KA080");
    EXPECT_FALSE(d[2]["mode"].toBool());

    // A replaced code names its successor, which is searched and whose vehicles the
    // window then lists in applications mode.
    EXPECT_EQ(MessageTexts(d[3]), QStringList{"Il vecchio codice: KP072" + Blanks(28)
                                              + "\r\r è stato sostituito dal \r\rnuovo codice: KP074"});
    // The old-code row itself carries the successor's code and range, so the search
    // finds it too, as a line without data after the successor's own.
    const QStringList found = Column(d[3], "GridOutput", 2);
    ASSERT_FALSE(found.isEmpty());
    EXPECT_EQ(found, QStringList(found.size(), "KP074"));
    EXPECT_EQ(Current(d[3], "GridOutput", 4), "74");
    EXPECT_EQ(EditText(d[3], "EditCodice"), "KP074");
    EXPECT_EQ(EditText(d[3], "EditGamma"), "Korva Power");
    EXPECT_TRUE(d[3]["mode"].toBool());
    for (const char *field : kSearchFields) {
        const bool own = QString(field) == "EditGamma" || QString(field) == "EditCodice";
        EXPECT_EQ(EditColor(d[3], field), own ? kHighlight : "#FFFFFF") << field;
    }
    EXPECT_EQ(Grid(d[3], "gridMarca")["Color"].toString(), kHighlight);
    EXPECT_EQ(Grid(d[3], "gridModello")["Color"].toString(), kHighlight);
    EXPECT_EQ(Grid(d[3], "gridVersione")["FontColor"].toString(), "#FF0000");
    EXPECT_EQ(Current(d[3], "gridMarca", 2), "Alvena") << "vehicle 1 of Alvena fits KP074";
    EXPECT_LT(Grid(d[3], "gridMarca")["RowCount"].toInt(), Grid(d[1], "gridMarca")["RowCount"].toInt());

    // Leaving the mode: white fields and grids, the full make list and its cascade.
    EXPECT_FALSE(d[4]["mode"].toBool());
    for (const char *field : kSearchFields)
        EXPECT_EQ(EditColor(d[4], field), "#FFFFFF") << field;
    EXPECT_EQ(Grid(d[4], "gridMarca")["Color"].toString(), "#FFFFFF");
    EXPECT_EQ(Grid(d[4], "gridVersione")["FontColor"].toString(), "#000000");
    EXPECT_EQ(Column(d[4], "gridMarca", 1), Column(d[1], "gridMarca", 1));
    EXPECT_EQ(Column(d[4], "GridOutput", 2), Column(d[1], "GridOutput", 2));

    // Entering it for the battery chosen: KS062 fits vehicle 1 of Alvena only.
    EXPECT_TRUE(d[5]["mode"].toBool());
    EXPECT_EQ(EditText(d[5], "EditCodice"), "KS062");
    EXPECT_EQ(Column(d[5], "gridMarca", 1), QStringList{"Alvena"});
    EXPECT_EQ(Column(d[5], "gridModello", 1), QStringList{"Arno"});
    EXPECT_EQ(Column(d[5], "gridVersione", 0), QStringList{"1.0 12V"});

    // The zoom window holds the full-size photo, and both ways of closing it return to
    // the catalogue window as it was.
    EXPECT_EQ(WindowNames(d[6]), (QStringList{"frm_main", "frm_zoom"}));
    EXPECT_EQ(ZoomPicture(d[6])["width"], d[5]["photo"]["width"]);
    EXPECT_EQ(ZoomPicture(d[6])["height"], d[5]["photo"]["height"]);
    EXPECT_GT(ZoomPicture(d[6])["width"].toInt(), 241) << "larger than the photo box: not its reduced image";
    for (const int i : {7, 8}) {
        EXPECT_EQ(WindowNames(d[i]), QStringList{"frm_main"}) << "dump " << i;
        for (const char *part : {"grids", "edits", "labels", "photo", "note", "mode"})
            EXPECT_EQ(d[i][part], d[5][part]) << part << " in dump " << i;
    }

    // Back: the brand screen is visible again at once.
    EXPECT_EQ(WindowNames(d[9]), QStringList{"FormSelect"});

    // The second visit starts afresh, on the connection the first one opened.
    const QJsonObject &quib = d[10];
    EXPECT_EQ(WindowNames(quib), QStringList{"frm_main"});
    EXPECT_TRUE(quib["messages"].toArray().isEmpty()) << MessageTexts(quib).join('\n').toStdString();
    EXPECT_EQ(quib["combos"]["ComboListino"]["items"].toArray().size(), 5);
    EXPECT_EQ(quib["combos"]["ComboListino"]["selected"].toString(), "QUIB");
    EXPECT_FALSE(quib["mode"].toBool());
    EXPECT_EQ(Grid(quib, "gridMarca")["Color"].toString(), Grid(d[1], "gridMarca")["Color"].toString());
    EXPECT_EQ(Grid(quib, "gridVersione")["FontColor"].toString(), "#000000");
    EXPECT_EQ(Column(quib, "gridMarca", 1), Column(d[1], "gridMarca", 1));
    EXPECT_EQ(Current(quib, "gridVersione", 1), "1.0 12V");
    EXPECT_EQ(Current(quib, "GridOutput", 0), "QUIB");
    EXPECT_EQ(EditText(quib, "EditCodice"), Current(quib, "GridOutput", 3));
    for (const char *field : kSearchFields)
        EXPECT_EQ(EditColor(quib, field), EditColor(d[1], field)) << field << " keeps its design colour";
}

TEST(FlowVisit, OnlyTheZoomWindowHasACloseBox)
{
    // The catalogue window is left through its two buttons only.
    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\nclose frm_main\n");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("line 2: frm_main has no close box")) << run.err.toStdString();
}

} // namespace
