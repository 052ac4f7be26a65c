// The battery sheet's part of the catalogue window: the print button and Ctrl+P open a print
// preview of the sheet of the battery shown; from the preview it goes to any installed
// printer or, through "Salva PDF…", into a PDF file.
//
// The sheet is made of what the window shows. The battery is the selected row of the
// battery grid. In the drill-down it was listed for the selected version, unless the
// cascade stopped early (no versions, no price list) and left the batteries of an
// earlier vehicle on screen: so the version is printed only when the battery fits it,
// and otherwise, as in applications mode, the sheet lists every vehicle the battery fits.
#include "catalog/sheet/sheet_part.h"

#include "catalog/catalog_error.h"
#include "catalog/sheet/battery_sheet_page.h"
#include "catalog/window/main_form.h"
#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "db/query.h"
#include "platform/error_guard.h"
#include "platform/messages.h"
#include "report/schema.h"
#include "widgets/bitmap_button.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QShortcut>
#include <QStandardPaths>
#include <QToolBar>

namespace {

using enum catalog::schema::BatteryColumn;
constexpr int kBatteryColumns = kOrdine + 1;

// Runs `sql` on the catalogue connection and hands each record to `take`; a failing
// statement raises the database layer's error, which ends the handler with its text.
template <class F>
void forEachRecord(const QString &sql, F take)
{
    if (!DM)
        catalog::raiseCatalogError(catalog::CatalogErrc::NotOpen, QStringLiteral("Il catalogo non è aperto."));
    db::Query query(DM->ADOConnection1);
    query.AddSQL(sql);
    query.Open();
    for (; !query.Eof(); query.Next())
        take(query);
}

// The version selected in the drill-down, when `batteryCode` fits it.
std::optional<catalog::SheetVehicle> drilledVehicle(const Tfrm_main &form, const QString &batteryCode)
{
    const DataGrid *versions = form.gridVersione;
    const int row = versions->SelectionRect().Top;
    const QString vehicleKey = versions->Cells(catalog::kVersionKey, row);
    if (row < 1 || vehicleKey.trimmed().isEmpty())
        return std::nullopt;
    bool fits = false;
    forEachRecord(catalog::batteryFitsVehicleStatement(vehicleKey, batteryCode),
                  [&](const db::Query &q) { fits = q.AsString(0).toInt() > 0; });
    if (!fits)
        return std::nullopt;
    catalog::SheetVehicle v;
    v.make = form.gridMarca->Cells(catalog::kMakeName, form.gridMarca->SelectionRect().Top);
    v.model = form.gridModello->Cells(catalog::kModelName, form.gridModello->SelectionRect().Top);
    v.version = versions->Cells(catalog::kVersionName, row);
    v.fuel = versions->Cells(catalog::kVersionFuel, row);
    v.yearFrom = versions->Cells(catalog::kVersionFrom, row);
    v.yearTo = versions->Cells(catalog::kVersionTo, row);
    v.cm3 = versions->Cells(catalog::kVersionCm3, row);
    v.cv = versions->Cells(catalog::kVersionCv, row);
    v.kw = versions->Cells(catalog::kVersionKw, row);
    return v;
}

std::vector<catalog::SheetVehicle> fittedVehicles(const QString &batteryCode)
{
    std::vector<catalog::SheetVehicle> vehicles;
    forEachRecord(catalog::fittedVehiclesStatement(batteryCode), [&](const db::Query &q) {
        catalog::SheetVehicle v;
        v.make = q.AsString(catalog::kFittedMake);
        v.model = q.AsString(catalog::kFittedModel);
        v.version = q.AsString(catalog::kFittedVersion);
        v.yearFrom = q.AsString(catalog::kFittedFrom);
        v.yearTo = q.AsString(catalog::kFittedTo);
        vehicles.push_back(v);
    });
    return vehicles;
}

QString documentsFolder()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QFileInfo(documents).isDir() ? documents : QDir::homePath();
}

// "Salva PDF…" of the preview: a file dialog offering <CODICE>.pdf in the documents folder.
void savePdfFromPreview(QWidget *parent, const catalog::SheetState &state)
{
    const QString offered = QDir(documentsFolder()).filePath(catalog::SheetFileName(state.batteryRow.value(kCodice)));
    QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Salva PDF"), offered,
                                                QStringLiteral("Documenti PDF (*.pdf)"));
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    catalog::WriteBatterySheetPdf(state, path);
}

} // namespace

SheetPart::SheetPart(Tfrm_main &form) : m_form(form)
{
    BitmapButton *button = form.VrBitmapButtonStampa;
    button->setHint(QStringLiteral("Stampa scheda batteria"));
    button->setShowHint(true);
    Tfrm_main *window = &form;
    QObject::connect(button, &BitmapButton::clicked, window, [window] {
        Guarded([window] { window->VrBitmapButtonStampaClick(window->VrBitmapButtonStampa); });
    });
    auto *print = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), window);
    print->setObjectName(QStringLiteral("ShortcutStampa"));
    QObject::connect(print, &QShortcut::activated, window,
                     [window] { Guarded([window] { window->VrBitmapButtonStampaClick(window); }); });
}

std::optional<catalog::SheetState> SheetPart::ShownSheetState()
{
    Tfrm_main &form = m_form;
    const DataGrid *grid = form.GridOutput;
    const int row = grid->SelectionRect().Top;
    const QString code = form.SelectedBatteryCode();
    if (row < 1 || code.trimmed().isEmpty()) {
        messages().ShowMessage(QStringLiteral("Nessuna batteria da stampare: scegli prima una batteria dall'elenco."));
        return std::nullopt;
    }
    catalog::SheetState state;
    state.program = form.windowTitle();
    for (int col = 0; col < kBatteryColumns; ++col)
        state.batteryRow << grid->Cells(col, row);
    if (!form.ApplicationsMode())
        state.chosenVehicle = drilledVehicle(form, code);
    if (!state.chosenVehicle)
        state.fittedVehicles = fittedVehicles(code);
    state.photo = form.BatteryPhoto(grid->Cells(kFoto, row));
    state.catalogueDate = DM ? DM->ADOConnection1.CreationDate() : QDateTime();
    state.printedAt = QDateTime::currentDateTime();
    state.priceCents = form.ShownBatteryPrice();
    return state;
}

void SheetPart::VrBitmapButtonStampaClick(QObject *)
{
    const std::optional<catalog::SheetState> state = m_form.ShownSheetState();
    if (!state)
        return;
    const QString title = QStringLiteral("Scheda batteria ") + state->batteryRow.value(kCodice);
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(catalog::SheetPaper());
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true); // the sheet keeps its own margins
    printer.setDocName(title);

    QPrintPreviewDialog preview(&printer, &m_form);
    preview.setObjectName(QStringLiteral("frm_stampa"));
    preview.setWindowTitle(title);
    // The preview asks for the page again whenever it is shown or changed, and once more
    // to print it; a failure is reported each time and the dialog stays open.
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&state](QPrinter *target) { Guarded([&] { catalog::PrintBatterySheet(*target, *state); }); });
    auto *savePdf = new QAction(QStringLiteral("Salva PDF\u2026"), &preview);
    savePdf->setObjectName(QStringLiteral("ActionSalvaPdf"));
    savePdf->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    savePdf->setToolTip(QStringLiteral("Salva la scheda in un file PDF (Ctrl+S)"));
    QObject::connect(savePdf, &QAction::triggered, &preview,
                     [&preview, &state] { Guarded([&] { savePdfFromPreview(&preview, *state); }); });
    if (auto *bar = preview.findChild<QToolBar *>())
        bar->addAction(savePdf);
    else
        preview.addAction(savePdf);
    preview.exec();
}

void SheetPart::SaveBatterySheetPdf(const QString &path)
{
    if (const std::optional<catalog::SheetState> state = m_form.ShownSheetState())
        catalog::WriteBatterySheetPdf(*state, path);
}
