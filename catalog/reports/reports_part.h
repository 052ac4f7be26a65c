// Fit reports, the catalogue window's part: the button Tfrm_main::VrBitmapButtonSegnala at
// the information strip's end and F9, which open frm_segnala on what the window shows; the
// strip's line LabelSegnalazione for the open reports about the vehicle and battery shown;
// frm_segnalazioni (Shift+F9, or a click on the line); and the check of the open reports
// against a catalogue that differs from the last one. The window's handlers of the same
// names hand on to it.
#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class QObject;
class Tfrm_main;
namespace shop {
class ReportStore;
class ReportWatch;
struct FitReport;
} // namespace shop

class ReportsPart {
public:
    // Makes the button, the line and the keys on `form`; the store is the [shop] one.
    explicit ReportsPart(Tfrm_main &form);
    ~ReportsPart();
    ReportsPart(const ReportsPart &) = delete;
    ReportsPart &operator=(const ReportsPart &) = delete;

    // Opens frm_segnala on the vehicle and battery shown; stores what "Invia" sends.
    void VrBitmapButtonSegnalaClick(QObject *Sender);
    // Opens frm_segnalazioni; a report chosen there is shown as the quick find shows it.
    void ShowReportList(QObject *Sender);
    // The battery shown changed: the open reports are read again and the line follows.
    void NoticeShownBattery();
    // Waits for the reports asked for to be read, at most `ms`.
    bool SettleReports(int ms);
    // Checks every open report made on another catalogue against the one now open and
    // marks those it resolves. Returns the what's-new window's lines for the reports
    // resolved in this catalogue ("Segnalazioni risolte: 2" and one line each); empty when
    // none is. Never stops the opening: a store that cannot be read is told in the lines.
    QString ResolveFitReports();
    // The codes (upper case) of the batteries with an open report, for the finder and the
    // quick find to mark.
    QSet<QString> ReportedCodes() const;

private:
    void refreshLine();
    shop::ReportStore &store();
    void goTo(const shop::FitReport &report, QObject *Sender);

    Tfrm_main &m_form;
    QString m_database;
    QString m_branch;
    QString m_lastOperator;
    std::unique_ptr<shop::ReportStore> m_store; // on the GUI thread, for filing and the list
    std::unique_ptr<shop::ReportWatch> m_watch; // the open reports, read at each battery shown
};
