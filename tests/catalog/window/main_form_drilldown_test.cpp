// The vehicle drill-down on the small catalogue: the cascade the showing starts, make,
// model and version choices, keys, the price list, stopping early and the markers.
#include "tests/catalog/window/main_form_fixture.h"

#include "catalog/window/statements.h"
#include "platform/settings.h"
#include "widgets/column_combo_box.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

void pressAndRelease(QWidget *w, int key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

} // namespace

TEST_F(CatalogueWindowTest, ShowingFillsAllFourGridsDownToTheFirstBattery)
{
    openWindow("KORVA");
    EXPECT_EQ(form->SelectedPriceList(), "KORVA");
    EXPECT_EQ(column(form->gridMarca, 2), QStringList({"Aurelia Motori", "Brenta", "Casoni", "Dolomia"}));
    EXPECT_EQ(form->gridMarca->RowHeights(0), 0);
    EXPECT_EQ(form->gridMarca->RowHeights(1), 20);
    EXPECT_EQ(form->gridMarca->ColWidths(1), 0);
    EXPECT_EQ(form->gridMarca->CurrentRow(), 1);
    EXPECT_EQ(column(form->gridModello, 1), QStringList({"Pràtola", "Vesta"}));
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.6 Bi-Fuel GPL", "2.0 Turbo"}));
    EXPECT_EQ(form->gridVersione->ColWidths(0), 0);
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS062"}));
    EXPECT_EQ(form->GridOutput->CurrentRow(), 1);
    EXPECT_EQ(form->EditCodice->text(), "KS062");
    EXPECT_EQ(form->EditGamma->text(), "Korva Start");
    EXPECT_EQ(form->LabelCodice->text(), "KS062");
    EXPECT_EQ(photoSize(), kKorvaStartSize);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join("\n").toStdString();
    screenshot("shown");
}

TEST_F(CatalogueWindowTest, FirstMakeClickHidesTheBrandScreen)
{
    QWidget brandScreen;
    brandScreen.setObjectName("FormSelect");
    brandScreen.show();
    openWindow("KORVA");
    EXPECT_FALSE(brandScreen.isVisible());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(CatalogueWindowTest, BrandInAnotherCaseSelectsNoPriceListAndNoBatteries)
{
    openWindow("korva");
    EXPECT_EQ(form->ComboListino->ItemIndex(), -1);
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.6 Bi-Fuel GPL", "2.0 Turbo"}));
    EXPECT_TRUE(form->GridOutput->Cells(3, 1).isEmpty());
    EXPECT_TRUE(form->EditCodice->text().isEmpty());
    EXPECT_TRUE(form->ShownPhotoPath().isEmpty());
    screenshot("no-price-list");
}

TEST_F(CatalogueWindowTest, AnotherMakeReplacesEverythingBelow)
{
    openWindow("KORVA");
    const int brenta = rowOf(form->gridMarca, 1, "BRE");
    ASSERT_GT(brenta, 0);
    form->gridMarca->setCurrentRow(brenta);
    form->gridMarcaClickCell(form->gridMarca, brenta, 2);
    EXPECT_EQ(column(form->gridModello, 1), QStringList({"Falò", "Lido", "Sestiere"}));
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.4 Metano"}));
    // The Falò has no fitting battery: one empty row, empty fields, the placeholder.
    EXPECT_EQ(form->GridOutput->RowCount(), 2);
    EXPECT_TRUE(form->GridOutput->Cells(3, 1).isEmpty());
    EXPECT_TRUE(form->EditCodice->text().isEmpty());
    EXPECT_TRUE(form->LabelCodice->text().isEmpty());
    EXPECT_EQ(form->HTMLabelNote->Markup(), "");
    EXPECT_EQ(photoSize(), kPlaceholderSize);
    screenshot("empty-battery-list");
}

TEST_F(CatalogueWindowTest, KeysInTheVersionGridReloadTheBatteries)
{
    openWindow("KORVA");
    const int vesta = rowOf(form->gridModello, 1, "Vesta");
    form->gridModelloClickCell(form->gridModello, vesta, 1);
    ASSERT_EQ(column(form->gridVersione, 0), QStringList({"1001", "1003", "1002"}));
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS060", "KS062"})) << "both tallest of the range";

    pressAndRelease(form->gridVersione, Qt::Key_Down);
    EXPECT_EQ(form->gridVersione->CurrentRow(), 2);
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS044"}));

    // Shift alone reloads the current version, here in a price list chosen meanwhile.
    form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, "FENU"));
    pressAndRelease(form->gridVersione, Qt::Key_Shift);
    EXPECT_EQ(form->gridVersione->CurrentRow(), 2);
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"FE035"}));
    EXPECT_EQ(photoSize(), kFenuEcoSize);
}

TEST_F(CatalogueWindowTest, PriceListChangeRelistsTheCurrentVersion)
{
    openWindow("KORVA");
    form->gridModelloClickCell(form->gridModello, rowOf(form->gridModello, 1, "Vesta"), 0);
    struct Case {
        const char *priceList;
        QStringList codes;
    } cases[] = {
        {"ZELKAR", {"ZP-55"}},
        {"BRASK", {"BS063"}},
        {"KORVA", {"KS060", "KS062"}},
    };
    for (const Case &c : cases) {
        form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, c.priceList));
        form->ComboListinoChange(form->ComboListino);
        EXPECT_EQ(column(form->GridOutput, 3), c.codes) << c.priceList;
        EXPECT_EQ(form->EditCodice->text(), c.codes.first()) << c.priceList;
    }
}

TEST_F(CatalogueWindowTest, VersionHandlerStopsEarlyWithoutClearingAnything)
{
    openWindow("KORVA");
    const auto before = column(form->GridOutput, 3);
    const QString photo = form->ShownPhotoPath();
    // No price list selected.
    form->ComboListino->setItemIndex(-1);
    form->gridModelloClickCell(form->gridModello, rowOf(form->gridModello, 1, "Vesta"), 0);
    EXPECT_EQ(column(form->gridVersione, 0), QStringList({"1001", "1003", "1002"}));
    EXPECT_EQ(column(form->GridOutput, 3), before);
    EXPECT_EQ(form->EditCodice->text(), "KS062");
    EXPECT_EQ(form->ShownPhotoPath(), photo);
}

TEST_F(CatalogueWindowTest, MarkersInTheMakeAndModelGrids)
{
    openWindow("KORVA");
    const QString marker =
        "<IMG src=\"file://" + folder.path() + "img/BALL.bmp\" align=\"middle\" width=\"15\" height=\"15\">";
    EXPECT_EQ(column(form->gridMarca, 0), QStringList(4, marker)) << "written by the load's auto-size pass";
    EXPECT_NE(form->gridMarca->Cells(0, 0), marker) << "row 0 holds the column name";
    form->grab(); // the model grid's markers come with its painting
    EXPECT_EQ(column(form->gridModello, 0), QStringList(2, marker));
    EXPECT_NE(form->gridModello->Cells(0, 0), marker) << "row 0 holds the column name";
}

TEST_F(CatalogueWindowTest, EmptyMakeListStillOpens)
{
    openWindow("KORVA");
    form->RefillMakeList(catalog::makeListForBatteryStatement("NO SUCH CODE"), form.get());
    EXPECT_EQ(form->gridMarca->RowCount(), 2);
    EXPECT_TRUE(form->gridMarca->Cells(2, 1).isEmpty());
    EXPECT_TRUE(form->gridMarca->Cells(0, 1).startsWith("<IMG")) << "the empty row gets its marker";
    EXPECT_EQ(form->gridModello->RowCount(), 2);
    EXPECT_TRUE(form->gridModello->Cells(1, 1).isEmpty());
    EXPECT_EQ(form->gridVersione->RowCount(), 2);
    EXPECT_TRUE(form->gridVersione->Cells(0, 1).isEmpty());
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS062"})) << "the battery grid stays";
    // With no version there is nothing to re-list in another price list.
    form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, "QUIB"));
    form->ComboListinoChange(form->ComboListino);
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS062"}));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join("\n").toStdString();
    screenshot("empty-make-list");
}

TEST_F(CatalogueWindowTest, ApplicationsModeListsOnlyTheBatterysVehicles)
{
    openWindow("KORVA");
    form->gridModelloClickCell(form->gridModello, rowOf(form->gridModello, 1, "Vesta"), 0);
    form->CheckBoxApplicazioni->setChecked(true);
    // KS060 fits only the Vesta 1.2 8V.
    form->GridOutputClickCell(form->GridOutput, 1, 0);
    EXPECT_EQ(column(form->gridMarca, 2), QStringList({"Aurelia Motori"}));
    EXPECT_EQ(column(form->gridModello, 1), QStringList({"Vesta"}));
    EXPECT_EQ(column(form->gridVersione, 1), QStringList({"1.2 8V"}));
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS060", "KS062"})) << "not reloaded in the mode";
    // A version choice changes nothing in the mode.
    form->GridOutput->setCurrentRow(2);
    form->gridVersioneClickCell(form->gridVersione, 1, 0);
    EXPECT_EQ(column(form->GridOutput, 3), QStringList({"KS060", "KS062"}));
    EXPECT_EQ(form->EditCodice->text(), "KS060");
    screenshot("applications-mode");
}
