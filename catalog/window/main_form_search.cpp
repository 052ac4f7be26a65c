// The catalogue window's technical searches: the four search buttons, the old-code
// lookup in front of the code search, the result step they share, and the Enter key of
// the search fields.
//
// Every search lists the batteries of the selected price list equal to the filled fields
// of its group, shows the first one and enters applications mode for it. The fields are
// the battery data fields too, so after a search they hold the first battery's values,
// not what was typed.
#include "catalog/window/main_form.h"

#include "catalog/window/search_fields_p.h"
#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "data/grid_loading.h"
#include "data/query_channel.h"
#include "platform/error_guard.h"
#include "platform/messages.h"
#include "report/schema.h"
#include "widgets/bitmap_button.h"

#include <QCheckBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <vector>

using catalog::SearchGroup;
using catalog::detail::kFieldWhite;
using catalog::detail::kHighlightColour;
using catalog::detail::paintField;

namespace {

// The successor code that marks an old code withdrawn without replacement.
const QString kRunOut = QStringLiteral("ESAURIMENTO");

// The start of both old-code notices: the typed code and the blanks and line breaks that
// set the rest of the notice apart.
QString oldCodeOpening(const QString &oldCode)
{
    return QStringLiteral("Il vecchio codice: ") + oldCode + QString(28, QLatin1Char(' ')) + QStringLiteral("\r\r");
}

catalog::SearchFields typedFields(const Tfrm_main &form)
{
    catalog::SearchFields fields;
    fields.gamma = form.EditGamma->text();
    fields.codice = form.EditCodice->text();
    fields.capacita = form.EditCapacita->text();
    fields.scarica = form.EditScarica->text();
    fields.polarita = form.EditPolarita->text();
    fields.lunghezza = form.EditLunghezza->text();
    fields.larghezza = form.EditLarghezza->text();
    fields.altezza = form.EditAltezza->text();
    fields.attacchi = form.EditAttacchi->text();
    fields.monoblocco = form.EditMonoblocco->text();
    return fields;
}

std::vector<QLineEdit *> groupFields(const Tfrm_main &form, SearchGroup group)
{
    switch (group) {
    case SearchGroup::RangeAndCode: return {form.EditGamma, form.EditCodice};
    case SearchGroup::Ratings: return {form.EditCapacita, form.EditScarica, form.EditPolarita};
    case SearchGroup::Dimensions: return {form.EditLunghezza, form.EditLarghezza, form.EditAltezza, form.EditAttacchi};
    case SearchGroup::Container: break;
    }
    return {form.EditMonoblocco};
}

void paintSearchedGroup(const Tfrm_main &form, SearchGroup group)
{
    for (QLineEdit *field : catalog::detail::searchFields(form))
        paintField(field, kFieldWhite);
    for (QLineEdit *field : groupFields(form, group))
        paintField(field, kHighlightColour);
}

// Capacity and discharge go into the statement as bare numbers, so anything else in them
// is refused here with the field's name as the user reads it, one line per field.
QString notNumbersNotice(const Tfrm_main &form, SearchGroup group)
{
    if (group != SearchGroup::Ratings)
        return {};
    const std::pair<const char *, QLineEdit *> bare[] = {
        {"Capacità", form.EditCapacita},
        {"Scarica", form.EditScarica},
    };
    QStringList lines;
    for (const auto &[label, field] : bare) {
        if (!field->text().isEmpty() && !catalog::bareNumber(field->text()))
            lines << QStringLiteral("%1: «%2» non è un numero.").arg(QString::fromUtf8(label), field->text());
    }
    if (lines.isEmpty())
        return {};
    return lines.join(QLatin1Char('\r'))
           + QStringLiteral("\r\rScrivi solo cifre, con la virgola o il punto per i decimali "
                            "(per esempio 60 oppure 60,5).");
}

// Both Enter keys, the main one and the keypad's.
bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

// Empties `others` when every one of them holds text, blanks included.
void emptyWhenAllFilled(std::initializer_list<QLineEdit *> others)
{
    for (QLineEdit *field : others) {
        if (field->text().isEmpty())
            return;
    }
    for (QLineEdit *field : others)
        field->clear();
}

// Hands every key pressed in a field to its key-down handler, and lets the field have
// the key as well.
class KeyDownFilter : public QObject {
public:
    using Handler = std::function<void(int Key, Qt::KeyboardModifiers Shift)>;
    KeyDownFilter(QLineEdit *field, Handler handler) : QObject(field), m_handler(std::move(handler))
    {
        field->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            Guarded([&] { m_handler(key->key(), key->modifiers()); });
        }
        return false;
    }

private:
    Handler m_handler;
};

// The steps every search ends with. A statement that could not be made leaves the
// battery list as it was, as a failing query does, and the steps after it run on it.
void showSearchResult(Tfrm_main &form, const QString &statement, QObject *Sender)
{
    if (!statement.isEmpty())
        LoadGridFromMdb(form.GridOutput, statement, false);
    DataGrid *grid = form.GridOutput;
    grid->setRowHeights(0, 0);
    const int widths[] = {0, 20, 88, 90, 60, 52, 60, 45, 45, 1, 0, 0, 0, 0, 0};
    for (int col = 0; col < int(std::size(widths)); ++col)
        grid->setColWidths(col, widths[col]);
    FitColumnToGrid(grid, catalog::schema::kAltezza);
    form.GridOutputClickCell(Sender, 1, 0);
    grid->setCurrentRow(1);
    // Cleared without the leaving branch, so that the toggle always enters the mode, for
    // the first battery found.
    if (form.ApplicationsMode())
        form.CheckBoxApplicazioni->setChecked(false);
    form.VrBitmapButtonApplicazioniClick(Sender);
}

void searchGroupFields(Tfrm_main &form, SearchGroup group, QObject *Sender)
{
    paintSearchedGroup(form, group);
    QString statement;
    const QString refused = notNumbersNotice(form, group);
    if (refused.isEmpty())
        statement = catalog::batterySearchStatement(form.SelectedPriceList(), group, typedFields(form));
    else
        messages().MessageBox(refused, QStringLiteral("Attenzione"), kMbIconExclamation);
    showSearchResult(form, statement, Sender);
}

} // namespace

void Tfrm_main::ConnectSearchHandlers()
{
    const std::pair<BitmapButton *, void (Tfrm_main::*)(QObject *)> buttons[] = {
        {VrBitmapButton1, &Tfrm_main::VrBitmapButton1Click},
        {VrBitmapButton2, &Tfrm_main::VrBitmapButton2Click},
        {VrBitmapButton3, &Tfrm_main::VrBitmapButton3Click},
        {VrBitmapButton4, &Tfrm_main::VrBitmapButton4Click},
        {VrBitmapButtonApplicazioni, &Tfrm_main::VrBitmapButtonApplicazioniClick},
    };
    for (const auto &[button, handler] : buttons) {
        connect(button, &BitmapButton::clicked, this,
                [this, button = button, handler = handler] { Guarded([&] { (this->*handler)(button); }); });
    }

    using KeyDown = void (Tfrm_main::*)(QObject *, int, Qt::KeyboardModifiers);
    const std::pair<QLineEdit *, KeyDown> fields[] = {
        {EditGamma, &Tfrm_main::EditGammaKeyDown},         {EditCodice, &Tfrm_main::EditCodiceKeyDown},
        {EditCapacita, &Tfrm_main::EditCapacitaKeyDown},   {EditScarica, &Tfrm_main::EditScaricaKeyDown},
        {EditPolarita, &Tfrm_main::EditPolaritaKeyDown},   {EditLunghezza, &Tfrm_main::EditLunghezzaKeyDown},
        {EditLarghezza, &Tfrm_main::EditLarghezzaKeyDown}, {EditAltezza, &Tfrm_main::EditAltezzaKeyDown},
        {EditAttacchi, &Tfrm_main::EditAttacchiKeyDown},
    };
    for (const auto &[field, handler] : fields) {
        new KeyDownFilter(field, [this, field = field, handler = handler](int key, Qt::KeyboardModifiers shift) {
            (this->*handler)(field, key, shift);
        });
    }
}

void Tfrm_main::VrBitmapButton1Click(QObject *Sender)
{
    // The lookup runs whatever the code field holds, empty too; a failing lookup has been
    // reported by the channel and the search goes on with the typed values.
    const QString oldCode = EditCodice->text();
    if (ApriQRY(catalog::oldCodeStatement(oldCode, SelectedPriceList())) > 0) {
        const QString successor = DM->ADOQuery1.FieldAsString(QLatin1String(catalog::schema::batteries::CODICE));
        if (successor == kRunOut) {
            messages().ShowMessage(oldCodeOpening(oldCode) + QStringLiteral("è stato posto ad esaurimento"));
            DM->ADOQuery1.Close();
            return;
        }
        const QString range = DM->ADOQuery1.FieldAsString(QLatin1String(catalog::schema::batteries::GAMMA));
        messages().ShowMessage(oldCodeOpening(oldCode) + QStringLiteral(" è stato sostituito dal \r\rnuovo codice: ")
                               + successor);
        EditCodice->setText(successor);
        EditGamma->setText(range);
    }
    DM->ADOQuery1.Close();
    searchGroupFields(*this, SearchGroup::RangeAndCode, Sender);
}

void Tfrm_main::VrBitmapButton2Click(QObject *Sender) { searchGroupFields(*this, SearchGroup::Ratings, Sender); }

void Tfrm_main::VrBitmapButton3Click(QObject *Sender) { searchGroupFields(*this, SearchGroup::Dimensions, Sender); }

void Tfrm_main::VrBitmapButton4Click(QObject *Sender) { searchGroupFields(*this, SearchGroup::Container, Sender); }

void Tfrm_main::EditGammaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditCodice});
}

void Tfrm_main::EditCodiceKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditGamma});
}

void Tfrm_main::EditCapacitaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditScarica, EditPolarita});
}

void Tfrm_main::EditScaricaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditCapacita, EditPolarita});
}

void Tfrm_main::EditPolaritaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditCapacita, EditScarica});
}

void Tfrm_main::EditLunghezzaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditLarghezza, EditAltezza, EditAttacchi});
}

void Tfrm_main::EditLarghezzaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditLunghezza, EditAltezza, EditAttacchi});
}

void Tfrm_main::EditAltezzaKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditLunghezza, EditLarghezza, EditAttacchi});
}

void Tfrm_main::EditAttacchiKeyDown(QObject *, int Key, Qt::KeyboardModifiers)
{
    if (isEnter(Key))
        emptyWhenAllFilled({EditLunghezza, EditLarghezza, EditAltezza});
}
