// Quick find's part of the catalogue window: the search box in the header band, the list
// of matches that drops below it, what choosing a row does, and type-ahead in the vehicle
// grids.
//
// Choosing never takes a road of its own: a vehicle is reached by selecting and clicking
// the make, model and version rows as a user would, a code by the code search with its
// old-code notices, a measure by the dimensions or capacity search. So the window ends up
// exactly as those clicks and searches leave it.
//
// The catalogue is read into memory (the finder's own two statements) once per window:
// when the box first has the focus, which it has as the window opens, or at the latest at
// its first keystroke; every keystroke is answered from there.
#include "catalog/quick_find/quick_find_part.h"

#include "catalog/catalog_error.h"
#include "catalog/quick_find/quick_find.h"
#include "catalog/quick_find/type_ahead.h"
#include "catalog/stock/stock_text.h"
#include "catalog/window/main_form.h"
#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "data/grid_loading.h"
#include "platform/error_guard.h"
#include "platform/settings.h"
#include "report/schema.h"
#include "shop/store.h"
#include "widgets/bitmap_button.h"
#include "widgets/fonts.h"
#include "widgets/image_view.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QScopeGuard>
#include <QShortcut>
#include <QTimer>
#include <optional>

struct QuickFindState {
    std::optional<catalog::QuickFinder> finder; // loaded at the first keystroke
    std::vector<catalog::FindRow> rows;         // what the list shows, by row role
};

namespace {

using catalog::FindKind;

constexpr int kRowRole = Qt::UserRole; // index into QuickFindState::rows; -1 for captions
constexpr int kListWidth = 560;
constexpr int kListMaxHeight = 640;

// Where the box sits on the skin (the skin draws its frame there), and the list's top.
const QRect kBoxOnSkin(679, 23, 250, 26);

QString boxHint()
{
    return QStringLiteral("Cerca veicolo, codice o misure: scrivi marca, modello o versione, un codice "
                          "batteria, le misure (278x175x190) o capacità e scarica (70Ah 640A).\n"
                          "Ctrl+F o F3 per tornare qui; frecce su e giù per scorrere l'elenco, "
                          "Invio per scegliere, Esc per chiuderlo.");
}

bool choosable(const QListWidgetItem *item) { return item && item->data(kRowRole).toInt() >= 0; }

// The next row of the list that can be chosen, from `from` in direction `step`; `from`
// itself when there is none.
int nextChoosable(const QListWidget &list, int from, int step)
{
    for (int row = from + step; row >= 0 && row < list.count(); row += step) {
        if (choosable(list.item(row)))
            return row;
    }
    return from;
}

void addCaption(QListWidget &list, const QString &text)
{
    auto *item = new QListWidgetItem(text, &list);
    item->setData(kRowRole, -1);
    item->setFlags(Qt::ItemIsEnabled); // read, never chosen
    QFont bold = list.font();
    bold.setBold(true);
    item->setFont(bold);
    // The skin's caption blue on a pale band, so the groups stand apart.
    item->setForeground(QColor(23, 78, 166));
    item->setBackground(QColor(222, 232, 246));
}

// The first data row of `grid` whose cell in `column` is `value`; raises an error naming
// what was looked for when there is none (the catalogue has changed under the window).
int rowHolding(DataGrid *grid, int column, const QString &value, const char *what)
{
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->Cells(column, row) == value)
            return row;
    }
    catalog::raiseCatalogError(catalog::CatalogErrc::Stale,
                               QStringLiteral("%1 \"%2\" non compare più nell'elenco: riapri il catalogo.")
                                   .arg(QString::fromUtf8(what), value));
}

// The catalogue read into memory unless it is there already; raises the database
// layer's error.
void ensureFinder(QuickFindState &state)
{
    if (!state.finder)
        state.finder = catalog::LoadQuickFinder(DM->ADOConnection1);
}

// A battery-code row with what the shop has of it added at the end; the row's other
// parts stay as the finder writes them. A row of the list holds about 80 characters, so
// the note fits after the longest code, range, ratings and measures.
QString withStock(const catalog::FindRow &row, const catalog::QuickFinder &finder,
                  const std::optional<QHash<QString, int>> &stock, const QSet<QString> &reported)
{
    const QString code = shop::NormalCode(finder.batteries().at(size_t(row.index)).codice);
    QString text = row.text;
    if (stock)
        text += QStringLiteral(" \u00b7 ") + catalog::FindRowStockText(stock->value(code, 0));
    // An open fit report on the battery: the counter looks before choosing it.
    if (reported.contains(code))
        text += QStringLiteral(" \u00b7 segnalata");
    return text;
}

// Keys of the box that belong to its list, the list's closing when the box loses the
// focus, and the catalogue's reading when the box first has the focus.
class BoxKeys : public QObject {
public:
    BoxKeys(Tfrm_main &form, std::shared_ptr<QuickFindState> state)
        : QObject(form.EditTrova), m_form(form), m_list(form.ListaTrova), m_state(std::move(state))
    {
        form.EditTrova->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        // The box also loses the focus while the window is taken down, when only the
        // list's own pointer can tell whether it still exists.
        if (event->type() == QEvent::FocusOut) {
            if (m_list)
                m_list->hide();
            return false;
        }
        // The box has the window's first focus, so the catalogue is read right after the
        // window opens, while the counter looks at it, and the first keystroke does not
        // wait for it. A failure here is left to the keystrokes, which show it in the list.
        if (event->type() == QEvent::FocusIn && !m_state->finder) {
            QTimer::singleShot(0, this, [state = m_state] {
                try {
                    ensureFinder(*state);
                } catch (const std::exception &) {
                }
            });
            return false;
        }
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
            Guarded([&] { m_form.EditTrovaKeyDown(m_form.EditTrova, key->key(), key->modifiers()); });
            return true;
        default: return false;
        }
    }

private:
    Tfrm_main &m_form;
    QPointer<QListWidget> m_list;
    std::shared_ptr<QuickFindState> m_state;
};

// After a row is chosen with the mouse the list is gone, and the second press of a
// double click would land on the grid under it and choose a make there. Presses inside
// the list's place are dropped for the double-click interval.
class PressEater : public QObject {
public:
    explicit PressEater(QWidget *list) : QObject(list), m_area(list->rect().translated(list->mapToGlobal(QPoint(0, 0))))
    {
        m_clock.start();
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (m_clock.elapsed() > QApplication::doubleClickInterval()) {
            deleteLater();
            return false;
        }
        const QEvent::Type type = event->type();
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonDblClick
            && type != QEvent::MouseButtonRelease)
            return false;
        return m_area.contains(static_cast<QMouseEvent *>(event)->globalPosition().toPoint());
    }

private:
    QRect m_area;
    QElapsedTimer m_clock;
};

} // namespace

QuickFindPart::QuickFindPart(Tfrm_main &form) : m_form(form), m_state(std::make_shared<QuickFindState>())
{
    QLineEdit *box = new QLineEdit(form.ImageSfondo);
    form.EditTrova = box;
    box->setObjectName(QStringLiteral("EditTrova"));
    box->setGeometry(kBoxOnSkin);
    box->setFont(ProgramFont(13));
    box->setPlaceholderText(QStringLiteral("Cerca veicolo, codice o misure\u2026"));
    box->setToolTip(boxHint());
    box->setToolTipDuration(HintHidePause);
    box->setClearButtonEnabled(true);

    // On the panel, above the grids it drops over; it never takes the focus, so typing
    // goes on in the box while the list is open.
    QListWidget *list = new QListWidget(form.Panel2);
    form.ListaTrova = list;
    list->setObjectName(QStringLiteral("ListaTrova"));
    list->setFocusPolicy(Qt::NoFocus);
    list->setFont(ProgramFont(13));
    list->setSpacing(1);
    // Rows of one height: the list lays out one row, not all of them, on every keystroke.
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideRight);
    list->setFrameShape(QFrame::Box);
    list->hide();

    Tfrm_main *window = &form;
    QObject::connect(box, &QLineEdit::textEdited, window,
                     [window] { Guarded([window] { window->EditTrovaChange(window->EditTrova); }); });
    QObject::connect(list, &QListWidget::itemClicked, window, [window](QListWidgetItem *item) {
        if (!choosable(item))
            return;
        new PressEater(window->ListaTrova);
        Guarded([&] { window->ListaTrovaChoose(window->ListaTrova, window->ListaTrova->row(item)); });
    });
    new BoxKeys(form, m_state);
    for (const QKeySequence &keys : {QKeySequence(Qt::CTRL | Qt::Key_F), QKeySequence(Qt::Key_F3)}) {
        auto *shortcut = new QShortcut(keys, window);
        QObject::connect(shortcut, &QShortcut::activated, window,
                         [window] { Guarded([window] { window->FocusQuickFind(); }); });
    }

    // The names the counter reads in each list: make, model, version.
    InstallTypeAhead(form.gridMarca, catalog::kMakeName);
    InstallTypeAhead(form.gridModello, catalog::kModelName);
    InstallTypeAhead(form.gridVersione, catalog::kVersionName);
}

QuickFindPart::~QuickFindPart() = default;

void QuickFindPart::FocusQuickFind()
{
    m_form.EditTrova->setFocus(Qt::ShortcutFocusReason);
    m_form.EditTrova->selectAll();
}

void QuickFindPart::EditTrovaChange(QObject *)
{
    Tfrm_main &form = m_form;
    QuickFindState &state = *m_state;
    QLineEdit *box = form.EditTrova;
    QListWidget *list = form.ListaTrova;
    const QString text = box->text();
    // The rows go in without a repaint each; the list is painted once, filled.
    list->setUpdatesEnabled(false);
    const auto updatesBack = qScopeGuard([list] { list->setUpdatesEnabled(true); });
    list->clear();
    state.rows.clear();
    if (text.trimmed().isEmpty()) {
        list->hide();
        return;
    }
    QString problem;
    try {
        ensureFinder(state);
        state.rows = state.finder->find(text, form.SelectedPriceList());
    } catch (const std::exception &e) {
        // Typing never brings up a message box; the reason stands in the list instead.
        problem = QStringLiteral("Ricerca non disponibile: ") + QString::fromUtf8(e.what());
    }

    const std::optional<QHash<QString, int>> stock = form.StockQuantities();
    const QSet<QString> reported = form.ReportedCodes();
    QString caption;
    for (size_t i = 0; i < state.rows.size(); ++i) {
        const catalog::FindRow &row = state.rows[i];
        if (catalog::FindGroupCaption(row.kind) != caption) {
            caption = catalog::FindGroupCaption(row.kind);
            addCaption(*list, caption);
        }
        const QString shown = row.kind == FindKind::Code ? withStock(row, *state.finder, stock, reported) : row.text;
        auto *item = new QListWidgetItem(shown, list);
        item->setData(kRowRole, int(i));
        item->setToolTip(shown);
    }
    if (state.rows.empty()) {
        auto *item = new QListWidgetItem(
            problem.isEmpty() ? QStringLiteral("Nessun veicolo, codice o misura trovato") : problem, list);
        item->setData(kRowRole, -1);
        item->setFlags(Qt::NoItemFlags);
    }
    list->setCurrentRow(nextChoosable(*list, -1, 1));

    const QPoint boxBottomRight = box->mapTo(form.Panel2, box->rect().bottomRight());
    const int rowHeight = list->sizeHintForRow(0) + 2 * list->spacing();
    const int rowsHeight = rowHeight * list->count() + 2 * list->frameWidth();
    const int left = boxBottomRight.x() + 1 - kListWidth;
    const int top = boxBottomRight.y() + 3;
    list->setGeometry(left, top, kListWidth, std::min({rowsHeight, kListMaxHeight, form.Panel2->height() - top - 8}));
    if (!list->isVisible()) {
        list->raise();
        list->show();
    }
}

void QuickFindPart::EditTrovaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers)
{
    QListWidget *list = m_form.ListaTrova;
    if (Key == Qt::Key_Escape) {
        list->hide();
        return;
    }
    // With the list closed, Down, Up and Enter bring it back for the text in the box.
    if (!list->isVisible()) {
        m_form.EditTrovaChange(Sender);
        return;
    }
    const int current = list->currentRow();
    if (Key == Qt::Key_Up || Key == Qt::Key_Down) {
        const int row = nextChoosable(*list, current, Key == Qt::Key_Down ? 1 : -1);
        if (row < 0 || row == current)
            return;
        list->setCurrentRow(row);
        list->scrollToItem(list->item(row));
        // The focus stays in the box, so assistive tools are told which row is now current.
        QAccessibleEvent moved(list, QAccessible::Selection);
        moved.setChild(row);
        QAccessible::updateAccessibility(&moved);
        return;
    }
    if (choosable(list->item(current)))
        m_form.ListaTrovaChoose(Sender, current);
}

void QuickFindPart::ListaTrovaChoose(QObject *Sender, int Row)
{
    Tfrm_main &form = m_form;
    QListWidget *list = form.ListaTrova;
    const QListWidgetItem *item = list->item(Row);
    if (!choosable(item))
        return;
    const catalog::FindRow row = m_state->rows.at(size_t(item->data(kRowRole).toInt()));
    const catalog::QuickFinder &finder = *m_state->finder;
    list->hide();
    form.EditTrova->selectAll(); // the next word typed starts a new search

    if (row.kind == FindKind::Vehicle) {
        const catalog::FindVehicle &vehicle = finder.vehicles().at(size_t(row.index));
        if (form.ApplicationsMode())
            form.VrBitmapButtonApplicazioniClick(Sender);
        // Each level as a click does it: the row selected first, then its handler.
        const int makeRow = rowHolding(
            form.gridMarca, FindColumnByHeader(form.gridMarca, QLatin1String(catalog::schema::vehicles::idMarca)),
            vehicle.idMarca, "La marca");
        form.gridMarca->setCurrentRow(makeRow);
        form.gridMarcaClickCell(Sender, makeRow, 0);
        const int modelRow = rowHolding(form.gridModello, catalog::kModelName, vehicle.modello, "Il modello");
        form.gridModello->setCurrentRow(modelRow);
        form.gridModelloClickCell(Sender, modelRow, 0);
        const int versionRow = rowHolding(form.gridVersione, catalog::kVersionKey, vehicle.idVeicolo, "La versione");
        form.gridVersione->setCurrentRow(versionRow);
        form.gridVersioneClickCell(Sender, versionRow, 0);
        return;
    }

    const catalog::FindBattery &battery = finder.batteries().at(size_t(row.index));
    switch (row.kind) {
    case FindKind::Code:
    case FindKind::OldCode:
        // As typing the code and pressing Enter there (which empties the range) and then
        // the lens: an old code brings its notice.
        form.EditGamma->clear();
        form.EditCodice->setText(row.kind == FindKind::OldCode ? battery.oldCodice : battery.codice);
        form.VrBitmapButton1Click(Sender);
        return;
    case FindKind::Measures:
        form.EditLunghezza->setText(battery.lunghezza);
        form.EditLarghezza->setText(battery.larghezza);
        form.EditAltezza->setText(battery.altezza);
        form.EditAttacchi->clear();
        form.VrBitmapButton3Click(Sender);
        break;
    case FindKind::Ratings: {
        const catalog::FindRequest typed = catalog::ParseFindText(form.EditTrova->text());
        form.EditCapacita->setText(typed.capacity ? battery.capacita : QString());
        form.EditScarica->setText(typed.discharge ? battery.scarica : QString());
        form.EditPolarita->clear();
        form.VrBitmapButton2Click(Sender);
        break;
    }
    case FindKind::Vehicle: break;
    }
    // The search shows the first battery it found; the one chosen is then clicked, as the
    // counter would click it.
    for (int r = 1; r < form.GridOutput->RowCount(); ++r) {
        if (form.GridOutput->Cells(catalog::schema::kCodice, r) == battery.codice) {
            if (r != form.GridOutput->CurrentRow()) {
                form.GridOutput->setCurrentRow(r);
                form.GridOutputClickCell(Sender, r, 0);
            }
            break;
        }
    }
}
