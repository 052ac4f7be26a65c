// Tab order and accessible names of the catalogue window, applied by object name so the
// window's layout code stays the one place that builds the controls.
#include "catalog/tab_order.h"

#include "catalog/main_form.h"

#include <stdexcept>
#include <utility>

namespace {

QWidget *control(Tfrm_main *form, const QString &name)
{
    auto *w = form->findChild<QWidget *>(name);
    if (!w)
        throw std::runtime_error("The catalogue window has no control named " + name.toStdString());
    return w;
}

// The captions the skin paints beside the fields and over the grids.
const std::pair<const char *, const char *> kNames[] = {
    {"gridMarca", "Marche"},
    {"gridModello", "Modelli"},
    {"gridVersione", "Versioni"},
    {"GridOutput", "Batterie"},
    {"EditGamma", "Gamma"},
    {"EditCodice", "Codice"},
    {"EditCapacita", "Capacità"},
    {"EditScarica", "Scarica"},
    {"EditPolarita", "Polarità"},
    {"EditLunghezza", "Lunghezza"},
    {"EditLarghezza", "Larghezza"},
    {"EditAltezza", "Altezza"},
    {"EditAttacchi", "Attacchi"},
    {"EditMonoblocco", "Monoblocco"},
    {"ComboListino", "Listino"},
    {"ImageZoom", "Foto della batteria"},
    {"EditTrova", "Cerca veicolo, codice o misure"},
    {"ListaTrova", "Risultati della ricerca"},
    {"HTMLabelNote", "Nota"},
    {"VrBitmapButtonZoom", "Ingrandisci la foto"},
    {"VrBitmapButtonApplicazioni", "Mostra veicoli montanti"},
    {"VrBitmapButton6", "Indietro"},
    {"VrBitmapButton5", "Esci"},
};

} // namespace

const QStringList &CatalogueTabOrder()
{
    static const QStringList order = {
        "EditTrova",
        "gridMarca",     "gridModello",   "gridVersione",   "GridOutput",
        "VrBitmapButtonZoom", "VrBitmapButtonApplicazioni",
        "EditGamma",     "EditCodice",    "VrBitmapButton1",
        "EditCapacita",  "EditScarica",   "EditPolarita",   "VrBitmapButton2",
        "EditLunghezza", "EditLarghezza", "EditAltezza",    "EditAttacchi", "VrBitmapButton3",
        "ComboListino",  "EditMonoblocco", "VrBitmapButton4", "VrBitmapButtonSostituzione",
        "VrBitmapButton6", "VrBitmapButton5",
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
    for (const auto &[name, caption] : kNames)
        control(form, QString::fromLatin1(name))->setAccessibleName(QString::fromUtf8(caption));
}
