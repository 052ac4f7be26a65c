// The list window's grid, filter and buttons. Every cell is plain text (a comment that
// looks like markup reads as written); the grid is read-only and chosen by row. A store
// that fails is reported in its words and the window stays as it was.
#include "catalog/reports/report_list_form.h"

#include "platform/error_guard.h"
#include "platform/messages.h"
#include "shop/fit_report_export.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QStringList kFilters = {QStringLiteral("Aperte"), QStringLiteral("Risolte"), QStringLiteral("Tutte")};
const QStringList kColumns = {QStringLiteral("Data"),      QStringLiteral("Stato"),    QStringLiteral("Motivo"),
                              QStringLiteral("Veicolo"),   QStringLiteral("Batteria"), QStringLiteral("Commento"),
                              QStringLiteral("Operatore"), QStringLiteral("Filiale"),  QStringLiteral("Esito")};

QString statusText(shop::ReportStatus status)
{
    switch (status) {
    case shop::ReportStatus::Open: return QStringLiteral("Aperta");
    case shop::ReportStatus::Closed: return QStringLiteral("Chiusa");
    case shop::ReportStatus::Resolved: return QStringLiteral("Risolta");
    }
    return QString();
}

QStringList cells(const shop::FitReport &r)
{
    QString vehicle;
    if (r.vehicle)
        vehicle = QStringList{r.vehicle->make, r.vehicle->model, r.vehicle->version}.join(u' ').simplified();
    QString battery = r.code.trimmed();
    if (!r.fittingCode.isEmpty())
        battery +=
            (battery.isEmpty() ? QString() : QStringLiteral(" ")) + QStringLiteral("(adatta: %1)").arg(r.fittingCode);
    QString outcome = r.closedNote;
    if (!r.resolution.isEmpty())
        outcome += QStringLiteral(" \u2013 ") + r.resolution;
    return {r.filedAt.toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm")),
            statusText(r.status),
            shop::ReasonText(r.reason),
            vehicle,
            battery,
            r.comment,
            r.operatorName,
            r.branch,
            outcome};
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

} // namespace

Tfrm_segnalazioni::Tfrm_segnalazioni(Store store, QWidget *parent) : QDialog(parent), m_store(std::move(store))
{
    setObjectName(QStringLiteral("frm_segnalazioni"));
    setWindowTitle(QStringLiteral("Segnalazioni"));
    setModal(true);
    resize(900, 460);

    ComboFiltro = new QComboBox(this);
    ComboFiltro->setObjectName(QStringLiteral("ComboFiltro"));
    ComboFiltro->setAccessibleName(QStringLiteral("Mostra"));
    ComboFiltro->addItems(kFilters);
    auto *filterCaption = new QLabel(QStringLiteral("&Mostra:"), this);
    filterCaption->setBuddy(ComboFiltro);

    GridSegnalazioni = new QTableWidget(0, int(kColumns.size()), this);
    GridSegnalazioni->setObjectName(QStringLiteral("GridSegnalazioni"));
    GridSegnalazioni->setAccessibleName(QStringLiteral("Segnalazioni"));
    GridSegnalazioni->setHorizontalHeaderLabels(kColumns);
    GridSegnalazioni->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridSegnalazioni->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridSegnalazioni->setSelectionMode(QAbstractItemView::SingleSelection);
    GridSegnalazioni->setTabKeyNavigation(false);
    GridSegnalazioni->verticalHeader()->setVisible(false);
    GridSegnalazioni->horizontalHeader()->setStretchLastSection(true);
    GridSegnalazioni->installEventFilter(this);
    auto *gridCaption = new QLabel(QStringLiteral("&Segnalazioni:"), this);
    gridCaption->setBuddy(GridSegnalazioni);

    EditNotaChiusura = new QLineEdit(this);
    EditNotaChiusura->setObjectName(QStringLiteral("EditNotaChiusura"));
    EditNotaChiusura->setAccessibleName(QStringLiteral("Nota di chiusura"));
    auto *noteCaption = new QLabel(QStringLiteral("&Nota:"), this);
    noteCaption->setBuddy(EditNotaChiusura);
    ButtonChiudiSegnalazione = new QPushButton(QStringLiteral("C&hiudi segnalazione"), this);
    ButtonChiudiSegnalazione->setObjectName(QStringLiteral("ButtonChiudiSegnalazione"));
    ButtonEsporta = new QPushButton(QStringLiteral("&Esporta\u2026"), this);
    ButtonEsporta->setObjectName(QStringLiteral("ButtonEsporta"));
    ButtonEsporta->setAccessibleName(QStringLiteral("Esporta"));
    ButtonEsporta->setToolTip(
        QStringLiteral("Scrive le segnalazioni mostrate in un file CSV o JSON per il produttore"));
    ButtonChiudi = new QPushButton(QStringLiteral("Chiudi"), this);
    ButtonChiudi->setObjectName(QStringLiteral("ButtonChiudi"));
    ButtonChiudi->setAccessibleName(QStringLiteral("Chiudi la finestra"));
    ButtonChiudi->setAutoDefault(false);

    auto *top = new QHBoxLayout;
    top->addWidget(filterCaption);
    top->addWidget(ComboFiltro);
    top->addStretch(1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(noteCaption);
    bottom->addWidget(EditNotaChiusura, 1);
    bottom->addWidget(ButtonChiudiSegnalazione);
    bottom->addWidget(ButtonEsporta);
    bottom->addWidget(ButtonChiudi);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(gridCaption);
    layout->addWidget(GridSegnalazioni, 1);
    layout->addLayout(bottom);

    setTabOrder(ComboFiltro, GridSegnalazioni);
    setTabOrder(GridSegnalazioni, EditNotaChiusura);
    setTabOrder(EditNotaChiusura, ButtonChiudiSegnalazione);
    setTabOrder(ButtonChiudiSegnalazione, ButtonEsporta);
    setTabOrder(ButtonEsporta, ButtonChiudi);

    connect(ComboFiltro, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { Reload(); }); });
    connect(GridSegnalazioni, &QTableWidget::itemSelectionChanged, this, &Tfrm_segnalazioni::selectionChanged);
    connect(GridSegnalazioni, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { Guarded([this, row] { GridSegnalazioniChoose(row); }); });
    connect(ButtonChiudiSegnalazione, &QPushButton::clicked, this,
            [this] { Guarded([this] { ButtonChiudiSegnalazioneClick(); }); });
    connect(ButtonEsporta, &QPushButton::clicked, this, [this] { Guarded([this] { ButtonEsportaClick(); }); });
    connect(ButtonChiudi, &QPushButton::clicked, this, &QDialog::reject);
    Reload();
    GridSegnalazioni->setFocus();
}

void Tfrm_segnalazioni::Reload()
{
    const qint64 keep = selected() ? selected()->id : 0;
    std::vector<shop::FitReport> all;
    try {
        all = m_store.reports();
    } catch (const std::exception &e) {
        messages().ShowMessage(QStringLiteral("Segnalazioni non disponibili: ") + QString::fromUtf8(e.what()));
    }
    m_shown.clear();
    const int filter = ComboFiltro->currentIndex();
    for (const shop::FitReport &r : all) {
        const bool open = r.status == shop::ReportStatus::Open;
        if (filter == 2 || (filter == 0) == open)
            m_shown.push_back(r);
    }
    GridSegnalazioni->setRowCount(int(m_shown.size()));
    int current = m_shown.empty() ? -1 : 0;
    for (int row = 0; row < int(m_shown.size()); ++row) {
        const QStringList texts = cells(m_shown[size_t(row)]);
        for (int col = 0; col < texts.size(); ++col) {
            auto *item = new QTableWidgetItem(texts[col]);
            item->setToolTip(texts[col]);
            GridSegnalazioni->setItem(row, col, item);
        }
        if (m_shown[size_t(row)].id == keep)
            current = row;
    }
    GridSegnalazioni->resizeColumnsToContents();
    GridSegnalazioni->setColumnWidth(5, std::min(GridSegnalazioni->columnWidth(5), 260));
    if (current >= 0)
        GridSegnalazioni->selectRow(current);
    selectionChanged();
}

const shop::FitReport *Tfrm_segnalazioni::selected() const
{
    if (!GridSegnalazioni)
        return nullptr;
    const int row = GridSegnalazioni->currentRow();
    return row >= 0 && row < int(m_shown.size()) ? &m_shown[size_t(row)] : nullptr;
}

void Tfrm_segnalazioni::selectionChanged()
{
    const shop::FitReport *r = selected();
    const bool open = !r || r->status == shop::ReportStatus::Open;
    ButtonChiudiSegnalazione->setEnabled(r != nullptr);
    ButtonChiudiSegnalazione->setText(open ? QStringLiteral("C&hiudi segnalazione") : QStringLiteral("&Riapri"));
    ButtonChiudiSegnalazione->setAccessibleName(open ? QStringLiteral("Chiudi segnalazione")
                                                     : QStringLiteral("Riapri"));
}

void Tfrm_segnalazioni::ButtonChiudiSegnalazioneClick()
{
    const shop::FitReport *r = selected();
    if (!r)
        return;
    try {
        if (r->status == shop::ReportStatus::Open) {
            if (EditNotaChiusura->text().trimmed().isEmpty()) {
                messages().ShowMessage(QStringLiteral("Scrivi una nota: perché la segnalazione è chiusa?"));
                EditNotaChiusura->setFocus();
                return;
            }
            m_store.close(r->id, EditNotaChiusura->text());
            EditNotaChiusura->clear();
        } else {
            m_store.reopen(r->id);
        }
    } catch (const std::exception &e) {
        messages().ShowMessage(QStringLiteral("Segnalazione non salvata: ") + QString::fromUtf8(e.what()));
        return;
    }
    Reload();
}

void Tfrm_segnalazioni::ButtonEsportaClick()
{
    const QString offered = QDir(documentsFolder()).filePath(QStringLiteral("segnalazioni.csv"));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Esporta segnalazioni"), offered,
                                                      QStringLiteral("CSV (*.csv);;JSON (*.json)"));
    if (path.isEmpty())
        return;
    const shop::ExportFormat format = QFileInfo(path).suffix().compare(QLatin1String("json"), Qt::CaseInsensitive) == 0
                                          ? shop::ExportFormat::Json
                                          : shop::ExportFormat::Csv;
    shop::WriteExportFile(m_shown, format, path);
    const QString count = m_shown.size() == 1 ? QStringLiteral("1 segnalazione esportata")
                                              : QStringLiteral("%1 segnalazioni esportate").arg(m_shown.size());
    messages().ShowMessage(count + QStringLiteral(" in ") + path);
}

void Tfrm_segnalazioni::GridSegnalazioniChoose(int row)
{
    if (row < 0 || row >= int(m_shown.size()))
        return;
    m_chosen = m_shown[size_t(row)];
    accept();
}

bool Tfrm_segnalazioni::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == GridSegnalazioni && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Guarded([this] { GridSegnalazioniChoose(GridSegnalazioni->currentRow()); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
