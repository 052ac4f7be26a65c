// The replacement finder's window: its fields, the ranked list and the way out with or
// without a choice. The fit test and the order live in replacement_ranking.cpp; this file
// reads the fields, asks for the price list's batteries and shows the result.
#include "catalog/replacement/replacement_form.h"

#include "catalog/replacement/replacement_source.h"
#include "catalog/stock/stock_text.h"
#include "data/grid_loading.h"
#include "platform/error_guard.h"
#include "platform/messages.h"
#include "shop/store.h"
#include "widgets/bitmap_button.h"
#include "widgets/data_grid.h"
#include "widgets/design_pictures.h"
#include "widgets/fonts.h"

#include <QComboBox>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>
#include <memory>

Tfrm_sostituzione *frm_sostituzione = nullptr;

namespace {

// The newer columns come last, so the columns before them stay where the counter knows them.
enum Column {
    kRange,
    kCode,
    kCapacity,
    kDischarge,
    kPolarity,
    kLength,
    kWidth,
    kHeight,
    kHoldDown,
    kTechnology,
    kStock,
    kColumns
};

const char *const kCaptions[kColumns] = {"Gamma",     "Codice",    "Capacità Ah", "Scarica A", "Polarità", "Lungh. mm",
                                         "Largh. mm", "Alt. mm",   "Attacchi",    "Tecnologia", "Disp."};
// The last column takes what the list's width leaves.
const int kWidths[kColumns] = {125, 80, 95, 95, 75, 85, 85, 85, 75, 95, 10};

// The old battery's technology as the list offers it, lowest first.
const catalog::Technology kTechnologyChoices[] = {catalog::Technology::Unknown, catalog::Technology::Flooded,
                                                  catalog::Technology::Efb, catalog::Technology::Agm,
                                                  catalog::Technology::Gel};

const QColor kWeaker(200, 0, 0);
const QColor kHeaderBrush(226, 230, 238);

const QString &invertedPolarityHint()
{
    static const QString hint = QStringLiteral("Polarità invertita: verificare la lunghezza dei cavi");
    return hint;
}

const QString &lowerTechnologyHint()
{
    static const QString hint = QStringLiteral("Tecnologia inferiore: sconsigliata su veicoli Start&Stop");
    return hint;
}

// A labelled field in the fields' grid; the label carries the field's name for the
// message that refuses it and for assistive tools.
QLineEdit *addField(QGridLayout *grid, QWidget *parent, const char *name, const QString &label, int row, int col,
                    const QString &text)
{
    auto *caption = new QLabel(label, parent);
    auto *field = new QLineEdit(text, parent);
    field->setObjectName(QLatin1String(name));
    field->setAccessibleName(QString(label).remove(QLatin1Char('&')));
    caption->setBuddy(field);
    grid->addWidget(caption, row, col * 2, Qt::AlignRight);
    grid->addWidget(field, row, col * 2 + 1);
    return field;
}

// The field's number; a filled field that is not one is named in `refused`.
std::optional<double> readNumber(const QLineEdit *field, QStringList &refused)
{
    if (field->text().trimmed().isEmpty())
        return std::nullopt;
    const std::optional<double> value = catalog::parseNumber(field->text());
    if (!value)
        refused << QStringLiteral("%1: «%2» non è un numero.").arg(field->accessibleName(), field->text());
    return value;
}

// The list and its caption row share these settings, so their columns line up.
DataGrid *makeGrid(QWidget *parent, const char *name, const QColor &colour)
{
    auto *grid = new DataGrid(parent);
    grid->setObjectName(QLatin1String(name));
    grid->setFont(ProgramFont(13, true));
    grid->setOptions(DataGrid::goRowSelect | DataGrid::goDrawFocusSelected | DataGrid::goThumbTracking);
    grid->setEnableMarkup(false);
    grid->setWordWrap(false);
    grid->setVerticalAlignment(Qt::AlignVCenter);
    grid->setColor(colour);
    grid->setFontColor(Qt::black);
    grid->setSelectionTextColor(Qt::black);
    grid->setDefaultRowHeight(21);
    grid->setDefaultColWidth(kWidths[kColumns - 1]);
    return grid;
}

QString differingMark(const QString &shown, bool differs)
{
    return differs ? shown.trimmed() + QStringLiteral(" \u2260") : shown.trimmed();
}

} // namespace

Tfrm_sostituzione::Tfrm_sostituzione(QWidget *owner, const ReplacementStart &start, const QString &priceList)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_priceList(priceList), m_vehicleNeed(start.vehicleNeed),
      m_technologies(start.technologies ? start.technologies : &m_wordsOnly), m_stock(start.stock),
      m_reported(start.reported)
{
    setObjectName(QStringLiteral("frm_sostituzione"));
    setWindowTitle(QStringLiteral("Batterie sostitutive"));
    setModal(true);
    setFont(ProgramFont(11));

    LabelSostListino = new QLabel(this);
    LabelSostListino->setObjectName(QStringLiteral("LabelSostListino"));
    LabelSostListino->setFont(ProgramFont(13, true));
    LabelSostListino->setText(
        start.code.trimmed().isEmpty()
            ? QStringLiteral("Listino %1").arg(priceList)
            : QStringLiteral("Listino %1  \u2022  batteria da sostituire: %2").arg(priceList, start.code.trimmed()));

    auto *fields = new QGridLayout;
    EditSostLunghezza =
        addField(fields, this, "EditSostLunghezza", QStringLiteral("&Lunghezza mm"), 0, 0, start.length);
    EditSostLarghezza = addField(fields, this, "EditSostLarghezza", QStringLiteral("La&rghezza mm"), 0, 1, start.width);
    EditSostAltezza = addField(fields, this, "EditSostAltezza", QStringLiteral("&Altezza mm"), 0, 2, start.height);
    EditSostTolleranza = addField(fields, this, "EditSostTolleranza", QStringLiteral("&Tolleranza altezza mm"), 0, 3,
                                  QStringLiteral("0"));
    EditSostPolarita = addField(fields, this, "EditSostPolarita", QStringLiteral("&Polarità"), 1, 0, start.polarity);
    EditSostAttacchi = addField(fields, this, "EditSostAttacchi", QStringLiteral("Atta&cchi"), 1, 1, start.holdDown);
    EditSostCapacita = addField(fields, this, "EditSostCapacita", QStringLiteral("Capac&ità Ah"), 1, 2, start.capacity);
    EditSostScarica = addField(fields, this, "EditSostScarica", QStringLiteral("&Scarica A"), 1, 3, start.discharge);
    EditSostTolleranza->setToolTip(QStringLiteral("Millimetri di altezza ammessi oltre la vecchia batteria"));
    auto *technologyCaption = new QLabel(QStringLiteral("T&ecnologia"), this);
    EditSostTecnologia = new QComboBox(this);
    EditSostTecnologia->setObjectName(QStringLiteral("EditSostTecnologia"));
    EditSostTecnologia->setAccessibleName(QStringLiteral("Tecnologia"));
    for (const catalog::Technology t : kTechnologyChoices)
        EditSostTecnologia->addItem(catalog::TechnologyName(t), int(t));
    EditSostTecnologia->setCurrentIndex(EditSostTecnologia->findData(int(start.technology)));
    EditSostTecnologia->setToolTip(
        QStringLiteral("Tecnologia della vecchia batteria: le batterie di tecnologia inferiore vanno in fondo"));
    technologyCaption->setBuddy(EditSostTecnologia);
    fields->addWidget(technologyCaption, 2, 0, Qt::AlignRight);
    fields->addWidget(EditSostTecnologia, 2, 1);
    LabelSostRichiesta = new QLabel(this);
    LabelSostRichiesta->setObjectName(QStringLiteral("LabelSostRichiesta"));
    LabelSostRichiesta->setFont(ProgramFont(11, true));
    if (m_vehicleNeed)
        LabelSostRichiesta->setText(QStringLiteral("Veicolo scelto: ") + catalog::NeedText(*m_vehicleNeed));
    fields->addWidget(LabelSostRichiesta, 2, 2, 1, 6);

    VrBitmapButtonSostCerca = new BitmapButton(this);
    VrBitmapButtonSostCerca->setObjectName(QStringLiteral("VrBitmapButtonSostCerca"));
    VrBitmapButtonSostCerca->setFixedSize(35, 35);
    VrBitmapButtonSostCerca->setGlyph(DrawDesignPicture(DesignPicture::MagnifierGlyph));
    VrBitmapButtonSostCerca->setHint(QStringLiteral("Cerca le batterie che entrano nello spazio indicato"));
    VrBitmapButtonSostCerca->setShowHint(true);
    fields->addWidget(VrBitmapButtonSostCerca, 0, 8, 2, 1, Qt::AlignCenter);

    CheckSoloDisponibili = new QCheckBox(QStringLiteral("Solo &disponibili"), this);
    CheckSoloDisponibili->setObjectName(QStringLiteral("CheckSoloDisponibili"));
    CheckSoloDisponibili->setAccessibleName(QStringLiteral("Solo disponibili"));
    CheckSoloDisponibili->setEnabled(m_stock.has_value());
    CheckSoloDisponibili->setToolTip(m_stock ? QStringLiteral("Elenca solo le batterie che il negozio ha in giacenza")
                                             : QStringLiteral("Le giacenze del negozio non sono note"));

    GridSostituzioneTitoli = makeGrid(this, "GridSostituzioneTitoli", kHeaderBrush);
    GridSostituzioneTitoli->setScrollBars(DataGrid::ssNone);
    GridSostituzioneTitoli->setFixedHeight(21);
    GridSostituzioneTitoli->setFocusPolicy(Qt::NoFocus);
    GridSostituzioneTitoli->setSelectionColor(kHeaderBrush);
    GridSostituzioneTitoli->setRowCount(1);
    GridSostituzioneTitoli->setColCount(kColumns);
    for (int c = 0; c < kColumns; ++c)
        GridSostituzioneTitoli->setCells(c, 0, QString::fromUtf8(kCaptions[c]));

    GridSostituzione = makeGrid(this, "GridSostituzione", Qt::white);
    GridSostituzione->setAccessibleName(QStringLiteral("Batterie che entrano nello spazio"));
    GridSostituzione->setMinimumSize(935, 300);
    GridSostituzione->setScrollBars(DataGrid::ssVertical);
    GridSostituzione->setOptions(GridSostituzione->Options() | DataGrid::goHorzLine);
    GridSostituzione->setSelectionColor(QColor(166, 202, 240));

    LabelSostTrovate = new QLabel(this);
    LabelSostTrovate->setObjectName(QStringLiteral("LabelSostTrovate"));
    LabelSostEsclusi = new QLabel(this);
    LabelSostEsclusi->setObjectName(QStringLiteral("LabelSostEsclusi"));
    LabelSostAvviso = new QLabel(this);
    LabelSostAvviso->setObjectName(QStringLiteral("LabelSostAvviso"));
    LabelSostAvviso->setFont(ProgramFont(11, true));
    LabelSostAvviso->setStyleSheet(QStringLiteral("color: #c80000"));

    ButtonSostMostra = new QPushButton(QStringLiteral("&Mostra"), this);
    ButtonSostMostra->setObjectName(QStringLiteral("ButtonSostMostra"));
    ButtonSostChiudi = new QPushButton(QStringLiteral("C&hiudi"), this);
    ButtonSostChiudi->setObjectName(QStringLiteral("ButtonSostChiudi"));
    // Enter in a field searches and Enter in the list chooses: no button may take it.
    for (QPushButton *b : {ButtonSostMostra, ButtonSostChiudi}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto *counts = new QHBoxLayout;
    counts->addWidget(LabelSostTrovate);
    counts->addSpacing(24);
    counts->addWidget(LabelSostEsclusi, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(LabelSostAvviso, 1);
    buttons->addWidget(ButtonSostMostra);
    buttons->addWidget(ButtonSostChiudi);
    auto *title = new QHBoxLayout;
    title->addWidget(LabelSostListino, 1);
    title->addWidget(CheckSoloDisponibili);
    auto *column = new QVBoxLayout(this);
    column->addLayout(title);
    column->addLayout(fields);
    auto *list = new QVBoxLayout;
    list->setSpacing(0);
    list->addWidget(GridSostituzioneTitoli);
    list->addWidget(GridSostituzione, 1);
    column->addLayout(list, 1);
    column->addLayout(counts);
    column->addLayout(buttons);

    for (QLineEdit *field : {EditSostLunghezza, EditSostLarghezza, EditSostAltezza, EditSostTolleranza,
                             EditSostPolarita, EditSostAttacchi, EditSostCapacita, EditSostScarica})
        connect(field, &QLineEdit::returnPressed, this,
                [this] { Guarded([this] { VrBitmapButtonSostCercaClick(); }); });
    connect(EditSostTecnologia, &QComboBox::activated, this,
            [this] { Guarded([this] { VrBitmapButtonSostCercaClick(); }); });
    connect(VrBitmapButtonSostCerca, &BitmapButton::clicked, this,
            [this] { Guarded([this] { VrBitmapButtonSostCercaClick(); }); });
    connect(CheckSoloDisponibili, &QCheckBox::toggled, this,
            [this] { Guarded([this] { VrBitmapButtonSostCercaClick(); }); });
    connect(ButtonSostMostra, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonSostMostraClick(); }); });
    connect(ButtonSostChiudi, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonSostChiudiClick(); }); });
    GridSostituzione->OnRowUpdate = [this](QObject *, int, int) { ShowRowWarning(); };
    GridSostituzione->OnGetCellColor = [this](QObject *, int row, int col, GridDrawState, QBrush &, ColoredFont &font) {
        if (row < 1 || row > int(m_result.fits.size()))
            return;
        const catalog::RankedReplacement &r = m_result.fits[std::size_t(row - 1)];
        if ((col == kCapacity && r.weakerCapacity) || (col == kDischarge && r.weakerDischarge)
            || (col == kPolarity && r.polarityDiffers) || (col == kTechnology && r.lowerTechnology))
            font.color = kWeaker;
    };
    GridSostituzione->installEventFilter(this);
    GridSostituzione->viewport()->installEventFilter(this);
    FillGrid();
    resize(sizeHint());
}

void Tfrm_sostituzione::VrBitmapButtonSostCercaClick()
{
    QStringList refused;
    catalog::OldBattery old;
    old.length = readNumber(EditSostLunghezza, refused);
    old.width = readNumber(EditSostLarghezza, refused);
    old.height = readNumber(EditSostAltezza, refused);
    old.heightTolerance = readNumber(EditSostTolleranza, refused).value_or(0);
    old.capacity = readNumber(EditSostCapacita, refused);
    old.discharge = readNumber(EditSostScarica, refused);
    old.polarity = EditSostPolarita->text();
    old.holdDown = EditSostAttacchi->text();
    // The vehicle's need holds even when the old battery was lower than it should have been.
    old.technology = catalog::HigherTechnology(catalog::Technology(EditSostTecnologia->currentData().toInt()),
                                               m_vehicleNeed.value_or(catalog::Technology::Unknown));
    if (!refused.isEmpty()) {
        messages().MessageBox(refused.join(QLatin1Char('\r'))
                                  + QStringLiteral("\r\rScrivi solo cifre, con la virgola o il punto per i decimali "
                                                   "(per esempio 242 oppure 242,5)."),
                              QStringLiteral("Attenzione"), kMbIconExclamation);
        return;
    }
    // A failed read has been reported by the query channel; the list stays as it was.
    auto candidates = catalog::loadReplacementCandidates(m_priceList);
    if (!candidates)
        return;
    for (catalog::ReplacementCandidate &c : *candidates)
        c.technology = m_technologies->Of(c.range, c.code);
    if (m_stock) {
        for (catalog::ReplacementCandidate &c : *candidates)
            c.stock = m_stock->value(shop::NormalCode(c.code), 0);
    }
    m_old = old;
    m_result = catalog::rankReplacements(*candidates, m_old);
    if (CheckSoloDisponibili->isChecked())
        std::erase_if(m_result.fits, [](const catalog::RankedReplacement &r) { return !catalog::inStock(r.battery); });
    FillGrid();
}

void Tfrm_sostituzione::FillGrid()
{
    DataGrid *grid = GridSostituzione;
    grid->LockUpdates();
    const int rows = int(m_result.fits.size());
    grid->setColCount(kColumns);
    // Row 1 is kept even when nothing fits, as in every list of the program.
    grid->setRowCount(1 + std::max(rows, 1));
    grid->ClearRowCells(0, grid->RowCount());
    for (int c = 0; c < kColumns; ++c)
        grid->setCells(c, 0, QString::fromUtf8(kCaptions[c]));
    grid->setRowHeights(0, 0);
    for (int i = 0; i < rows; ++i) {
        const catalog::RankedReplacement &r = m_result.fits[std::size_t(i)];
        const catalog::ReplacementCandidate &b = r.battery;
        const QString cells[kColumns] = {
            b.range.trimmed(),
            m_reported.contains(b.code.trimmed().toUpper()) ? b.code.trimmed() + QStringLiteral(" !")
                                                            : b.code.trimmed(),
            catalog::withDifference(b.capacity.trimmed(), r.capacity, m_old.capacity),
            catalog::withDifference(b.discharge.trimmed(), r.discharge, m_old.discharge),
            differingMark(b.polarity, r.polarityDiffers),
            catalog::withDifference(b.length.trimmed(), r.length, m_old.length),
            catalog::withDifference(b.width.trimmed(), r.width, m_old.width),
            catalog::withDifference(b.height.trimmed(), r.height, m_old.height),
            differingMark(b.holdDown, r.holdDownDiffers),
            catalog::TechnologyName(b.technology),
            b.stock ? catalog::CountText(*b.stock) : QString(),
        };
        for (int c = 0; c < kColumns; ++c)
            grid->setCells(c, i + 1, cells[c]);
    }
    FitLastColumns();
    grid->UnlockUpdates();
    grid->setTopRow(1);
    if (grid->CurrentRow() == 1)
        ShowRowWarning();
    else
        grid->setCurrentRow(1);

    LabelSostTrovate->setText(rows == 0   ? QStringLiteral("Nessuna batteria entra nello spazio indicato")
                              : rows == 1 ? QStringLiteral("1 batteria adatta")
                                          : QStringLiteral("%1 batterie adatte").arg(rows));
    LabelSostEsclusi->setText(
        m_result.unmeasured == 0 ? QString()
                                 : QStringLiteral("%1 batterie senza misure non confrontate").arg(m_result.unmeasured));
    ButtonSostMostra->setEnabled(rows > 0);
}

void Tfrm_sostituzione::FitLastColumns()
{
    // Widths afresh on both: the list's last column gives way to its scroll bar when one
    // shows, the caption row's reaches over it.
    for (DataGrid *grid : {GridSostituzioneTitoli, GridSostituzione}) {
        for (int c = 0; c < kColumns; ++c)
            grid->setColWidths(c, kWidths[c]);
        FitColumnToGrid(grid, kColumns - 1);
    }
}

void Tfrm_sostituzione::ShowRowWarning()
{
    const int row = GridSostituzione->CurrentRow();
    QStringList warnings;
    for (const int col : {kPolarity, kTechnology}) {
        if (const QString hint = CellHint(col, row); !hint.isEmpty())
            warnings << hint;
    }
    LabelSostAvviso->setText(warnings.join(QStringLiteral(" \u00b7 ")));
}

QString Tfrm_sostituzione::CellHint(int col, int row) const
{
    if (row < 1 || row > int(m_result.fits.size()))
        return {};
    const catalog::RankedReplacement &r = m_result.fits[std::size_t(row - 1)];
    if (col == kCode && m_reported.contains(r.battery.code.trimmed().toUpper()))
        return QStringLiteral("Segnalata: c'è una segnalazione aperta su questa batteria (Maiusc+F9 per l'elenco)");
    if (col == kPolarity && r.polarityDiffers)
        return invertedPolarityHint();
    if (col == kTechnology && r.lowerTechnology)
        return lowerTechnologyHint();
    return {};
}

void Tfrm_sostituzione::GridSostituzioneChoose(int ARow)
{
    if (ARow < 1 || ARow > int(m_result.fits.size()))
        return;
    const catalog::RankedReplacement &r = m_result.fits[std::size_t(ARow - 1)];
    if (r.lowerTechnology
        && messages().MessageBox(
               QStringLiteral("Confermi una batteria di tecnologia inferiore?\r\r%1 è %2; serve almeno %3.")
                   .arg(r.battery.code.trimmed(), catalog::TechnologyName(r.battery.technology),
                        catalog::TechnologyName(m_old.technology)),
               QStringLiteral("Batterie sostitutive"), kMbYesNo | kMbIconQuestion)
               != kIdYes)
        return;
    const catalog::ReplacementCandidate &b = r.battery;
    m_chosen = ChosenReplacement{b.code, b.range};
    accept();
}

void Tfrm_sostituzione::ButtonSostMostraClick() { GridSostituzioneChoose(GridSostituzione->CurrentRow()); }

void Tfrm_sostituzione::ButtonSostChiudiClick() { reject(); }

bool Tfrm_sostituzione::eventFilter(QObject *watched, QEvent *event)
{
    DataGrid *grid = GridSostituzione;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == grid && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            Guarded([&] { GridSostituzioneChoose(grid->CurrentRow()); });
            return true;
        }
        break;
    }
    case QEvent::Resize:
        if (watched == grid)
            FitLastColumns();
        break;
    case QEvent::MouseButtonDblClick:
        if (watched == grid->viewport()) {
            const int row = grid->RowAt(static_cast<QMouseEvent *>(event)->position().toPoint().y());
            Guarded([&] { GridSostituzioneChoose(row); });
            return true;
        }
        break;
    case QEvent::ToolTip:
        if (watched == grid->viewport()) {
            const auto *help = static_cast<QHelpEvent *>(event);
            const QString hint = CellHint(grid->ColAt(help->pos().x()), grid->RowAt(help->pos().y()));
            if (hint.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), hint, grid->viewport());
            return true;
        }
        break;
    default: break;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<ChosenReplacement> ShowReplacementFinder(QWidget *owner, const ReplacementStart &start,
                                                       const QString &priceList)
{
    // Destroyed on every way out, an error in the first search or the showing included.
    const std::unique_ptr<Tfrm_sostituzione> window(new Tfrm_sostituzione(owner, start, priceList));
    frm_sostituzione = window.get();
    struct Forget {
        ~Forget() { frm_sostituzione = nullptr; }
    } forget;
    window->VrBitmapButtonSostCercaClick();
    window->GridSostituzione->setFocus(Qt::OtherFocusReason);
    window->exec();
    return window->Chosen();
}
