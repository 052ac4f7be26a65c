// The technology guard through the UI script driver on the demo catalogue: the strip's
// lines for a start-stop vehicle, the sheet's lines (read back with pdftotext), and the
// replacement finder's technology column, list and confirmation.
#include "tests/common/pdf_text.h"
#include "tests/tools/flows_support.h"

#include <QJsonArray>
#include <gtest/gtest.h>

using namespace flows;

namespace {

QString Label(const QJsonObject &dump, const char *name) { return dump["labels"][name].toString(); }

TEST(FlowTechnology, StartStopVehicleOnTheStripAndTheSheet)
{
    qputenv("PAPERSIZE", "a4");
    QTemporaryDir out;
    const QString pdf = out.filePath("KA068.pdf");
    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\n"
                                                 "click-cell gridModello 3\n"
                                                 "click-cell gridVersione 2\n"
                                                 "dump\n"
                                                 "click-cell gridVersione 4\n"
                                                 "dump\n"
                                                 "print "
                                                     + pdf + "\n");
    qunsetenv("PAPERSIZE");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 2u);
    const auto &d = run.dumps;
    EXPECT_EQ(Current(d[0], "gridVersione", 1), "1.5 Start&Stop");
    EXPECT_EQ(Current(d[0], "GridOutput", 3), "KE072");
    EXPECT_EQ(Label(d[0], "LabelTecnologia"), "EFB \u2013 adatta \u00b7 Richiede EFB o superiore");
    EXPECT_EQ(Current(d[1], "gridVersione", 1), "2.0 D Start&Stop");
    EXPECT_EQ(Label(d[1], "LabelTecnologia"), "AGM \u2013 adatta \u00b7 Richiede AGM");
    EXPECT_EQ(Label(d[1], "LabelRegistrazione"), "Dopo la sostituzione registrare la batteria con la diagnosi");
    EXPECT_EQ(MessageTexts(d[1]), QStringList());

    const testsupport::PdfFacts sheet = testsupport::readPdf(pdf);
    EXPECT_EQ(sheet.pages, 1);
    for (const char *text : {"Korva AGM KA068", "Tecnologia", "Richiede AGM", "Volano", "2.0 D Start&Stop",
                             "Dopo la sostituzione registrare la batteria con la diagnosi"})
        EXPECT_TRUE(sheet.text.contains(QString::fromUtf8(text))) << text << "\n" << sheet.text.toStdString();
}

TEST(FlowTechnology, TheFinderFromAStartStopVehicle)
{
    const FlowResult run = RunFlow(DemoFolder(), "brand KORVA\n"
                                                 "click-cell gridModello 3\n"
                                                 "click-cell gridVersione 4\n"
                                                 "key gridMarca Ctrl+R\n"
                                                 "dump\n" // 0 the finder on KA068
                                                 "type EditSostTecnologia efb\n"
                                                 "dump\n" // 1 the old battery said to be EFB
                                                 "select EditSostTecnologia AGM\n"
                                                 "click-cell GridSostituzione 4\n"
                                                 "dump\n" // 2 back to AGM, the fourth row chosen
                                                 "key GridSostituzione Enter\n"
                                                 "dump\n"); // 3 confirmed, in the catalogue window
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    ASSERT_EQ(run.dumps.size(), 4u);
    const auto &d = run.dumps;
    const auto combo = [&](int i) { return d[i]["combos"]["EditSostTecnologia"]["selected"].toString(); };

    EXPECT_EQ(combo(0), "AGM");
    EXPECT_EQ(Label(d[0], "LabelSostRichiesta"), "Veicolo scelto: Richiede AGM");
    // The dump's columns: range, code, ... hold-down, technology.
    const QStringList codes = Column(d[0], "GridSostituzione", 1), technologies = Column(d[0], "GridSostituzione", 9);
    ASSERT_EQ(codes.mid(0, 4), (QStringList{"KP074", "KA068", "KA070", "KE072"}));
    EXPECT_EQ(technologies.mid(0, 4), (QStringList{"AGM", "AGM", "AGM", "EFB"}));

    // The vehicle's need holds whatever the old battery is said to be.
    EXPECT_EQ(combo(1), "EFB");
    EXPECT_EQ(Column(d[1], "GridSostituzione", 1), codes);

    EXPECT_EQ(combo(2), "AGM");
    EXPECT_EQ(Current(d[2], "GridSostituzione", 1), "KE072");
    EXPECT_EQ(Label(d[2], "LabelSostAvviso"), "Tecnologia inferiore: sconsigliata su veicoli Start&Stop");

    // The driver answers the question as a user going on would: yes.
    ASSERT_EQ(MessageTexts(d[3]).size(), 1);
    EXPECT_TRUE(MessageTexts(d[3])[0].startsWith("Confermi una batteria di tecnologia inferiore?"));
    EXPECT_FALSE(WindowNames(d[3]).contains("frm_sostituzione"));
    EXPECT_EQ(Current(d[3], "GridOutput", 3), "KE072");
}

} // namespace
