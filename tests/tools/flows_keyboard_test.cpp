// A visit made from the keyboard alone, played through the UI script driver on the demo
// catalogue: every key goes where the focus is, as for a user without a mouse. A brand by
// Tab and Enter, make, version and battery by the arrows, a search by typing and Enter on
// its button, applications mode, the zoom window opened and closed, back to the brand
// screen and out of the program.
#include "tests/tools/flows_support.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

QString Focus(const QJsonObject &dump) { return dump["focus"].toString(); }

TEST(FlowKeyboard, AWholeVisitWithoutTheMouse)
{
    const FlowResult run = RunFlow(DemoFolder(),
                                   "dump\n" // 0 the brand screen
                                   "press Down\n"
                                   "dump\n" // 1
                                   "press Up\n"
                                   "press Enter\n"
                                   "dump\n"      // 2 the catalogue window
                                   "press Tab\n" // from the quick find to the makes
                                   "press Down\n"
                                   "dump\n" // 3 the second make
                                   "press Tab\n"
                                   "press Tab\n"
                                   "press Down\n"
                                   "dump\n" // 4 its first model's second version
                                   "press Tab\n"
                                   "press Down\n"
                                   "dump\n"      // 5 that version's next battery, if any
                                   "press Tab\n" // the zoom button
                                   "press Tab\n" // the print button
                                   "press Tab\n" // applications mode
                                   "press Tab\n" // range
                                   "press Ctrl+A\n"
                                   "press Backspace\n"
                                   "press Tab\n" // code
                                   "press Ctrl+A\n"
                                   "press K\n"
                                   "press P\n"
                                   "press 0\n"
                                   "press 7\n"
                                   "press 4\n"
                                   "press Tab\n" // its search button
                                   "press Enter\n"
                                   "dump\n" // 6 the search, in applications mode
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Space\n"
                                   "dump\n"            // 7 the mode left
                                   "press Shift+Tab\n" // the print button
                                   "press Shift+Tab\n" // the zoom button
                                   "press Enter\n"
                                   "dump\n" // 8 the zoom window
                                   "press Enter\n"
                                   "dump\n" // 9 closed again
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Shift+Tab\n"
                                   "press Enter\n"
                                   "dump\n" // 10 back on the brand screen
                                   "press Shift+Tab\n"
                                   "press Enter\n"); // its close button
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 11u) << run.err.toStdString();
    const auto &d = run.dumps;

    EXPECT_EQ(WindowNames(d[0]), QStringList{"FormSelect"});
    EXPECT_EQ(Focus(d[0]), "ImageKorva") << "the first brand has the first focus";
    EXPECT_EQ(Focus(d[1]), "ImageQuib") << "the arrows go down the brands";

    EXPECT_EQ(WindowNames(d[2]), QStringList{"frm_main"});
    EXPECT_EQ(d[2]["combos"]["ComboListino"]["selected"].toString(), "KORVA");
    EXPECT_EQ(Focus(d[2]), "EditTrova") << "the quick find has the first focus";
    EXPECT_EQ(CurrentRow(d[2], "gridMarca"), 1);

    // Each arrow reloads the levels below, as a click on the new row does.
    EXPECT_EQ(CurrentRow(d[3], "gridMarca"), 2);
    EXPECT_NE(Current(d[3], "gridMarca", 2), Current(d[2], "gridMarca", 2));
    EXPECT_NE(Column(d[3], "gridModello", 1), Column(d[2], "gridModello", 1));
    EXPECT_EQ(Focus(d[4]), "gridVersione");
    EXPECT_EQ(CurrentRow(d[4], "gridVersione"), 2);
    EXPECT_EQ(Focus(d[5]), "GridOutput");
    EXPECT_EQ(EditText(d[5], "EditCodice"), Current(d[5], "GridOutput", 3))
        << "the battery shown is the one highlighted";

    EXPECT_EQ(Focus(d[6]), "VrBitmapButton1");
    EXPECT_TRUE(d[6]["mode"].toBool());
    EXPECT_EQ(Current(d[6], "GridOutput", 3), "KP074");
    EXPECT_EQ(EditText(d[6], "EditCodice"), "KP074");

    EXPECT_EQ(Focus(d[7]), "VrBitmapButtonApplicazioni");
    EXPECT_FALSE(d[7]["mode"].toBool());

    EXPECT_EQ(WindowNames(d[8]), (QStringList{"frm_main", "frm_zoom"}));
    EXPECT_EQ(Focus(d[8]), "ZoomFoto") << "Chiudi takes the focus";
    EXPECT_EQ(WindowNames(d[9]), QStringList{"frm_main"});

    EXPECT_EQ(WindowNames(d[10]), QStringList{"FormSelect"});
    for (const QJsonObject &dump : d)
        EXPECT_TRUE(dump["messages"].toArray().isEmpty()) << MessageTexts(dump).join('\n').toStdString();
}

} // namespace
