// The technology guard in the catalogue window on the demo catalogue and its maker's
// tables (the "Volano" versions of tools/catalogue-demo/fixed_cases.cpp): the strip's
// lines as the drill-down, the battery list and the mode change, the replacement finder
// opened from a vehicle, and the maker's faulty lines.
#include "tests/catalog/window/demo_window_fixture.h"

#include "catalog/info_strip/info_strip.h"
#include "catalog/replacement/replacement_form.h"
#include "catalog/technology/technology_part.h"
#include "platform/settings.h"
#include "tests/common/test_support.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/picture_palette.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

class TechnologyWindowTest : public DemoWindowTest {
protected:
    // The strip's line, empty while it is hidden.
    QString line(const char *name) const
    {
        QLabel *label = form->StripInfo->line(QLatin1String(name));
        return label->isHidden() ? QString() : label->text();
    }
    bool red(const char *name) const
    {
        return form->StripInfo->line(QLatin1String(name))->palette().color(QPalette::WindowText) == palette::kRed;
    }
    // Alvena, its model Volano, then the version named `version`.
    void chooseVolano(const QString &version)
    {
        const int model = rowOf(form->gridModello, 1, "Volano");
        ASSERT_GT(model, 0);
        form->gridModello->setCurrentRow(model);
        form->gridModelloClickCell(form->gridModello, model, 0);
        chooseVersion(version);
    }
    void chooseVersion(const QString &version)
    {
        const int row = rowOf(form->gridVersione, 1, version);
        ASSERT_GT(row, 0) << version.toStdString();
        form->gridVersione->setCurrentRow(row);
        form->gridVersioneClickCell(form->gridVersione, row, 0);
    }
    void chooseBattery(const QString &code)
    {
        const int row = rowOf(form->GridOutput, 3, code);
        ASSERT_GT(row, 0) << code.toStdString();
        form->GridOutput->setCurrentRow(row);
        form->GridOutputClickCell(form->GridOutput, row, 0);
    }
};

TEST_F(TechnologyWindowTest, TheLinesFollowTheVehicleAndTheBattery)
{
    openWindow();
    const QString registration = "Dopo la sostituzione registrare la batteria con la diagnosi";
    chooseVolano("1.2");
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia tradizionale") << "an ordinary car with an AGM upgrade";
    EXPECT_FALSE(red("LabelTecnologia"));
    EXPECT_EQ(line("LabelRegistrazione"), registration);
    EXPECT_TRUE(red("LabelRegistrazione")) << "diagnosi";
    chooseBattery("KA068");
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia AGM");

    chooseVersion("1.5 Start&Stop");
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KE072", "KA068"}));
    EXPECT_EQ(line("LabelTecnologia"), "EFB \u2013 adatta \u00b7 Richiede EFB o superiore");
    chooseBattery("KA068");
    EXPECT_EQ(line("LabelTecnologia"), "AGM \u2013 adatta \u00b7 Richiede EFB o superiore");

    chooseVersion("1.6 Hybrid");
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia EFB") << "KV012's technology is unknown: no need";

    chooseVersion("2.0 D Start&Stop");
    EXPECT_EQ(line("LabelTecnologia"), "AGM \u2013 adatta \u00b7 Richiede AGM") << "GEL counts as AGM";
    EXPECT_FALSE(red("LabelTecnologia"));

    // Another make: the table names Borsani with the other rule, Castellan not at all.
    for (const auto &[make, text, warning] :
         {std::tuple{"Borsani", "La centralina riconosce da sola la batteria nuova", false},
          std::tuple{"Castellan", "", false}}) {
        const int row = rowOf(form->gridMarca, 2, make);
        ASSERT_GT(row, 0);
        form->gridMarca->setCurrentRow(row);
        form->gridMarcaClickCell(form->gridMarca, row, 0);
        EXPECT_EQ(line("LabelRegistrazione"), text) << make;
        EXPECT_EQ(red("LabelRegistrazione"), warning) << make;
    }
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(" / ").toStdString();
}

TEST_F(TechnologyWindowTest, ABatteryLeftFromAnotherVehicleIsComparedWithTheChosenOne)
{
    openWindow();
    chooseVolano("1.2");
    ASSERT_EQ(form->SelectedBatteryCode(), "KS060");
    // Without a price list the version handler lists nothing: KS060 stays on screen.
    form->ComboListino->setItemIndex(-1);
    chooseVersion("2.0 D Start&Stop");
    ASSERT_EQ(form->SelectedBatteryCode(), "KS060");
    EXPECT_EQ(line("LabelTecnologia"), "tradizionale \u2013 tecnologia inferiore a quella richiesta (AGM)");
    EXPECT_TRUE(red("LabelTecnologia"));
}

TEST_F(TechnologyWindowTest, ApplicationsModeHasNoChosenVehicle)
{
    openWindow();
    chooseVolano("2.0 D Start&Stop");
    ASSERT_EQ(line("LabelTecnologia"), "AGM \u2013 adatta \u00b7 Richiede AGM");
    form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
    ASSERT_TRUE(form->ApplicationsMode());
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia AGM");
    EXPECT_EQ(line("LabelRegistrazione"), "");
    form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
    EXPECT_FALSE(form->ApplicationsMode());
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia tradizionale") << "back at Alvena Arno's first version";
}

// Answers every question "No", and records the messages as the fixture's recorder does.
struct RefusingMessages : RecordingMessages {
    int MessageBox(const QString &text, const QString &caption, int style) override
    {
        RecordingMessages::MessageBox(text, caption, style);
        return (style & 0x0F) == kMbYesNo ? kIdNo : kIdOk;
    }
};

TEST_F(TechnologyWindowTest, TheFinderFromAVehicleMarksAndConfirmsALowerTechnology)
{
    openWindow();
    chooseVolano("2.0 D Start&Stop");
    ASSERT_EQ(form->SelectedBatteryCode(), "KA068");
    RefusingMessages refusing;
    QStringList codes, technologies, notes;
    bool keptOpen = false;
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_NE(frm_sostituzione, nullptr);
        Tfrm_sostituzione &w = *frm_sostituzione;
        notes << w.EditSostTecnologia->currentText() << w.LabelSostRichiesta->text();
        codes = column(w.GridSostituzione, 1);
        technologies = column(w.GridSostituzione, 9);
        const int efb = rowOf(w.GridSostituzione, 1, "KE072");
        ASSERT_GT(efb, 0);
        w.GridSostituzione->setCurrentRow(efb);
        notes << w.LabelSostAvviso->text();
        QBrush brush;
        ColoredFont font{w.GridSostituzione->font(), Qt::black};
        w.GridSostituzione->OnGetCellColor(w.GridSostituzione, efb, 9, GridDrawState{}, brush, font);
        notes << font.color.name();
        // Refused: the finder stays; asked again at the next choice, and then taken.
        Messages *previous = setMessages(&refusing);
        w.ButtonSostMostra->click();
        keptOpen = frm_sostituzione != nullptr && !w.Chosen();
        setMessages(previous);
        w.ButtonSostMostra->click();
    });
    form->VrBitmapButtonSostituzioneClick(form->VrBitmapButtonSostituzione);

    EXPECT_EQ(notes, (QStringList{"AGM", "Veicolo scelto: Richiede AGM",
                                  "Tecnologia inferiore: sconsigliata su veicoli Start&Stop", "#c80000"}));
    // KE072 fills the space as exactly as KA068 and comes first in the catalogue's order;
    // as a lower technology it comes after every AGM battery as good.
    ASSERT_TRUE(codes.contains("KE072"));
    const qsizetype efb = codes.indexOf("KE072");
    EXPECT_EQ(technologies[efb], "EFB");
    EXPECT_LT(codes.indexOf("KA068"), efb);
    EXPECT_LT(codes.indexOf("KP074"), efb);
    EXPECT_EQ(technologies[codes.indexOf("KP074")], "AGM") << "the maker's line for its code";
    EXPECT_TRUE(keptOpen);
    ASSERT_EQ(refusing.shown.size(), 1u);
    EXPECT_TRUE(refusing.shown[0].text.startsWith("Confermi una batteria di tecnologia inferiore?"));
    ASSERT_EQ(shownTexts("box").size(), 1u) << "asked again";
    EXPECT_EQ(form->SelectedBatteryCode(), "KE072") << "taken on the second choice";
    EXPECT_EQ(line("LabelTecnologia"), "Tecnologia EFB") << "applications mode: no vehicle chosen";
}

// A program folder whose db/ holds the demo catalogue and maker's tables of our own.
class TablesFolder {
public:
    TablesFolder(const QByteArray &technologies, const QByteArray &registrations)
    {
        const QDir built(testsupport::appDir());
        const QDir root(m_dir.path());
        root.mkpath("db");
        for (const char *sub : {"img", "foto"})
            QFile::link(built.filePath(sub), root.filePath(sub));
        for (const char *file : {"db/vc_korva.mdb", "db/system.mdw"})
            QFile::link(built.filePath(file), root.filePath(file));
        write(root.filePath("db/tecnologie.csv"), technologies);
        write(root.filePath("db/registrazione.csv"), registrations);
    }
    QString path() const { return m_dir.path() + '/'; }

private:
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QTemporaryDir m_dir;
};

TEST_F(TechnologyWindowTest, FaultyTableLinesAreToldOnceAndTheRestIsUsed)
{
    const TablesFolder folder("GAMMA;TECNOLOGIA\r\nKorva Start;EFB\r\nKorva AGM;LITIO\r\n",
                              "idMarca;REGOLA;TESTO\nALV;forse;Boh\nBOR;diagnosi;Con la diagnosi\n");
    for (int window = 0; window < 2; ++window) {
        OverrideProgramFolder(folder.path());
        form = std::make_unique<Tfrm_main>();
        SelectedBrand = "KORVA";
        form->show();
    }
    const QString db = folder.path() + "db/";
    ASSERT_EQ(shownTexts("box").size(), 1u) << "the second window does not tell it again";
    EXPECT_EQ(rec.shown[0].caption, "Attenzione");
    EXPECT_EQ(
        rec.shown[0].text.split('\r').mid(1),
        (QStringList{db + "tecnologie.csv:3: tecnologia «LITIO» sconosciuta (ammesse AGM, EFB, GEL, TRADIZIONALE)",
                     db + "registrazione.csv:2: regola «forse» sconosciuta (ammesse autoapprendimento, diagnosi)"}));
    // Alvena Arno 1.0 12V, KS060 first: Korva Start is EFB by this table; KA080 by its name.
    EXPECT_EQ(form->TechnologyGuard().ShownTechnology(), catalog::Technology::Efb);
    EXPECT_EQ(form->TechnologyGuard().Rule().Of("Korva AGM", "KA080"), catalog::Technology::Agm);
    EXPECT_EQ(line("LabelRegistrazione"), "") << "ALV's line was refused";
    EXPECT_EQ(form->TechnologyGuard().RegistrationOf("BOR").text, "Con la diagnosi");
}

} // namespace
