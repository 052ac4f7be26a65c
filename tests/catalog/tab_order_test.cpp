// Keyboard use of the catalogue window: Tab visits the search box, then the grids, fields
// and buttons in the drill-down and search order and comes round again; Shift+Tab goes
// back; the controls whose caption is only painted on the skin carry accessible names.
#include "tests/catalog/main_form_fixture.h"

#include "catalog/tab_order.h"
#include "platform/settings.h"
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>

namespace {

QString focusedName()
{
    QWidget *w = QApplication::focusWidget();
    return w ? w->objectName() : QStringLiteral("<nothing>");
}

void pressTab(Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QWidget *w = QApplication::focusWidget();
    ASSERT_NE(w, nullptr);
    QKeyEvent e(QEvent::KeyPress, mods & Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab, mods);
    QApplication::sendEvent(w, &e);
}

} // namespace

// Opens the window as the program does, with the Tab order applied when it is created,
// and makes it the active window so the keyboard focus can move.
class TabOrderTest : public CatalogueWindowTest {
protected:
    void openActive()
    {
        form = std::make_unique<Tfrm_main>();
        ApplyTabOrder(form.get());
        SelectedBrand = QStringLiteral("KORVA");
        form->show();
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
    }
};

TEST_F(TabOrderTest, TabVisitsGridsFieldsAndButtonsInOrder)
{
    openActive();

    const QStringList &order = CatalogueTabOrder();
    ASSERT_EQ(order.size(), 25);
    EXPECT_EQ(focusedName(), "EditTrova") << "the search box has the first focus";

    QStringList forward{focusedName()};
    for (qsizetype i = 1; i <= order.size(); ++i) {
        pressTab();
        forward << focusedName();
    }
    EXPECT_EQ(forward.mid(0, order.size()), order);
    EXPECT_EQ(forward.last(), "EditTrova") << "Tab after the exit button comes round to the search box";

    QStringList backward;
    for (qsizetype i = 0; i < 3; ++i) {
        pressTab(Qt::ShiftModifier);
        backward << focusedName();
    }
    EXPECT_EQ(backward, (QStringList{"VrBitmapButton5", "VrBitmapButton6", "VrBitmapButtonSostituzione"}));
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(TabOrderTest, TabThenEnterRunsTheSearch)
{
    // The search leaves applications mode, which swaps the bar's picture.
    folder.writePicture("img/bottoneMini.bmp", {125, 40}, Qt::blue);
    folder.writePicture("img/bottoneRossoMini.bmp", {125, 40}, Qt::red);
    openActive();
    // The chosen battery's code is in its field; the search must find that battery.
    const QString code = form->GridOutput->Cells(3, form->GridOutput->CurrentRow());
    ASSERT_FALSE(code.isEmpty());
    form->EditGamma->clear();
    form->EditCodice->setFocus(Qt::TabFocusReason);
    form->EditCodice->setText(code);
    form->GridOutput->ClearRowCells(1, form->GridOutput->RowCount() - 1);
    pressTab();
    ASSERT_EQ(focusedName(), "VrBitmapButton1");
    int clicks = 0;
    QObject::connect(form->VrBitmapButton1, &BitmapButton::clicked, [&] { ++clicks; });
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(QApplication::focusWidget(), &enter);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->GridOutput->Cells(3, 1), code);
    for (const RecordedMessage &m : rec.shown)
        ADD_FAILURE() << m.kind.toStdString() << ": " << m.text.toStdString();
}

TEST_F(CatalogueWindowTest, PaintedCaptionsBecomeAccessibleNames)
{
    InstallAccessibleWidgets();
    openWindow();
    ApplyAccessibleNames(form.get());
    struct { QWidget *control; const char *name; } named[] = {
        {form->gridMarca, "Marche"}, {form->GridOutput, "Batterie"}, {form->EditCapacita, "Capacità"},
        {form->VrBitmapButton5, "Esci"}, {form->VrBitmapButton6, "Indietro"},
        {form->EditTrova, "Cerca veicolo, codice o misure"}, {form->ListaTrova, "Risultati della ricerca"},
    };
    for (const auto &n : named)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(n.control)->text(QAccessible::Name), QString::fromUtf8(n.name))
            << n.control->objectName().toStdString();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->EditTrova)->role(), QAccessible::EditableText);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->ListaTrova)->role(), QAccessible::List);
    // The search buttons keep their hint as their name.
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(form->VrBitmapButton2)
                    ->text(QAccessible::Name)
                    .startsWith("Usa il tasto [Lente]"));
}
