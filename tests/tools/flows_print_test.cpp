// The battery sheet through the UI script driver: `print FILE.pdf` writes the page the
// preview shows, one A4 page whose text holds the battery's code, ratings and measures
// and the vehicle; a folder that cannot be written gives the message and leaves no file.
#include "tests/common/pdf_text.h"
#include "tests/tools/flows_support.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace flows;

namespace {

TEST(FlowPrint, SheetOfTheDrilledDownBatteryAndOfApplicationsMode)
{
    qputenv("PAPERSIZE", "a4");
    QTemporaryDir out;
    const QString drilled = out.filePath("KS060.pdf"), fitted = out.filePath("applicazioni.pdf");
    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\n"
                                                 "print "
                                                     + drilled
                                                     + "\n"
                                                       "click VrBitmapButtonApplicazioni\n"
                                                       "print "
                                                     + fitted
                                                     + "\n"
                                                       "dump\n");
    qunsetenv("PAPERSIZE");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(MessageTexts(run.dumps[0]), QStringList());

    // The opening cascade ends at KS060 of the first version of the first model.
    const testsupport::PdfFacts sheet = testsupport::readPdf(drilled);
    EXPECT_EQ(sheet.pages, 1);
    EXPECT_NEAR(sheet.pageSize.width(), 595, 1);
    EXPECT_NEAR(sheet.pageSize.height(), 842, 1);
    for (const char *text : {"KORVA", "Korva Start KS060", "60 Ah", "540 A", "DX", "242 × 175 × 190 mm", "B13", "L2",
                             "Più venduta", "Veicolo", "Alvena", "Arno", "1.0 12V", "Benzina", "999 cm³",
                             "60 CV / 44 kW", "Catalogo del 15/01/2024", "Note del banco"})
        EXPECT_TRUE(sheet.text.contains(QString::fromUtf8(text))) << text << "\n" << sheet.text.toStdString();

    const testsupport::PdfFacts apps = testsupport::readPdf(fitted);
    EXPECT_EQ(apps.pages, 1);
    EXPECT_TRUE(apps.text.contains("Veicoli compatibili")) << apps.text.toStdString();
    EXPECT_TRUE(apps.text.contains(QString::fromUtf8("1.3 TD 16V"))) << apps.text.toStdString();
    EXPECT_FALSE(apps.text.contains("Alimentazione")) << "the list has no single vehicle's lines";
}

// The print button and Ctrl+P open the preview in front of the catalogue window; its close
// box returns to the window as it was.
TEST(FlowPrint, ButtonAndCtrlPOpenThePreview)
{
    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\n"
                                                 "click VrBitmapButtonStampa\n"
                                                 "dump\n"
                                                 "close frm_stampa\n"
                                                 "key gridMarca Ctrl+P\n"
                                                 "dump\n"
                                                 "close frm_stampa\n"
                                                 "dump\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 3u);
    for (int i : {0, 1}) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(WindowNames(run.dumps[i]).contains("frm_stampa"))
            << WindowNames(run.dumps[i]).join(' ').toStdString();
        EXPECT_EQ(MessageTexts(run.dumps[i]), QStringList());
    }
    EXPECT_FALSE(WindowNames(run.dumps[2]).contains("frm_stampa"));
    EXPECT_TRUE(WindowNames(run.dumps[2]).contains("frm_main"));
}

TEST(FlowPrint, UnwritableTargetGivesTheMessageAndLeavesNoFile)
{
    QTemporaryDir out;
    QFile blocker(out.filePath("file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QStringList targets = {out.filePath("missing/KS060.pdf"), out.filePath("file/KS060.pdf")};
    // A folder without write permission stops everyone but the superuser.
    const QString locked = out.filePath("locked");
    QDir().mkpath(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    if (geteuid() != 0)
        targets << locked + "/KS060.pdf";

    QString script = "brand KORVA\n";
    for (const QString &t : targets)
        script += "print " + t + "\ndump\n";
    const FlowResult run = RunFlow(DemoFolder(), script);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), size_t(targets.size()));
    for (int i = 0; i < targets.size(); ++i) {
        SCOPED_TRACE(targets[i].toStdString());
        const QStringList shown = MessageTexts(run.dumps[i]);
        ASSERT_EQ(shown.size(), 1);
        EXPECT_TRUE(shown[0].startsWith("Salvataggio PDF non riuscito: impossibile scrivere \"" + targets[i] + "\""))
            << shown[0].toStdString();
    }
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"file", "locked"}));
    EXPECT_EQ(QDir(locked).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

} // namespace
