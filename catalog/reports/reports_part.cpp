// Fit reports in the catalogue window. What is shown decides what a report keeps: the
// version selected in the drill-down (never in applications mode, where no vehicle is
// chosen) with its type numbers, and the battery grid's selected row, read again through
// the connection so that a later catalogue is compared with exactly what this one said.
//
// The line is worked out from the open reports read off the GUI thread at each battery
// shown, so a report filed on another counter appears at the next click here and a store
// that is slow or gone never holds a click up. Filing and the list are the counter's own
// acts and wait for the store, which says why when it cannot be written.
#include "catalog/reports/reports_part.h"

#include "catalog/catalog_error.h"
#include "catalog/info_strip/info_strip.h"
#include "catalog/reports/catalogue_facts.h"
#include "catalog/reports/report_form.h"
#include "catalog/reports/report_list_form.h"
#include "catalog/window/main_form.h"
#include "catalog/window/statements.h"
#include "data/data_module.h"
#include "db/catalogue_identity.h"
#include "platform/error_guard.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "platform/user_settings.h"
#include "report/schema.h"
#include "shop/fit_report_resolution.h"
#include "shop/report_store.h"
#include "shop/report_watch.h"
#include "shop/shop_settings.h"
#include "widgets/bitmap_button.h"
#include "widgets/design_pictures.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSet>
#include <QShortcut>

namespace {

using enum catalog::schema::BatteryColumn;

QString photoFolder() { return AppDir + QStringLiteral("foto/"); }

catalog::ConnectionFacts facts() { return catalog::ConnectionFacts(photoFolder()); }

// The idVeicolo of the version chosen in the drill-down; empty in applications mode or
// when none is.
QString chosenVehicleKey(const Tfrm_main &form)
{
    if (form.ApplicationsMode())
        return QString();
    const int row = form.gridVersione->SelectionRect().Top;
    return row >= 1 ? form.gridVersione->Cells(catalog::kVersionKey, row).trimmed() : QString();
}

QString shownCode(const Tfrm_main &form)
{
    const int row = form.GridOutput->SelectionRect().Top;
    return row >= 1 ? form.GridOutput->Cells(kCodice, row).trimmed() : QString();
}

QString shownPriceList(const Tfrm_main &form)
{
    const int row = form.GridOutput->SelectionRect().Top;
    return row >= 1 ? form.GridOutput->Cells(kListino, row).trimmed() : QString();
}

shop::CatalogueIdentity openCatalogue()
{
    shop::CatalogueIdentity identity;
    if (!DM)
        return identity;
    identity.created = DM->ADOConnection1.CreationDate();
    identity.contentHash = db::CatalogueContentKey(AppDir + QStringLiteral("db/vc_korva.mdb")).content;
    return identity;
}

// The first data row of `grid` whose cell in `column` is `value`; 0 when none.
int rowHolding(const DataGrid *grid, int column, const QString &value)
{
    for (int row = 1; row < grid->RowCount(); ++row) {
        if (grid->Cells(column, row).trimmed() == value.trimmed())
            return row;
    }
    return 0;
}

// The report line opens the list on a click, as a link does.
class LineClicks : public QObject {
public:
    LineClicks(QLabel *line, Tfrm_main &form) : QObject(line), m_form(form) { line->installEventFilter(this); }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::MouseButtonRelease
            || static_cast<QMouseEvent *>(event)->button() != Qt::LeftButton)
            return false;
        Guarded([this] { m_form.ShowReportList(&m_form); });
        return true;
    }

private:
    Tfrm_main &m_form;
};

} // namespace

ReportsPart::ReportsPart(Tfrm_main &form) : m_form(form)
{
    try {
        const shop::ShopSettings settings = shop::ShopSettings::read(UserSettings());
        m_database = settings.database;
        m_branch = settings.branch;
    } catch (const std::exception &e) {
        // A settings file that cannot be used keeps the reports off; the catalogue works on.
        m_database.clear();
        qWarning("fit reports: %s", e.what());
    }

    auto *button = new BitmapButton(form.StripInfo);
    form.VrBitmapButtonSegnala = button;
    button->setObjectName(QStringLiteral("VrBitmapButtonSegnala"));
    button->setFixedSize(33, 33); // the strip lays it out by its size
    button->setGlyph(DrawDesignPicture(DesignPicture::ReportGlyph));
    button->setTransparent(true);
    button->setTransparentMode(TransparentMode::tmPixel);
    button->setHint(QStringLiteral("Segnala un errore del catalogo (F9)"));
    button->setShowHint(true);
    button->setAccessibleName(QStringLiteral("Segnala un errore del catalogo"));
    form.StripInfo->setTrailingButton(button);
    Tfrm_main *window = &form;
    QObject::connect(button, &BitmapButton::clicked, window, [window] {
        Guarded([window] { window->VrBitmapButtonSegnalaClick(window->VrBitmapButtonSegnala); });
    });
    auto *file = new QShortcut(QKeySequence(Qt::Key_F9), window);
    file->setObjectName(QStringLiteral("ShortcutSegnala"));
    QObject::connect(file, &QShortcut::activated, window,
                     [window] { Guarded([window] { window->VrBitmapButtonSegnalaClick(window); }); });
    auto *list = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9), window);
    list->setObjectName(QStringLiteral("ShortcutSegnalazioni"));
    QObject::connect(list, &QShortcut::activated, window,
                     [window] { Guarded([window] { window->ShowReportList(window); }); });

    QLabel *line = form.StripInfo->line(QStringLiteral("LabelSegnalazione"));
    line->setCursor(Qt::PointingHandCursor);
    new LineClicks(line, form);

    if (!m_database.isEmpty()) {
        m_watch = std::make_unique<shop::ReportWatch>(m_database);
        QObject::connect(m_watch.get(), &shop::ReportWatch::refreshed, window, [this] { refreshLine(); });
    }
}

ReportsPart::~ReportsPart() = default;

shop::ReportStore &ReportsPart::store()
{
    if (m_database.isEmpty())
        catalog::raiseCatalogError(
            catalog::CatalogErrc::NotOpen,
            QStringLiteral("il negozio non ha un archivio utilizzabile (vedi [shop] database=)"));
    if (!m_store)
        m_store = std::make_unique<shop::ReportStore>(m_database);
    return *m_store;
}

void ReportsPart::NoticeShownBattery()
{
    if (m_watch)
        m_watch->refresh();
}

bool ReportsPart::SettleReports(int ms) { return !m_watch || m_watch->settle(ms); }

void ReportsPart::refreshLine()
{
    const QString vehicle = chosenVehicleKey(m_form);
    const QString priceList = shownPriceList(m_form);
    const QString code = shownCode(m_form);
    std::vector<shop::FitReport> matching;
    for (const shop::FitReport &r : m_watch->openReports()) {
        if (shop::Concerns(r, vehicle, priceList, code))
            matching.push_back(r);
    }
    m_form.StripInfo->setLine(QStringLiteral("LabelSegnalazione"), shop::ReportLine(matching), true);
}

QSet<QString> ReportsPart::ReportedCodes() const
{
    QSet<QString> codes;
    if (m_watch) {
        for (const shop::FitReport &r : m_watch->openReports())
            if (!r.code.isEmpty() && r.reason != shop::ReportReason::MissingBattery)
                codes.insert(r.code.trimmed().toUpper());
    }
    return codes;
}

void ReportsPart::VrBitmapButtonSegnalaClick(QObject *)
{
    Tfrm_main &form = m_form;
    const catalog::ConnectionFacts catalogue = facts();
    shop::FitReport shown;
    shown.branch = m_branch;
    shown.operatorName = m_lastOperator;
    shown.catalogue = openCatalogue();
    if (const QString key = chosenVehicleKey(form); !key.isEmpty()) {
        shop::ReportedVehicle v;
        const int row = form.gridVersione->SelectionRect().Top;
        v.idVeicolo = key;
        v.make = form.gridMarca->Cells(catalog::kMakeName, form.gridMarca->SelectionRect().Top);
        v.model = form.gridModello->Cells(catalog::kModelName, form.gridModello->SelectionRect().Top);
        v.version = form.gridVersione->Cells(catalog::kVersionName, row);
        v.fuel = form.gridVersione->Cells(catalog::kVersionFuel, row);
        v.yearFrom = form.gridVersione->Cells(catalog::kVersionFrom, row);
        v.yearTo = form.gridVersione->Cells(catalog::kVersionTo, row);
        v.ktypnrs = catalogue.typeNumbers(key);
        shown.vehicle = v;
    }
    if (const QString code = shownCode(form); !code.isEmpty()) {
        shown.priceList = shownPriceList(form);
        shown.code = code;
        shown.batteryRow = catalogue.batteryRow(shown.priceList, code).value_or(QStringList());
        shown.batteryRow.resize(shop::SnapshotColumns().size());
        shown.photoHash = catalogue.photoHash(shown.batteryValue(QStringLiteral("FOTO"))).value_or(QString());
    }
    if (!shown.vehicle && shown.code.isEmpty()) {
        messages().ShowMessage(QStringLiteral("Niente da segnalare: scegli prima un veicolo o una batteria."));
        return;
    }
    if (m_lastOperator.isEmpty()) {
        // Remembered across runs by the store: the name on this branch's newest report.
        try {
            for (const shop::FitReport &r : store().reports())
                if (r.branch == m_branch && !r.operatorName.isEmpty()) {
                    shown.operatorName = r.operatorName;
                    break;
                }
        } catch (const std::exception &) {
            // Filing will say what is wrong with the store.
        }
    }
    const QString listPriceList = form.SelectedPriceList();
    const QStringList ktypnrs = shown.vehicle ? shown.vehicle->ktypnrs : QStringList();
    auto checkCode = [catalogue, listPriceList, ktypnrs](const QString &code) -> std::optional<QString> {
        if (!catalogue.hasBattery(listPriceList, code))
            return QStringLiteral("Il codice \"%1\" non è nel listino %2.").arg(code, listPriceList);
        // Such a report would say nothing the catalogue does not already say.
        if (catalogue.codesFitting(ktypnrs).contains(code.trimmed().toUpper()))
            return QStringLiteral("Il codice \"%1\" è già indicato per questo veicolo.").arg(code);
        return std::nullopt;
    };
    auto file = [this](const shop::FitReport &report) {
        shop::FitReport r = report;
        r.filedAt = QDateTime::currentDateTimeUtc();
        return store().file(r);
    };
    Tfrm_segnala window(shown, checkCode, file, &form);
    window.exec();
    if (window.filed()) {
        m_lastOperator = window.filed()->operatorName;
        if (m_watch) {
            m_watch->add(*window.filed());
            refreshLine();
        }
        NoticeShownBattery();
    }
}

void ReportsPart::ShowReportList(QObject *Sender)
{
    Tfrm_segnalazioni::Store access;
    access.reports = [this] { return store().reports(); };
    access.close = [this](qint64 id, const QString &note) {
        return store().close(id, note, QDateTime::currentDateTimeUtc());
    };
    access.reopen = [this](qint64 id) { return store().reopen(id, QDateTime::currentDateTimeUtc()); };
    Tfrm_segnalazioni window(access, &m_form);
    window.exec();
    NoticeShownBattery();
    if (window.chosen())
        goTo(*window.chosen(), Sender);
}

void ReportsPart::goTo(const shop::FitReport &report, QObject *Sender)
{
    Tfrm_main &form = m_form;
    if (report.vehicle) {
        // The drill-down's clicks, as the quick find makes them.
        if (form.ApplicationsMode())
            form.VrBitmapButtonApplicazioniClick(Sender);
        const shop::ReportedVehicle &v = *report.vehicle;
        const int makeRow = rowHolding(form.gridMarca, catalog::kMakeName, v.make);
        if (makeRow == 0)
            catalog::raiseCatalogError(catalog::CatalogErrc::Stale,
                                       QStringLiteral("La marca \"%1\" non compare più nell'elenco.").arg(v.make));
        form.gridMarca->setCurrentRow(makeRow);
        form.gridMarcaClickCell(Sender, makeRow, 0);
        const int modelRow = rowHolding(form.gridModello, catalog::kModelName, v.model);
        if (modelRow == 0)
            return;
        form.gridModello->setCurrentRow(modelRow);
        form.gridModelloClickCell(Sender, modelRow, 0);
        const int versionRow = rowHolding(form.gridVersione, catalog::kVersionKey, v.idVeicolo);
        if (versionRow == 0)
            return;
        form.gridVersione->setCurrentRow(versionRow);
        form.gridVersioneClickCell(Sender, versionRow, 0);
    } else if (!report.code.isEmpty()) {
        form.EditGamma->clear();
        form.EditCodice->setText(report.code);
        form.VrBitmapButton1Click(Sender);
    }
    const int batteryRow = report.code.isEmpty() ? 0 : rowHolding(form.GridOutput, kCodice, report.code);
    if (batteryRow > 0 && batteryRow != form.GridOutput->CurrentRow()) {
        form.GridOutput->setCurrentRow(batteryRow);
        form.GridOutputClickCell(Sender, batteryRow, 0);
    }
}

QString ReportsPart::ResolveFitReports()
{
    if (m_database.isEmpty())
        return QString();
    try {
        if (!shop::StoreExists(m_database))
            return QString(); // no report was ever filed here
        const shop::CatalogueIdentity now = openCatalogue();
        const catalog::ConnectionFacts catalogue = facts();
        const QDateTime at = QDateTime::currentDateTimeUtc();
        std::vector<shop::FitReport> resolved;
        for (const shop::FitReport &r : store().reports(true)) {
            if (r.catalogue.contentHash == now.contentHash)
                continue; // made on this very catalogue
            if (const std::optional<QString> why = shop::Resolution(r, catalogue))
                resolved.push_back(shop::MarkedResolved(r, now, *why, at));
        }
        if (!resolved.empty())
            store().markResolved(resolved);
        // Every counter lists the same reports, whichever of them marked them.
        QStringList lines;
        for (const shop::FitReport &r : store().reports()) {
            if (r.status == shop::ReportStatus::Resolved && r.resolvedIn.contentHash == now.contentHash)
                lines << QStringLiteral("  %1 %2: %3 \u2013 %4")
                             .arg(r.code.isEmpty() ? r.fittingCode : r.code, shop::ReasonShortText(r.reason),
                                  r.comment.simplified(), r.resolution);
        }
        NoticeShownBattery();
        if (lines.isEmpty())
            return QString();
        return QStringLiteral("Segnalazioni risolte: %1\n").arg(lines.size()) + lines.join(u'\n') + u'\n';
    } catch (const std::exception &e) {
        return QStringLiteral("Segnalazioni non controllate: ") + QString::fromUtf8(e.what()) + u'\n';
    }
}
