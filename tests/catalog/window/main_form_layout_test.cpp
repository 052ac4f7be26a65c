// The catalogue window's layout, creation steps, showing and window buttons.
#include "tests/catalog/window/main_form_fixture.h"

#include "catalog/window/zoom_form.h"
#include "platform/settings.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/image_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

TEST_F(CatalogueWindowTest, EveryControlSitsWhereTheDesignPutsIt)
{
    openWindow();
    EXPECT_EQ(form->windowTitle(), "Dazozizizavuv Korva");
    EXPECT_EQ(form->size(), QSize(1023, 769));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "the window must not be resizable";
    EXPECT_FALSE(form->windowFlags()
                 & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint));

    struct Place {
        const char *name, *parent;
        QRect geometry;
    } places[] = {
        {"Panel2", "frm_main", {0, 0, 1023, 769}},
        {"ImageSfondo", "Panel2", {1, 1, 1021, 767}},
        {"VrBitmapButton1", "ImageSfondo", {980, 266, 35, 35}},
        {"VrBitmapButton2", "ImageSfondo", {980, 308, 35, 35}},
        {"VrBitmapButton3", "ImageSfondo", {980, 349, 35, 35}},
        {"VrBitmapButton4", "ImageSfondo", {980, 389, 35, 35}},
        {"VrBitmapButtonApplicazioni", "ImageSfondo", {499, 253, 133, 49}},
        {"LabelCodice", "ImageSfondo", {225, 664, 71, 16}},
        {"LabelCapacita", "ImageSfondo", {302, 664, 71, 16}},
        {"LabelScarica", "ImageSfondo", {379, 664, 71, 16}},
        {"VrBitmapButton5", "ImageSfondo", {984, 2, 35, 35}},
        {"VrBitmapButton6", "ImageSfondo", {943, 2, 35, 35}},
        {"HTMLabelNote", "ImageSfondo", {210, 694, 271, 48}},
        {"ImageZoom", "ImageSfondo", {219, 487, 241, 151}},
        {"VrBitmapButtonZoom", "ImageZoom", {200, 3, 35, 35}},
        {"VrBitmapButtonStampa", "ImageSfondo", {452, 645, 35, 35}},
        {"CheckBoxApplicazioni", "ImageSfondo", {645, 257, 97, 17}},
        // The ten edits are 25 pixels high once shown.
        {"EditGamma", "ImageSfondo", {713, 275, 80, 25}},
        {"EditCodice", "ImageSfondo", {896, 275, 80, 25}},
        {"EditCapacita", "ImageSfondo", {558, 316, 52, 25}},
        {"EditScarica", "ImageSfondo", {713, 316, 80, 25}},
        {"EditPolarita", "ImageSfondo", {896, 316, 80, 25}},
        {"EditLunghezza", "ImageSfondo", {558, 357, 52, 25}},
        {"EditLarghezza", "ImageSfondo", {688, 357, 52, 25}},
        {"EditAltezza", "ImageSfondo", {805, 357, 52, 25}},
        {"EditMonoblocco", "ImageSfondo", {896, 393, 80, 25}},
        {"EditAttacchi", "ImageSfondo", {924, 357, 52, 25}},
        {"gridMarca", "Panel2", {15, 128, 166, 553}},
        {"gridModello", "Panel2", {211, 128, 256, 344}},
        {"gridVersione", "Panel2", {494, 465, 517, 278}},
        {"GridOutput", "Panel2", {493, 116, 515, 136}},
        {"ComboListino", "Panel2", {558, 393, 81, 22}},
    };
    for (const Place &p : places) {
        auto *w = form->findChild<QWidget *>(QLatin1String(p.name));
        ASSERT_NE(w, nullptr) << p.name;
        EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(p.parent)) << p.name;
        EXPECT_EQ(w->geometry(), p.geometry) << p.name;
    }
    EXPECT_FALSE(form->CheckBoxApplicazioni->isVisible());
    EXPECT_FALSE(form->CheckBoxApplicazioni->isChecked());
    EXPECT_TRUE(form->gridMarca->isVisible());
    EXPECT_TRUE(form->GridOutput->DoubleBuffered());
    EXPECT_EQ(form->ComboListino->EditHeight(), 20);
}

TEST_F(CatalogueWindowTest, SearchFieldsAndButtonsCarryTheTwoLineHint)
{
    HintHidePause = 100000;
    openWindow();
    const QString twoLines = "Usa il tasto [Lente] per cercare i valori inseriti.\n"
                             "Se premi [Invio] azzeri gli altri campi di ricerca.";
    // Every field but the search box of the header band, which has a hint of its own.
    QList<QLineEdit *> fields = form->findChildren<QLineEdit *>();
    fields.removeOne(form->EditTrova);
    for (QLineEdit *edit : fields) {
        EXPECT_EQ(edit->toolTip(), twoLines) << edit->objectName().toStdString();
        EXPECT_EQ(edit->toolTipDuration(), 100000) << edit->objectName().toStdString();
    }
    EXPECT_EQ(fields.size(), 10);
    EXPECT_TRUE(form->EditTrova->toolTip().contains("Ctrl+F o F3"));
    for (BitmapButton *b :
         {form->VrBitmapButton1, form->VrBitmapButton2, form->VrBitmapButton3, form->VrBitmapButton4}) {
        EXPECT_EQ(b->Hint(), Tfrm_main::SearchHint());
        EXPECT_TRUE(b->ShowHint());
    }
    EXPECT_TRUE(form->ImageZoom->toolTip().isEmpty()) << "the photo box shows no hint";
    HintHidePause = 2500;
}

TEST_F(CatalogueWindowTest, CreationLoadsTheSkinAndListsThePriceLists)
{
    form = std::make_unique<Tfrm_main>();
    EXPECT_EQ(AppDir, folder.path());
    EXPECT_EQ(form->ImageSfondo->Bitmap().size(), kSkinSize);
    QStringList items;
    for (int i = 0; i < form->ComboListino->ItemCount(); ++i)
        items << form->ComboListino->ItemText(i, 0);
    EXPECT_EQ(items, QStringList({"BRASK", "FENU", "KORVA", "QUIB", "ZELKAR"}));
    EXPECT_EQ(form->ComboListino->ItemIndex(), 0);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join("\n").toStdString();
}

TEST_F(CatalogueWindowTest, MissingSkinEndsCreationButTheWindowExists)
{
    folder.remove("img/interna.jpg");
    form = std::make_unique<Tfrm_main>();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, "error");
    EXPECT_TRUE(rec.shown[0].text.contains("interna.jpg")) << rec.shown[0].text.toStdString();
    EXPECT_EQ(form->ComboListino->ItemCount(), 0) << "the price-list step comes after the skin";
}

TEST_F(CatalogueWindowTest, OnlyTheWindowButtonsLeaveTheWindow)
{
    openWindow();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(form.get(), &escape);
    EXPECT_TRUE(form->isVisible()) << "Escape closed the window";
    form->close();
    EXPECT_TRUE(form->isVisible()) << "the frame closed the window";

    // The back button ends the modal showing and nothing else.
    QTimer::singleShot(0, form.get(), [&] { form->VrBitmapButton6Click(form->VrBitmapButton6); });
    form->hide();
    form->exec(); // returns only when the back button closed the window
    EXPECT_FALSE(form->isVisible());
}

TEST_F(CatalogueWindowTest, ExitButtonEndsEveryEventLoop)
{
    openWindow();
    form->hide();
    bool modalEnded = false;
    // The program's loop runs the modal showing, as the brand click does.
    QTimer::singleShot(0, form.get(), [&] {
        QTimer::singleShot(0, form.get(), [&] { form->VrBitmapButton5Click(form->VrBitmapButton5); });
        form->exec();
        modalEnded = true;
    });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(modalEnded);
}

TEST_F(CatalogueWindowTest, ZoomButtonShowsTheShownPhotoModally)
{
    openWindow();
    QSize zoomed;
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_NE(frm_zoom, nullptr);
        zoomed = frm_zoom->ImageZoom->Bitmap().size();
        frm_zoom->ZoomFotoClick();
    });
    form->VrBitmapButtonZoomClick(form->VrBitmapButtonZoom);
    EXPECT_EQ(zoomed, kKorvaStartSize);
    EXPECT_EQ(frm_zoom, nullptr);
}
