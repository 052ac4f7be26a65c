// The replacement finder: a modal window that lists the batteries of the selected price
// list that fit in the space of a customer's old battery, best first, each compared with
// the old one. It starts from the battery the catalogue window shows; every value may be
// changed, since the old battery may be any maker's, measured with a ruler. Choosing a row
// closes the window and hands the chosen battery back to the catalogue window.
#pragma once

#include "catalog/replacement/replacement_ranking.h"

#include <QDialog>
#include <QHash>
#include <QSet>
#include <optional>

class BitmapButton;
class DataGrid;
class QComboBox;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The values the fields start with, as texts (the catalogue window's battery row).
struct ReplacementStart {
    QString code{};
    QString length{};
    QString width{};
    QString height{};
    QString polarity{};
    QString holdDown{};
    QString capacity{};
    QString discharge{};
    catalog::Technology technology = catalog::Technology::Unknown;
    // What the vehicle chosen in the catalogue window needs, when it needs something.
    std::optional<catalog::Technology> vehicleNeed{};
    // How the batteries' technologies are told; range words only when none is given.
    const catalog::TechnologyRule *technologies = nullptr;
    // The shop's quantity of each code it has (the store's normal form of the code); none
    // when the shop's stock is not known.
    std::optional<QHash<QString, int>> stock{};
    // The codes (upper case) with an open fit report, marked in the list.
    QSet<QString> reported{};
};

// The battery chosen in the finder.
struct ChosenReplacement {
    QString code;
    QString range;
};

class Tfrm_sostituzione : public QDialog {
    Q_OBJECT
public:
    Tfrm_sostituzione(QWidget *owner, const ReplacementStart &start, const QString &priceList);

    // Reads the fields, lists what fits; a field that is not a number gives one
    // "Attenzione" message naming every such field and leaves the list as it was.
    void VrBitmapButtonSostCercaClick();
    // Chooses the battery of grid row `ARow` (1-based) and closes; other rows do nothing.
    // A battery of a lower technology is chosen only when the user confirms it, each time.
    void GridSostituzioneChoose(int ARow);
    void ButtonSostMostraClick(); // chooses the selected row
    void ButtonSostChiudiClick(); // closes without a choice

    // The battery chosen, once the window has closed by a choice.
    std::optional<ChosenReplacement> Chosen() const { return m_chosen; }
    // What the list shows, best first.
    const catalog::ReplacementResult &Result() const { return m_result; }

    QLineEdit *EditSostLunghezza;
    QLineEdit *EditSostLarghezza;
    QLineEdit *EditSostAltezza;
    QLineEdit *EditSostTolleranza;
    QLineEdit *EditSostPolarita;
    QLineEdit *EditSostAttacchi;
    QLineEdit *EditSostCapacita;
    QLineEdit *EditSostScarica;
    QComboBox *EditSostTecnologia; // the old battery's technology; choosing one searches again
    QLabel *LabelSostRichiesta;    // what the chosen vehicle needs, when it needs something
    BitmapButton *VrBitmapButtonSostCerca;
    QCheckBox *CheckSoloDisponibili;  // lists only what the shop has; off at first, off for good without stock
    DataGrid *GridSostituzioneTitoli; // the column captions over the list, which does not scroll
    DataGrid *GridSostituzione;       // row 0 the captions (hidden), the batteries from row 1
    QLabel *LabelSostListino;         // the price list searched and the battery the fields came from
    QLabel *LabelSostTrovate;         // how many fit
    QLabel *LabelSostEsclusi;         // how many could not be compared
    QLabel *LabelSostAvviso;          // the warning about the selected row, if any
    QPushButton *ButtonSostMostra;
    QPushButton *ButtonSostChiudi;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FillGrid();
    void FitLastColumns();
    void ShowRowWarning();
    // The hint of a cell, empty when it has none.
    QString CellHint(int col, int row) const;

    QString m_priceList;
    std::optional<catalog::Technology> m_vehicleNeed;
    catalog::TechnologyRule m_wordsOnly;
    const catalog::TechnologyRule *m_technologies;
    std::optional<QHash<QString, int>> m_stock;
    QSet<QString> m_reported;
    catalog::OldBattery m_old;
    catalog::ReplacementResult m_result;
    std::optional<ChosenReplacement> m_chosen;
};

// The finder while it is open, otherwise nullptr.
extern Tfrm_sostituzione *frm_sostituzione;

// Creates the finder owned by `owner` with the fields of `start`, lists what fits at once,
// shows it modally and destroys it when it closes. Returns the battery chosen, if any.
std::optional<ChosenReplacement> ShowReplacementFinder(QWidget *owner, const ReplacementStart &start,
                                                       const QString &priceList);
