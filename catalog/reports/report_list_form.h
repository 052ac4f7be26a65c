// frm_segnalazioni: every fit report of the store, newest first, filtered "Aperte",
// "Risolte" (closed by hand or found fixed by an update) or "Tutte". The selected report
// can be closed with a note or opened again; "Esporta…" writes the reports shown into one
// file for the maker; choosing one (Enter, double click) closes the window and leaves the
// catalogue window on its vehicle and battery.
#pragma once

#include "shop/fit_report.h"

#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

class Tfrm_segnalazioni : public QDialog {
    Q_OBJECT
public:
    // What the window does to the store; each raises the store's error, which the window
    // shows and survives.
    struct Store {
        std::function<std::vector<shop::FitReport>()> reports; // newest first
        std::function<bool(qint64 id, const QString &note)> close;
        std::function<bool(qint64 id)> reopen;
    };

    Tfrm_segnalazioni(Store store, QWidget *parent);

    QComboBox *ComboFiltro = nullptr;
    QTableWidget *GridSegnalazioni = nullptr;
    QLineEdit *EditNotaChiusura = nullptr;
    QPushButton *ButtonChiudiSegnalazione = nullptr; // "Chiudi segnalazione", or "Riapri" on a closed one
    QPushButton *ButtonEsporta = nullptr;
    QPushButton *ButtonChiudi = nullptr; // closes the window

    // Reads the store again and shows the reports the filter takes.
    void Reload();
    void ButtonChiudiSegnalazioneClick();
    // Asks for a file and writes the reports shown: JSON for a name ending in .json, CSV otherwise.
    void ButtonEsportaClick();
    void GridSegnalazioniChoose(int row);
    // The report chosen to go to, once the window closed on it.
    const std::optional<shop::FitReport> &chosen() const { return m_chosen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const shop::FitReport *selected() const;
    void selectionChanged();

    Store m_store;
    std::vector<shop::FitReport> m_shown;
    std::optional<shop::FitReport> m_chosen;
};
