// The catalogue window's construction (its controls, then the features' parts), creation
// steps, showing, the make-list refill and the window buttons.
#include "catalog/window/main_form.h"
#include "report/schema.h"

#include "catalog/news/news_part.h"
#include "catalog/quick_find/quick_find_part.h"
#include "catalog/replacement/replacement_part.h"
#include "catalog/reports/reports_part.h"
#include "catalog/sheet/sheet_part.h"
#include "catalog/stock/stock_part.h"
#include "catalog/technology/technology_part.h"
#include "catalog/window/statements.h"
#include "catalog/window/tab_order.h"
#include "catalog/window/zoom_form.h"
#include "data/connect_database.h"
#include "data/data_module.h"
#include "data/grid_loading.h"
#include "platform/error_guard.h"
#include "platform/memory.h"
#include "platform/settings.h"
#include "widgets/column_combo_box.h"
#include "widgets/image_view.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QShowEvent>

Tfrm_main *frm_main = nullptr;

Tfrm_main::Tfrm_main(QWidget *parent) : QDialog(parent)
{
    BuildControls();
    ConnectHandlers();
    ConnectSearchHandlers();
    m_quickFind = std::make_unique<QuickFindPart>(*this);
    m_replacement = std::make_unique<ReplacementPart>(*this);
    m_sheet = std::make_unique<SheetPart>(*this);
    m_reports = std::make_unique<ReportsPart>(*this);
    m_stock = std::make_unique<StockPart>(*this);
    ApplyTabOrder(this);
    ApplyAccessibleNames(this);
    m_news = std::make_unique<NewsPart>(*this);
    m_technology = std::make_unique<TechnologyPart>(*this);
    Guarded([this] { FormCreate(); });
}

Tfrm_main::~Tfrm_main()
{
    if (frm_main == this)
        frm_main = nullptr;
}

QString Tfrm_main::SearchHint()
{
    return QStringLiteral("Usa il tasto [Lente] per cercare i valori inseriti.\r"
                          "Se premi [Invio] azzeri gli altri campi di ricerca.");
}

void Tfrm_main::FormCreate()
{
    AppDir = ProgramFolder();
    ImageSfondo->LoadPictureFile(AppDir + QStringLiteral("img/interna.jpg"));
    TempDir = EnsureTrailingBackslash(TemporaryFolderFromEnvironment());
    MachineTag = MachineTagFrom(ComputerName());
    DM->ADOConnection1.setIndexHints(catalog::schema::IndexHints());
    if (ConnectDatabase(QStringLiteral("SQL"), QString(), QStringLiteral("vc_korva"), QString(), QString()))
        NoticeCatalogueNews();
    LoadComboFromQuery(ComboListino, catalog::priceListStatement(), QString());
    m_technology->ReadMakerTables();
}

void Tfrm_main::FormShow(QObject *Sender)
{
    SizeFieldsAndHints();
    // Exact comparison: a brand code in another letter case selects no price list.
    ComboListino->setItemIndex(ComboListino->IndexOfInColumn(0, SelectedBrand));
    RefillMakeList(catalog::makeListStatement(), Sender);
    GridOutput->setDoubleBuffered(true);
    // Listing the makes sorts every vehicle of the catalogue once, and SQLite's sorting
    // room, freed, would otherwise stay counted against the program for as long as it runs.
    ReleaseFreeMemory();
}

void Tfrm_main::RefillMakeList(const QString &SqlText, QObject *Sender)
{
    // A failed load keeps the previous rows; the refill goes on with them all the same.
    LoadGridFromMdb(gridMarca, SqlText, true);
    gridMarca->setDefaultRowHeight(20);
    gridMarca->setRowHeights(0, 0);
    gridMarca->setColWidths(catalog::kMakeMarker, 20);
    gridMarca->setColWidths(catalog::kMakeKey, 0);
    gridMarca->setColWidths(catalog::kMakeName, 10);
    FitColumnToGrid(gridMarca, catalog::kMakeName);
    gridMarca->setCurrentRow(1);
    gridMarcaClickCell(Sender, 1, 0);
    m_technology->Refresh(); // the mode may have changed with the list
}

bool Tfrm_main::ApplicationsMode() const { return CheckBoxApplicazioni->isChecked(); }

QString Tfrm_main::SelectedPriceList() const { return ComboListino->ItemText(ComboListino->ItemIndex(), 0); }

QString Tfrm_main::SelectedBatteryCode() const
{
    return GridOutput->Cells(catalog::schema::kCodice, GridOutput->SelectionRect().Top);
}

void Tfrm_main::VrBitmapButton5Click(QObject *)
{
    // Every running event loop ends, this window's modal one and the program's own.
    m_leaving = true;
    RequestProgramEnd();
}

void Tfrm_main::VrBitmapButton6Click(QObject *)
{
    m_leaving = true;
    reject();
    m_leaving = false;
}

void Tfrm_main::VrBitmapButtonZoomClick(QObject *) { ShowPhotoZoom(this, *ImageZoom); }

void Tfrm_main::reject()
{
    if (m_leaving)
        QDialog::reject();
}

void Tfrm_main::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(this); });
}
