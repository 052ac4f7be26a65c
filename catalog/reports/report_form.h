// frm_segnala: the window a counter files a fit report in. What the catalogue window
// showed (the vehicle, the battery) stands read-only at the top; the counter picks a
// reason, writes a comment and their name, and "Invia" stores it. A store that cannot be
// written says so and the window stays open with everything typed.
#pragma once

#include "shop/fit_report.h"

#include <QDialog>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

class Tfrm_segnala : public QDialog {
    Q_OBJECT
public:
    // Checks a fitting code against the catalogue: why it cannot be used, or nothing.
    using CodeCheck = std::function<std::optional<QString>(const QString &code)>;
    // Stores the report and returns it as stored; raises the store's error.
    using Filing = std::function<shop::FitReport(const shop::FitReport &report)>;

    // `shown`: the report as the window fills it (vehicle, battery, catalogue, branch,
    // the operator remembered).
    Tfrm_segnala(const shop::FitReport &shown, CodeCheck checkCode, Filing file, QWidget *parent);

    QLabel *LabelVeicolo = nullptr;
    QLabel *LabelBatteria = nullptr;
    QComboBox *ComboMotivo = nullptr;      // the reasons' texts
    QLineEdit *EditCodiceAdatto = nullptr; // "Manca una batteria adatta": the code that fits
    QLineEdit *EditCommento = nullptr;
    QLabel *LabelCaratteri = nullptr; // characters used of the comment's 300
    QLineEdit *EditOperatore = nullptr;
    QPushButton *ButtonInvia = nullptr;
    QPushButton *ButtonAnnulla = nullptr;

    // "Invia": the report checked and stored; the window closes once it is.
    void ButtonInviaClick();
    // The report stored by "Invia"; nothing after "Annulla".
    const std::optional<shop::FitReport> &filed() const { return m_filed; }

private:
    shop::FitReport typedReport() const;
    void reasonChanged();
    void commentChanged();

    shop::FitReport m_shown;
    CodeCheck m_checkCode;
    Filing m_file;
    std::optional<shop::FitReport> m_filed;
};
