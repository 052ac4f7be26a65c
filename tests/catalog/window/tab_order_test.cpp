// Keyboard and screen-reader use of the catalogue window: Tab visits the search box, then
// the grids, fields and buttons in the drill-down and search order and comes round again;
// Shift+Tab goes back; arrows in the battery grid show the battery; every control carries
// the name the screen shows beside it, grids their column headers, the applications bar
// its state.
#include "tests/catalog/window/main_form_fixture.h"

#include "catalog/window/tab_order.h"
#include "platform/settings.h"
#include "widgets/accessible_widgets.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"
#include "widgets/note_markup.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSet>

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
    ASSERT_EQ(order.size(), 27);
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
    EXPECT_EQ(backward, (QStringList{"VrBitmapButton5", "VrBitmapButton6", "VrBitmapButtonSegnala"}));
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

namespace {

QAccessibleInterface *accessible(QWidget *w) { return QAccessible::queryAccessibleInterface(w); }

// The names of the controls that label `w` for assistive tools.
QStringList labelsOf(QWidget *w)
{
    QStringList names;
    for (const auto &[iface, relation] : accessible(w)->relations(QAccessible::Label))
        names << iface->text(QAccessible::Name);
    return names;
}

} // namespace

TEST_F(CatalogueWindowTest, ControlsAreNamedAsTheScreenShowsThem)
{
    InstallAccessibleWidgets();
    openWindow();
    struct Named {
        QWidget *control;
        const char *name;
        const char *label; // the painted caption labelling it, "" for none
    } named[] = {
        {form->gridMarca, "MARCA", "MARCA"},
        {form->gridModello, "MODELLO", "MODELLO"},
        {form->gridVersione, "VERSIONI DEL MODELLO", "VERSIONI DEL MODELLO"},
        {form->GridOutput, "BATTERIE DEL LISTINO", "BATTERIE DEL LISTINO"},
        {form->EditGamma, "Gamma", "Gamma"},
        {form->EditCapacita, "Cap. Ah", "Cap. Ah"},
        {form->EditScarica, "Scarica A (EN)", "Scarica A (EN)"},
        {form->EditPolarita, "Polarità", "Polarità"},
        {form->EditLunghezza, "Lungh. mm", "Lungh. mm"},
        {form->EditLarghezza, "Largh. mm", "Largh. mm"},
        {form->EditAltezza, "Alt. mm", "Alt. mm"},
        {form->EditAttacchi, "Attacchi", "Attacchi"},
        {form->EditMonoblocco, "Monoblocco", "Monoblocco"},
        {form->ComboListino, "Listino", "Listino"},
        {form->VrBitmapButton1, "Cerca per gamma e codice", ""},
        {form->VrBitmapButton2, "Cerca per capacità, scarica e polarità", ""},
        {form->VrBitmapButton3, "Cerca per misure e attacchi", ""},
        {form->VrBitmapButton4, "Cerca per monoblocco", ""},
        {form->VrBitmapButtonApplicazioni, "Mostra veicoli montanti", ""},
        {form->VrBitmapButtonZoom, "Ingrandisci la foto", ""},
        {form->ImageZoom, "Foto della batteria", ""},
        {form->VrBitmapButton5, "Esci", ""},
        {form->VrBitmapButton6, "Indietro", ""},
        {form->EditTrova, "Cerca veicolo, codice o misure", ""},
        {form->ListaTrova, "Risultati della ricerca", ""},
        {form->VrBitmapButtonSostituzione, "Trova batterie sostitutive", ""},
    };
    QSet<QString> names;
    for (const auto &n : named) {
        SCOPED_TRACE(n.control->objectName().toStdString());
        EXPECT_EQ(accessible(n.control)->text(QAccessible::Name), QString::fromUtf8(n.name));
        EXPECT_EQ(labelsOf(n.control), *n.label ? QStringList{QString::fromUtf8(n.label)} : QStringList{});
        names << accessible(n.control)->text(QAccessible::Name);
    }
    EXPECT_EQ(names.size(), qsizetype(std::size(named))) << "no two controls share a name";
    EXPECT_EQ(accessible(form->EditTrova)->role(), QAccessible::EditableText);
    EXPECT_EQ(accessible(form->ListaTrova)->role(), QAccessible::List);
    // The search buttons keep their hint as description.
    EXPECT_TRUE(accessible(form->VrBitmapButton2)->text(QAccessible::Description).startsWith("Usa il tasto [Lente]"));

    // The values under the photo are labelled by the captions above them, the note reads
    // as its text, the photo is described by the battery's range and code.
    const int row = form->GridOutput->CurrentRow();
    struct Value {
        QWidget *control;
        const char *label;
        int column;
    } values[] = {
        {form->LabelCodice, "Codice", 3},
        {form->LabelCapacita, "Capacità Ah", 4},
        {form->LabelScarica, "Scarica A", 5},
    };
    for (const auto &v : values) {
        EXPECT_EQ(labelsOf(v.control), QStringList{QString::fromUtf8(v.label)});
        EXPECT_EQ(accessible(v.control)->text(QAccessible::Name), form->GridOutput->Cells(v.column, row));
    }
    EXPECT_EQ(labelsOf(form->HTMLabelNote), QStringList{"NOTE"});
    EXPECT_EQ(accessible(form->HTMLabelNote)->role(), QAccessible::StaticText);
    EXPECT_EQ(accessible(form->HTMLabelNote)->text(QAccessible::Name),
              NotePlainText(form->GridOutput->Cells(13, row)).simplified());
    EXPECT_EQ(
        accessible(form->ImageZoom)->text(QAccessible::Description),
        QStringLiteral("Gamma %1, codice %2").arg(form->GridOutput->Cells(2, row), form->GridOutput->Cells(3, row)));

    // The price list is a combo box holding the selected list as its value.
    EXPECT_EQ(accessible(form->ComboListino)->role(), QAccessible::ComboBox);
    EXPECT_EQ(accessible(form->ComboListino)->text(QAccessible::Value), "KORVA");
}

// Every button on show has a name to be read by, Qt's own ones inside other controls (the
// search box's clear button) as much as ours.
TEST_F(CatalogueWindowTest, EveryButtonOnShowHasAName)
{
    InstallAccessibleWidgets();
    openWindow();
    form->EditTrova->setText("KS"); // the clear button shows over some text only
    QStringList unnamed;
    QList<QAbstractButton *> inSearchBox;
    for (QAbstractButton *button : form->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(form.get()))
            continue;
        if (form->EditTrova->isAncestorOf(button))
            inSearchBox << button;
        if (accessible(button)->text(QAccessible::Name).trimmed().isEmpty())
            unnamed << QString::fromLatin1(button->metaObject()->className()) + " in "
                           + button->parentWidget()->objectName();
    }
    EXPECT_TRUE(unnamed.isEmpty()) << "without a name: " << unnamed.join(", ").toStdString();
    ASSERT_EQ(inSearchBox.size(), 1);
    EXPECT_EQ(accessible(inSearchBox[0])->role(), QAccessible::Button);
    EXPECT_EQ(accessible(inSearchBox[0])->text(QAccessible::Name), "Cancella ricerca");
}

TEST_F(CatalogueWindowTest, GridsHaveHeadersInWordsAndTheirRowsAreNamed)
{
    InstallAccessibleWidgets();
    openWindow();
    struct Grid {
        DataGrid *grid;
        QStringList headers;
        int nameColumn;
    } grids[] = {
        {form->gridMarca, {"Marca"}, 2},
        {form->gridModello, {"Modello"}, 1},
        {form->gridVersione, {"Versione", "Alimentazione", "Dal", "Al", "Cm3", "Cv", "Kw"}, 1},
        {form->GridOutput,
         {"Gamma", "Codice", "Capacità Ah", "Scarica A", "Polarità", "Lunghezza mm", "Larghezza mm", "Altezza mm"},
         3},
    };
    for (const Grid &g : grids) {
        SCOPED_TRACE(g.grid->objectName().toStdString());
        QAccessibleTableInterface *table = accessible(g.grid)->tableInterface();
        ASSERT_NE(table, nullptr);
        QStringList headers;
        for (int c = 0; c < table->columnCount(); ++c) {
            const QList<QAccessibleInterface *> cells = table->cellAt(0, c)->tableCellInterface()->columnHeaderCells();
            headers << (cells.isEmpty() ? QStringLiteral("<none>") : cells[0]->text(QAccessible::Name));
        }
        EXPECT_EQ(headers, g.headers);
        // With the focus on the grid, the focused cell is the current row's name.
        g.grid->setFocus(Qt::TabFocusReason);
        form->activateWindow();
        QApplication::setActiveWindow(form.get());
        g.grid->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(g.grid->hasFocus());
        QAccessibleInterface *focused = accessible(g.grid)->focusChild();
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->text(QAccessible::Name), g.grid->Cells(g.nameColumn, g.grid->CurrentRow()));
        EXPECT_FALSE(focused->text(QAccessible::Name).isEmpty());
    }
}

TEST_F(CatalogueWindowTest, ApplicationsButtonShowsTheModeAsItsState)
{
    folder.writePicture("img/bottoneMini.bmp", {125, 40}, Qt::blue);
    folder.writePicture("img/bottoneRossoMini.bmp", {125, 40}, Qt::red);
    InstallAccessibleWidgets();
    openWindow();
    QAccessibleInterface *button = accessible(form->VrBitmapButtonApplicazioni);
    EXPECT_TRUE(button->state().checkable);
    for (bool on : {true, false}) {
        form->VrBitmapButtonApplicazioniClick(form->VrBitmapButtonApplicazioni);
        EXPECT_EQ(form->ApplicationsMode(), on);
        EXPECT_EQ(bool(button->state().checked), on);
    }
    EXPECT_EQ(errorCount(), 0);
}

TEST_F(TabOrderTest, ArrowKeysInTheBatteryGridShowTheBatteryOfTheNewRow)
{
    openActive();
    // The first version of the catalogue that fits more than one battery.
    for (int make = 1; make < form->gridMarca->RowCount() && form->GridOutput->RowCount() < 3; ++make) {
        form->gridMarcaClickCell(form->gridMarca, make, 0);
        for (int model = 1; model < form->gridModello->RowCount() && form->GridOutput->RowCount() < 3; ++model) {
            form->gridModelloClickCell(form->gridModello, model, 0);
            for (int v = 1; v < form->gridVersione->RowCount() && form->GridOutput->RowCount() < 3; ++v)
                form->gridVersioneClickCell(form->gridVersione, v, 0);
        }
    }
    ASSERT_GE(form->GridOutput->RowCount(), 3) << "no version of the fixture fits two batteries";
    form->GridOutput->setCurrentRow(1);
    form->GridOutput->setFocus(Qt::TabFocusReason);
    struct Step {
        int key;
        int row;
    } steps[] = {{Qt::Key_Down, 2}, {Qt::Key_Up, 1}, {Qt::Key_End, 1}};
    for (const Step &step : steps) {
        for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent e(type, step.key, Qt::NoModifier);
            QApplication::sendEvent(form->GridOutput, &e);
        }
        ASSERT_EQ(form->GridOutput->CurrentRow(), step.row);
        EXPECT_EQ(form->EditCodice->text(), form->GridOutput->Cells(3, step.row));
        EXPECT_EQ(form->LabelCapacita->text(), form->GridOutput->Cells(4, step.row));
        EXPECT_EQ(form->HTMLabelNote->Markup(), form->GridOutput->Cells(13, step.row));
    }
    EXPECT_EQ(errorCount(), 0);
}
