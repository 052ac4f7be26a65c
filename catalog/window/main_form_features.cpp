// The design-named handlers of the features that live in folders of their own: each one
// hands on to the feature's part, which holds the feature's state and does its work, so
// the window's class stays the list of its entry points.
#include "catalog/window/main_form.h"

#include "catalog/news/news_part.h"
#include "catalog/quick_find/quick_find_part.h"
#include "catalog/replacement/replacement_part.h"
#include "catalog/reports/reports_part.h"
#include "catalog/sheet/sheet_part.h"
#include "catalog/stock/stock_part.h"

void Tfrm_main::EditTrovaChange(QObject *Sender) { m_quickFind->EditTrovaChange(Sender); }

void Tfrm_main::EditTrovaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift)
{
    m_quickFind->EditTrovaKeyDown(Sender, Key, Shift);
}

void Tfrm_main::ListaTrovaChoose(QObject *Sender, int Row) { m_quickFind->ListaTrovaChoose(Sender, Row); }

void Tfrm_main::FocusQuickFind() { m_quickFind->FocusQuickFind(); }

void Tfrm_main::VrBitmapButtonSostituzioneClick(QObject *Sender)
{
    m_replacement->VrBitmapButtonSostituzioneClick(Sender);
}

void Tfrm_main::VrBitmapButtonStampaClick(QObject *Sender) { m_sheet->VrBitmapButtonStampaClick(Sender); }

std::optional<catalog::SheetState> Tfrm_main::ShownSheetState() { return m_sheet->ShownSheetState(); }

void Tfrm_main::SaveBatterySheetPdf(const QString &path) { m_sheet->SaveBatterySheetPdf(path); }

void Tfrm_main::NoticeCatalogueNews() { m_news->NoticeCatalogueNews(); }

void Tfrm_main::ButtonNovitaClick(QObject *Sender) { m_news->ButtonNovitaClick(Sender); }

void Tfrm_main::VrBitmapButtonSegnalaClick(QObject *Sender) { m_reports->VrBitmapButtonSegnalaClick(Sender); }

void Tfrm_main::ShowReportList(QObject *Sender) { m_reports->ShowReportList(Sender); }

void Tfrm_main::NoticeShownBattery()
{
    if (m_reports)
        m_reports->NoticeShownBattery();
}

bool Tfrm_main::SettleReports(int ms) { return !m_reports || m_reports->SettleReports(ms); }

QString Tfrm_main::ResolveFitReports() { return m_reports ? m_reports->ResolveFitReports() : QString(); }

void Tfrm_main::ShowBatteryStock(const QString &code) { m_stock->BatteryShown(code); }

std::optional<QHash<QString, int>> Tfrm_main::StockQuantities() const { return m_stock->Quantities(); }

std::optional<qint64> Tfrm_main::ShownBatteryPrice() const { return m_stock->ShownPrice(); }

bool Tfrm_main::SettleStockLookups(int ms) { return m_stock->Settle(ms); }

QSet<QString> Tfrm_main::ReportedCodes() const { return m_reports ? m_reports->ReportedCodes() : QSet<QString>(); }
