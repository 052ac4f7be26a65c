// The battery photo through the UI script driver, on a scratch copy of the demo program
// folder whose photo files the test damages: a photo that cannot be decoded is reported
// once and ends the cascade that chose it, and a photo already shown is not read again.
#include "tests/tools/flows_support.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

// The first battery of the opening cascade (KS060) and of vehicle 2's list use this photo.
const char *const kStartPhoto = "/foto/korva_start.JPG";

TEST(FlowPhoto, DamagedPhotoIsReportedOnceAndEndsTheCascadeThatChoseIt)
{
    QTemporaryDir scratch;
    const QString folder = CopyDemoFolder(scratch);
    Damage(folder + kStartPhoto);
    const FlowResult run = RunFlow(folder,
                                   "brand KORVA\n"
                                   "dump\n" // 0 the opening cascade stops
                                   "click-cell GridOutput 2\n"
                                   "dump\n" // 1 KS062: the same photo name
                                   "click-cell gridVersione 2\n"
                                   "click-cell GridOutput 2\n"
                                   "dump\n" // 2 vehicle 2, then KA080
                                   "click-cell GridOutput 1\n"
                                   "dump\n"); // 3 KS060 again
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    const auto &d = run.dumps;
    const auto expectOneError = [&](const QJsonObject &dump, const char *where) {
        const QJsonArray shown = dump["messages"].toArray();
        ASSERT_EQ(shown.size(), 1) << where;
        EXPECT_EQ(shown[0]["kind"].toString(), "error") << where;
        EXPECT_TRUE(shown[0]["text"].toString().contains(folder + kStartPhoto))
            << where << ": the message names the file";
    };

    // The note is still replaced, nothing is shown in the photo box, and no handler that
    // fired the battery click goes on to select its row 1.
    expectOneError(d[0], "opening");
    EXPECT_EQ(EditText(d[0], "EditCodice"), "KS060");
    EXPECT_EQ(d[0]["note"].toString(), "<B>Più venduta</B>");
    EXPECT_EQ(d[0]["photo"]["path"].toString(), "");
    EXPECT_EQ(d[0]["photo"]["width"].toInt(), 0);
    EXPECT_EQ(CurrentRow(d[0], "gridMarca"), 1) << "the make row is selected before its handler fires";
    for (const char *grid : {"gridModello", "gridVersione", "GridOutput"})
        EXPECT_NE(CurrentRow(d[0], grid), 1) << grid;

    expectOneError(d[1], "a second battery with the damaged photo");
    EXPECT_EQ(EditText(d[1], "EditCodice"), "KS062");

    // Vehicle 2's cascade fails on KS060 as well; after it the window still works: the
    // placeholder loads, and the damaged photo fails again without losing the placeholder
    // shown before it.
    expectOneError(d[2], "vehicle 2");
    EXPECT_EQ(EditText(d[2], "EditCodice"), "KA080");
    EXPECT_EQ(PhotoFile(d[2], folder), "foto/vuoto.JPG");
    EXPECT_GT(d[2]["photo"]["width"].toInt(), 0);
    expectOneError(d[3], "back to KS060");
    EXPECT_EQ(d[3]["note"].toString(), "<B>Più venduta</B>");
    EXPECT_EQ(PhotoFile(d[3], folder), "foto/vuoto.JPG");
    EXPECT_EQ(d[3]["photo"]["width"], d[2]["photo"]["width"]);
}

TEST(FlowPhoto, ShownPhotoIsNotReadAgainButComesBackAfterAnother)
{
    // The photo is damaged while the program already shows it: choosing a battery with
    // the same photo again must not read the file, while coming back to it after another
    // photo must.
    QTemporaryDir scratch;
    const QString folder = CopyDemoFolder(scratch);
    Barrier barrier(scratch);
    Flow flow(folder,
              "brand KORVA\n"
              "dump\n" // 0 KS060 with its photo
                  + barrier.Line()
                  + "click-cell GridOutput 1\n" // KS060 again
                    "click-cell GridOutput 2\n" // KS062, the same photo name
                    "dump\n"                    // 1
                    "click-cell gridVersione 2\n"
                    "click-cell GridOutput 2\n" // KA080, the placeholder
                    "click-cell GridOutput 1\n" // KS060: its photo is read again
                    "dump\n");                  // 2
    const QJsonObject opened = flow.NextDump();
    ASSERT_EQ(PhotoFile(opened, folder), QString(kStartPhoto).mid(1));
    Damage(folder + kStartPhoto);
    barrier.Release(flow);
    const FlowResult run = flow.Finish();
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);

    const QJsonObject &same = run.dumps[1];
    EXPECT_TRUE(same["messages"].toArray().isEmpty()) << "the shown photo was read again";
    EXPECT_EQ(EditText(same, "EditCodice"), "KS062") << "the fields are written every time";
    EXPECT_EQ(same["photo"], opened["photo"]);

    const QJsonObject &again = run.dumps[2];
    ASSERT_EQ(again["messages"].toArray().size(), 1) << "KS060's photo after the placeholder is read again";
    EXPECT_TRUE(MessageTexts(again)[0].contains(folder + kStartPhoto));
}

} // namespace
