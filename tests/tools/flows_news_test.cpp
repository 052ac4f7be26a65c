// What's new in two windows at once: two runs of the program on one program folder, both
// started after the catalogue was replaced and both in their catalogue window before
// either clicks the line. Each must offer it and show the report, with no message.
#include "tests/common/test_support.h"
#include "tests/tools/flows_support.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

using namespace flows;

TEST(FlowsNews, TwoWindowsOpeningAnUpdatedCatalogueBothShowTheReport)
{
    QTemporaryDir scratch;
    const QString folder = scratch.filePath("program");
    ASSERT_TRUE(QDir().mkpath(folder + "/db"));
    for (const char *sub : {"img", "foto"})
        ASSERT_TRUE(QFile::link(testsupport::appDir() + "/" + sub, folder + "/" + sub));
    for (const char *name : {"vc_korva.mdb", "system.mdw"})
        ASSERT_TRUE(QFile::copy(testsupport::fixture(QString("catalogue-small/") + name), folder + "/db/" + name));
    const FlowResult first = RunFlow(folder, "dump\n");
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    ASSERT_TRUE(QFile::remove(folder + "/db/vc_korva.mdb"));
    ASSERT_TRUE(QFile::copy(testsupport::appDir() + "/db/vc_korva.mdb", folder + "/db/vc_korva.mdb"));

    QTemporaryDir barriers[2];
    std::unique_ptr<Barrier> waits[2];
    std::unique_ptr<Flow> windows[2];
    for (int i = 0; i < 2; ++i) {
        waits[i] = std::make_unique<Barrier>(barriers[i]);
        const QString script = "brand KORVA\ndump\n" + waits[i]->Line() + "click ButtonNovita\ndump\n";
        windows[i] = std::make_unique<Flow>(folder, script);
    }
    // Both windows are open before either line is clicked.
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const QJsonObject open = windows[i]->NextDump();
        EXPECT_TRUE(open["buttons"]["ButtonNovita"]["visible"].toBool()) << "the line is offered";
        EXPECT_EQ(MessageTexts(open), QStringList());
    }
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        waits[i]->Release(*windows[i]);
        const QJsonObject clicked = windows[i]->NextDump();
        EXPECT_TRUE(WindowNames(clicked).contains("frm_novita"));
        EXPECT_EQ(MessageTexts(clicked), QStringList());
        const QString report = clicked["texts"]["MemoNovita"].toString();
        EXPECT_TRUE(report.startsWith("Catalogo precedente: il catalogo aperto la volta precedente\n"))
            << report.left(300).toStdString();
        EXPECT_TRUE(report.contains("veicoli aggiunti")) << report.left(400).toStdString();
        const FlowResult end = windows[i]->Finish();
        EXPECT_EQ(end.exitCode, 0) << end.err.toStdString();
    }
}

} // namespace
