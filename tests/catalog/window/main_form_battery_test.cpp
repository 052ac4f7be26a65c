// The battery click: fields, labels, the photo with its shown-photo path, the note, and
// the damaged-photo path that ends the cascade.
#include "tests/catalog/window/main_form_fixture.h"

#include "platform/error_guard.h"
#include "widgets/column_combo_box.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"

#include <QLabel>
#include <QLineEdit>

namespace {

class BatteryClickTest : public CatalogueWindowTest {
protected:
    // The Vesta's versions in `priceList`: 1.2 8V (row 1), 1.4 16V "Sport" (2), 1.9 JTD (3).
    void chooseVesta(const char *priceList = "KORVA")
    {
        openWindow(priceList);
        form->gridModelloClickCell(form->gridModello, rowOf(form->gridModello, 1, "Vesta"), 0);
    }
    void chooseVersion(int row)
    {
        form->gridVersione->setCurrentRow(row);
        form->gridVersioneClickCell(form->gridVersione, row, 0);
    }
    qint64 pictureKey() const { return form->ImageZoom->Bitmap().cacheKey(); }
};

} // namespace

TEST_F(BatteryClickTest, FillsTheTenFieldsAndThreeLabelsFromTheRow)
{
    chooseVesta();
    form->GridOutputClickCell(form->GridOutput, 1, 0); // KS060
    const std::pair<QLineEdit *, const char *> fields[] = {
        {form->EditGamma, "Korva Start"}, {form->EditCodice, "KS060"},  {form->EditPolarita, "DX"},
        {form->EditLunghezza, "242"},     {form->EditLarghezza, "175"}, {form->EditAltezza, "190"},
        {form->EditAttacchi, "B13"},      {form->EditMonoblocco, "L2"},
    };
    for (const auto &[edit, text] : fields)
        EXPECT_EQ(edit->text(), QString::fromUtf8(text)) << edit->objectName().toStdString();
    EXPECT_EQ(form->EditCapacita->text(), form->GridOutput->Cells(4, 1));
    EXPECT_EQ(form->EditScarica->text(), "540");
    EXPECT_EQ(form->LabelCodice->text(), "KS060");
    EXPECT_EQ(form->LabelCapacita->text(), form->GridOutput->Cells(4, 1));
    EXPECT_EQ(form->LabelScarica->text(), "540");
    EXPECT_EQ(form->HTMLabelNote->HTMLText(), QStringList({QString::fromUtf8("<B>Più venduta</B>")}));
    screenshot("battery-with-note");
}

TEST_F(BatteryClickTest, SamePhotoIsLoadedOnceTheFieldsEveryTime)
{
    chooseVesta();
    ASSERT_EQ(form->GridOutput->Cells(3, 1), "KS060");
    const qint64 loaded = pictureKey();
    EXPECT_EQ(photoSize(), kKorvaStartSize);
    // Found ignoring case: the program asks for .JPG, the file is .jpg.
    EXPECT_EQ(form->ShownPhotoPath(), folder.path() + "foto/korva_start.jpg.jpg");

    form->EditCodice->clear();
    form->HTMLabelNote->clearHTMLText();
    form->GridOutputClickCell(form->GridOutput, 1, 0);
    EXPECT_EQ(pictureKey(), loaded) << "the same battery loaded its photo again";
    EXPECT_EQ(form->EditCodice->text(), "KS060");
    EXPECT_EQ(form->HTMLabelNote->HTMLText().size(), 1);

    // KS062 shares the photo.
    form->GridOutputClickCell(form->GridOutput, 2, 0);
    EXPECT_EQ(form->EditCodice->text(), "KS062");
    EXPECT_EQ(pictureKey(), loaded);
}

TEST_F(BatteryClickTest, PhotoThenPlaceholderThenThePhotoAgain)
{
    chooseVesta();
    EXPECT_EQ(photoSize(), kKorvaStartSize); // KS060
    const qint64 photo = pictureKey();
    chooseVersion(3); // KP074, whose photo is missing
    ASSERT_EQ(form->EditCodice->text(), "KP074");
    EXPECT_EQ(photoSize(), kPlaceholderSize);
    EXPECT_EQ(form->ShownPhotoPath(), folder.path() + "foto/vuoto.JPG");
    const qint64 placeholder = pictureKey();
    form->GridOutputClickCell(form->GridOutput, 1, 0);
    EXPECT_NE(pictureKey(), placeholder) << "the placeholder is loaded every time it is needed";
    chooseVersion(1);
    EXPECT_EQ(photoSize(), kKorvaStartSize);
    EXPECT_EQ(pictureKey(), photo) << "a photo shown a moment ago, unchanged, is not decoded again";
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join("\n").toStdString();
}

TEST_F(BatteryClickTest, BatteryWithoutPhotoNameShowsThePlaceholder)
{
    chooseVesta("BRASK"); // BS063 has no FOTO
    EXPECT_EQ(form->EditCodice->text(), "BS063");
    EXPECT_EQ(photoSize(), kPlaceholderSize);
}

TEST_F(BatteryClickTest, DamagedPhotoReportsOnceAndEndsTheCascade)
{
    chooseVesta();
    const QString shown = form->ShownPhotoPath();
    const qint64 picture = pictureKey();
    rec.clear();
    // QC60 of the Vesta 1.2 8V in QUIB: its photo file holds no picture.
    form->ComboListino->setItemIndex(form->ComboListino->IndexOfInColumn(0, "QUIB"));
    const bool completed = Guarded([&] { form->gridVersioneClickCell(form->gridVersione, 1, 0); });
    EXPECT_FALSE(completed);
    EXPECT_EQ(errorCount(), 1);
    ASSERT_EQ(rec.shown.size(), 1u) << rec.texts().join("\n").toStdString();
    EXPECT_TRUE(rec.shown[0].text.contains("quib_classic")) << rec.shown[0].text.toStdString();
    EXPECT_EQ(form->EditCodice->text(), "QC60");
    EXPECT_EQ(form->HTMLabelNote->HTMLText(), QStringList({"<B>Nuovo</B> formato"})) << "the note is still replaced";
    EXPECT_EQ(form->ShownPhotoPath(), shown);
    EXPECT_EQ(pictureKey(), picture) << "the picture shown before stays";
    screenshot("damaged-photo");
}

TEST_F(BatteryClickTest, DamagedPhotoInTheMakeCascadeStopsTheMakeHandlerToo)
{
    openWindow("QUIB"); // the first battery reached is QC60 of the Pràtola 1.6 Bi-Fuel GPL
    EXPECT_EQ(errorCount(), 1) << rec.texts().join("\n").toStdString();
    EXPECT_EQ(form->EditCodice->text(), "QC60");
    // Each level selects row 1 of the grid it loaded only after the level below returned.
    EXPECT_EQ(form->gridMarca->CurrentRow(), 1);
    EXPECT_EQ(form->gridModello->CurrentRow(), 0);
    EXPECT_EQ(form->gridVersione->CurrentRow(), 0);
    EXPECT_EQ(form->GridOutput->CurrentRow(), 0);
    EXPECT_FALSE(form->GridOutput->DoubleBuffered()) << "the show handler went on after the error";
}
