// Tab order and accessible names of the catalogue window, applied by object name so the
// window's layout code stays the one place that builds the controls.
#include "catalog/window/tab_order.h"

#include "catalog/catalog_error.h"
#include "catalog/window/main_form.h"
#include "catalog/window/statements.h"
#include "report/schema.h"
#include "widgets/bitmap_button.h"
#include "widgets/data_grid_accessible.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>

namespace {

QWidget *control(Tfrm_main *form, const QString &name)
{
    auto *w = form->findChild<QWidget *>(name);
    if (!w)
        catalog::raiseCatalogError(catalog::CatalogErrc::Window, "The catalogue window has no control named " + name);
    return w;
}

// A caption the skin picture already shows, laid over it as a label that draws nothing and
// lets every click through: it is there so that assistive tools read the caption beside
// its control, as the label that names it.
class PaintedCaption : public QLabel {
public:
    PaintedCaption(const QString &text, QWidget *buddy, const QRect &place) : QLabel(text, buddy->parentWidget())
    {
        setObjectName(QStringLiteral("Caption") + buddy->objectName());
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(place);
        setBuddy(buddy);
        // The captions lie under their controls in the stacking order, so none covers one.
        lower();
    }

protected:
    void paintEvent(QPaintEvent *) override {}
};

// The captions the skin paints, with where it paints them in the parent of their control.
// Field captions end 6 pixels before their field; the grids' titles sit above them.
struct Caption {
    const char *control;
    const char *text;
    QRect place;
};
const Caption kCaptions[] = {
    {"gridMarca", "MARCA", {16, 97, 166, 14}},
    {"gridModello", "MODELLO", {212, 97, 256, 14}},
    {"GridOutput", "BATTERIE DEL LISTINO", {494, 87, 300, 14}},
    {"gridVersione", "VERSIONI DEL MODELLO", {495, 437, 300, 14}},
    {"EditGamma", "Gamma", {640, 275, 67, 25}},
    {"EditCodice", "Codice", {796, 275, 94, 25}},
    {"EditCapacita", "Cap. Ah", {490, 316, 62, 25}},
    {"EditScarica", "Scarica A (EN)", {612, 316, 95, 25}},
    {"EditPolarita", "Polarità", {796, 316, 94, 25}},
    {"EditLunghezza", "Lungh. mm", {490, 357, 62, 25}},
    {"EditLarghezza", "Largh. mm", {612, 357, 70, 25}},
    {"EditAltezza", "Alt. mm", {742, 357, 57, 25}},
    {"EditAttacchi", "Attacchi", {859, 357, 59, 25}},
    {"ComboListino", "Listino", {491, 394, 62, 25}},
    {"EditMonoblocco", "Monoblocco", {700, 393, 190, 25}},
    {"LabelCodice", "Codice", {225, 646, 71, 14}},
    {"LabelCapacita", "Capacità Ah", {302, 646, 71, 14}},
    {"LabelScarica", "Scarica A", {379, 646, 71, 14}},
    {"HTMLabelNote", "NOTE", {212, 682, 200, 11}},
};

// Controls with no caption beside them: what they show or do, in the screen's words.
const std::pair<const char *, const char *> kNames[] = {
    {"VrBitmapButton1", "Cerca per gamma e codice"},
    {"VrBitmapButton2", "Cerca per capacità, scarica e polarità"},
    {"VrBitmapButton3", "Cerca per misure e attacchi"},
    {"VrBitmapButton4", "Cerca per monoblocco"},
    {"ImageZoom", "Foto della batteria"},
    {"EditTrova", "Cerca veicolo, codice o misure"},
    {"ListaTrova", "Risultati della ricerca"},
    {"VrBitmapButtonZoom", "Ingrandisci la foto"},
    {"VrBitmapButtonApplicazioni", "Mostra veicoli montanti"},
    {"VrBitmapButton6", "Indietro"},
    {"VrBitmapButton5", "Esci"},
};

// Each grid's columns in words, as its loads lay them out; "" for the marker and the
// blank column over the bullets, which only decorate. Last, the column that names a row.
struct GridColumns {
    const char *grid;
    QStringList names;
    int nameColumn;
};

const GridColumns kGridColumns[] = {
    {"gridMarca", {"", "Codice marca", "Marca"}, catalog::kMakeName},
    {"gridModello", {"", "Modello"}, catalog::kModelName},
    {"gridVersione",
     {"Codice veicolo", "Versione", "Alimentazione", "Dal", "Al", "Cm3", "Cv", "Kw"},
     catalog::kVersionName},
    {"GridOutput",
     {"Listino", "", "Gamma", "Codice", "Capacità Ah", "Scarica A", "Polarità", "Lunghezza mm", "Larghezza mm",
      "Altezza mm", "Attacchi", "Monoblocco", "Foto", "Nota", "Ordine"},
     catalog::schema::kCodice},
};

} // namespace

const QStringList &CatalogueTabOrder()
{
    static const QStringList order = {
        "EditTrova",
        "gridMarca",
        "gridModello",
        "gridVersione",
        "GridOutput",
        "VrBitmapButtonZoom",
        "VrBitmapButtonStampa",
        "VrBitmapButtonApplicazioni",
        "EditGamma",
        "EditCodice",
        "VrBitmapButton1",
        "EditCapacita",
        "EditScarica",
        "EditPolarita",
        "VrBitmapButton2",
        "EditLunghezza",
        "EditLarghezza",
        "EditAltezza",
        "EditAttacchi",
        "VrBitmapButton3",
        "ComboListino",
        "EditMonoblocco",
        "VrBitmapButton4",
        "VrBitmapButtonSostituzione",
        "VrBitmapButtonSegnala",
        "VrBitmapButton6",
        "VrBitmapButton5",
    };
    return order;
}

void ApplyTabOrder(Tfrm_main *form)
{
    const QStringList &order = CatalogueTabOrder();
    QWidget *previous = control(form, order.front());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget *next = control(form, order[i]);
        QWidget::setTabOrder(previous, next);
        previous = next;
    }
    control(form, order.front())->setFocus(Qt::OtherFocusReason);
}

void ApplyAccessibleNames(Tfrm_main *form)
{
    for (const Caption &caption : kCaptions) {
        QWidget *buddy = control(form, QString::fromLatin1(caption.control));
        if (!buddy->parentWidget()->findChild<QLabel *>(QStringLiteral("Caption") + buddy->objectName(),
                                                        Qt::FindDirectChildrenOnly))
            new PaintedCaption(QString::fromUtf8(caption.text), buddy, caption.place);
    }
    for (const auto &[name, text] : kNames)
        control(form, QString::fromLatin1(name))->setAccessibleName(QString::fromUtf8(text));
    // The search box's clear button is Qt's own, made from an action without text, which a
    // screen reader would read as a button without a name; it reads the action's text.
    if (auto *clear = form->EditTrova->findChild<QAction *>(QStringLiteral("_q_qlineeditclearaction")))
        clear->setText(QStringLiteral("Cancella ricerca"));
    for (const GridColumns &grid : kGridColumns)
        SetAccessibleColumns(static_cast<DataGrid *>(control(form, QString::fromLatin1(grid.grid))), grid.names,
                             grid.nameColumn);
    // The hidden check box holds applications mode; the bar that toggles it shows it.
    form->VrBitmapButtonApplicazioni->setCheckable(true);
    form->VrBitmapButtonApplicazioni->setChecked(form->ApplicationsMode());
    QObject::connect(form->CheckBoxApplicazioni, &QCheckBox::toggled, form->VrBitmapButtonApplicazioni,
                     &BitmapButton::setChecked, Qt::UniqueConnection);
}
