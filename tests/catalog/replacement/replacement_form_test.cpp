// The replacement finder's window on the demo catalogue: what it lists and how, what it
// refuses, and what the catalogue window does with the battery chosen in it.
#include "tests/catalog/window/demo_window_fixture.h"

#include "catalog/replacement/replacement_form.h"
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"

#include <QAccessible>

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

namespace {

// KS060 of the demo catalogue as the catalogue window shows it.
ReplacementStart ks060() { return {"KS060", "242", "175", "190", "DX", "B13", "60", "540"}; }

class ReplacementFormTest : public DemoWindowTest {
protected:
    void SetUp() override
    {
        DemoWindowTest::SetUp();
        // Before any control is asked for its interface, which is then kept.
        InstallAccessibleWidgets();
        openWindow();
    }
    std::unique_ptr<Tfrm_sostituzione> finder(const ReplacementStart &start = ks060())
    {
        auto w = std::make_unique<Tfrm_sostituzione>(form.get(), start, form->SelectedPriceList());
        w->VrBitmapButtonSostCercaClick();
        return w;
    }
    static QColor cellColour(Tfrm_sostituzione &w, int col, int row)
    {
        QBrush brush;
        ColoredFont font{w.GridSostituzione->font(), Qt::black};
        w.GridSostituzione->OnGetCellColor(w.GridSostituzione, row, col, GridDrawState{}, brush, font);
        return font.color;
    }
};

TEST_F(ReplacementFormTest, ListsWhatFitsWithDifferencesAndMarks)
{
    auto w = finder({"", "242", "175", "190", "DX", "B13", "61", "540"});
    const DataGrid *grid = w->GridSostituzione;
    const QStringList codes = column(grid, 1);
    ASSERT_TRUE(codes.contains("KS060"));
    EXPECT_FALSE(codes.contains("KP074")) << "278 mm long";
    EXPECT_EQ(int(w->Result().fits.size()), codes.size());

    const int ks060Row = rowOf(grid, 1, "KS060");
    EXPECT_EQ(grid->Cells(2, ks060Row), "60 (\u22121)");
    EXPECT_EQ(cellColour(*w, 2, ks060Row), QColor(200, 0, 0)) << "less capacity: red";
    EXPECT_EQ(grid->Cells(3, ks060Row), "540 (=)");
    EXPECT_EQ(cellColour(*w, 3, ks060Row), QColor(Qt::black));

    const int ks044Row = rowOf(grid, 1, "KS044");
    ASSERT_GT(ks044Row, 0);
    EXPECT_EQ(grid->Cells(5, ks044Row), "207 (\u221235)");
    EXPECT_EQ(grid->Cells(7, ks044Row), "175 (\u221215)");

    const int ks062Row = rowOf(grid, 1, "KS062");
    ASSERT_GT(ks062Row, 0);
    EXPECT_EQ(grid->Cells(4, ks062Row), "SX \u2260");
    EXPECT_EQ(cellColour(*w, 4, ks062Row), QColor(200, 0, 0));
    EXPECT_EQ(cellColour(*w, 2, ks062Row), QColor(Qt::black)) << "62.5 Ah is not less";
    w->GridSostituzione->setCurrentRow(ks062Row);
    EXPECT_EQ(w->LabelSostAvviso->text(), "Polarità invertita: verificare la lunghezza dei cavi");
    w->GridSostituzione->setCurrentRow(ks060Row);
    EXPECT_EQ(w->LabelSostAvviso->text(), "");
    EXPECT_TRUE(w->LabelSostListino->text().contains("KORVA"));
}

TEST_F(ReplacementFormTest, EnterInAFieldSearchesAgainAndEmptyFieldsDoNotRestrict)
{
    auto w = finder();
    const int before = w->GridSostituzione->RowCount();
    w->EditSostAltezza->setText("175");
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(w->EditSostAltezza, &enter);
    EXPECT_LT(w->GridSostituzione->RowCount(), before);
    EXPECT_FALSE(column(w->GridSostituzione, 1).contains("KS060"));

    for (QLineEdit *field : {w->EditSostLunghezza, w->EditSostLarghezza, w->EditSostAltezza, w->EditSostPolarita,
                             w->EditSostAttacchi, w->EditSostCapacita, w->EditSostScarica})
        field->clear();
    w->VrBitmapButtonSostCercaClick();
    // Every battery of the price list: the eight KORVA batteries of the fixed cases at least.
    for (const char *code : {"KS044", "KS060", "KS062", "KS095", "KP074", "KA080", "KV012", "KV035"})
        EXPECT_TRUE(column(w->GridSostituzione, 1).contains(code)) << code;
    EXPECT_EQ(w->LabelSostEsclusi->text(), "");
}

TEST_F(ReplacementFormTest, ABadNumberIsRefusedOnceNamingEveryBadField)
{
    auto w = finder();
    const QStringList before = column(w->GridSostituzione, 1);
    w->EditSostLunghezza->setText("24x");
    w->EditSostScarica->setText("540 A");
    w->EditSostCapacita->setText("60,5");
    w->VrBitmapButtonSostCercaClick();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].caption, "Attenzione");
    EXPECT_TRUE(
        rec.shown[0].text.startsWith("Lunghezza mm: «24x» non è un numero.\rScarica A: «540 A» non è un numero."))
        << rec.shown[0].text.toStdString();
    EXPECT_EQ(column(w->GridSostituzione, 1), before);
}

TEST_F(ReplacementFormTest, ChoosingARowShowsItInTheCatalogueWindowInApplicationsMode)
{
    // The finder runs modally: the choice is made from inside its loop, as a user would.
    QString chosen;
    QTimer::singleShot(0, form.get(), [&] {
        ASSERT_NE(frm_sostituzione, nullptr);
        chosen = frm_sostituzione->GridSostituzione->Cells(1, 2);
        frm_sostituzione->GridSostituzione->setCurrentRow(2);
        frm_sostituzione->ButtonSostMostra->click();
    });
    form->VrBitmapButtonSostituzioneClick(form->VrBitmapButtonSostituzione);
    EXPECT_EQ(frm_sostituzione, nullptr);
    ASSERT_FALSE(chosen.isEmpty());
    EXPECT_EQ(form->EditCodice->text(), chosen);
    EXPECT_EQ(form->GridOutput->Cells(3, 1), chosen);
    EXPECT_TRUE(form->ApplicationsMode());
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(" / ").toStdString();
}

TEST_F(ReplacementFormTest, ChiudiAndTheCaptionRowChooseNothing)
{
    const QStringList fieldsBefore = fieldTexts();
    const QStringList batteriesBefore = batteryCells();
    for (auto close : {+[] { frm_sostituzione->ButtonSostChiudi->click(); },
                       +[] {
                           frm_sostituzione->GridSostituzioneChoose(0);
                           frm_sostituzione->reject();
                       }}) {
        QTimer::singleShot(0, form.get(), close);
        form->VrBitmapButtonSostituzioneClick(form->VrBitmapButtonSostituzione);
        EXPECT_EQ(fieldTexts(), fieldsBefore);
        EXPECT_EQ(batteryCells(), batteriesBefore);
        EXPECT_FALSE(form->ApplicationsMode());
    }
}

TEST_F(ReplacementFormTest, EveryNewControlHasANameAPersonWouldSay)
{
    auto w = finder();
    const auto name = [](QWidget *control) {
        return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
    };
    EXPECT_EQ(name(form->VrBitmapButtonSostituzione), "Trova batterie sostitutive");
    EXPECT_EQ(name(w->EditSostTolleranza), "Tolleranza altezza mm");
    EXPECT_EQ(name(w->EditSostCapacita), "Capacità Ah");
    EXPECT_EQ(name(w->GridSostituzione), "Batterie che entrano nello spazio");
    EXPECT_EQ(name(w->ButtonSostMostra), "Mostra");
    EXPECT_FALSE(name(w->VrBitmapButtonSostCerca).isEmpty());
}

TEST_F(ReplacementFormTest, AnInvertedPolarityCellExplainsItselfOnHover)
{
    auto w = finder();
    w->show();
    DataGrid *grid = w->GridSostituzione;
    const int ks062Row = rowOf(grid, 1, "KS062");
    ASSERT_GT(ks062Row, 0);
    grid->setTopRow(ks062Row);
    const auto hintAt = [&](int col, int row) {
        const QPoint at = grid->CellRect(col, row).center();
        QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
        QApplication::sendEvent(grid->viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    // The plain cell first: a hint once shown fades out only a moment after it is hidden.
    EXPECT_EQ(hintAt(3, ks062Row), "");
    EXPECT_EQ(hintAt(4, ks062Row), "Polarità invertita: verificare la lunghezza dei cavi");
}

TEST_F(ReplacementFormTest, ADoubleClickOnARowChoosesIt)
{
    auto w = finder();
    w->show();
    DataGrid *grid = w->GridSostituzione;
    const QPoint at = grid->CellRect(1, 2).center();
    QMouseEvent press(QEvent::MouseButtonPress, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
    QMouseEvent twice(QEvent::MouseButtonDblClick, at, grid->viewport()->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &twice);
    ASSERT_TRUE(w->Chosen().has_value());
    EXPECT_EQ(w->Chosen()->code, grid->Cells(1, 2));
    EXPECT_EQ(w->result(), QDialog::Accepted);
}

} // namespace
