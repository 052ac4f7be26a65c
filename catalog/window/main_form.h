// The catalogue window. Its creation computes the global settings, opens (or reuses) the
// catalogue connection, loads the skin and fills the price-list box; showing it lists the
// makes and starts the drill-down from make to model, version and the batteries of the
// chosen price list that fit, down to the first battery's data, photo and note.
//
// Handlers are plain member functions named after the control and event, as the window
// design names them; they call each other directly, passing the sender on, so one click
// cascades through the levels below it and an exception ends every handler at once (the
// guard sits only where Qt calls in). A feature with a folder of its own (quick find, the
// replacement finder, the battery sheet, what's new) keeps its state and its work in a
// part object the window owns; the window's handler of the design name hands on to it.
#pragma once

#include "catalog/sheet/battery_sheet.h"
#include "catalog/window/photo_cache.h"
#include "widgets/colored_font.h"
#include "widgets/data_grid.h"

#include <QBrush>
#include <QDialog>
#include <QHash>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

class BitmapButton;
class ColumnComboBox;
class ImageView;
class InfoStrip;
class NoteLabel;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class Tfrm_novita;
// The features with a folder of their own; each holds its state and does its handlers' work.
class NewsPart;
class QuickFindPart;
class ReportsPart;
class ReplacementPart;
class SheetPart;
class TechnologyPart;
class StockPart;

class Tfrm_main : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_main(QWidget *parent = nullptr);
    ~Tfrm_main() override;

    // --- controls, under their design names (also their objectName)
    QFrame *Panel2 = nullptr;         // fills the client area
    ImageView *ImageSfondo = nullptr; // the skin; parent of the fields, buttons and labels
    // Children of ImageSfondo.
    BitmapButton *VrBitmapButton1 = nullptr;            // search 1: range and code
    BitmapButton *VrBitmapButton2 = nullptr;            // search 2: capacity, discharge, polarity
    BitmapButton *VrBitmapButton3 = nullptr;            // search 3: dimensions and base fittings
    BitmapButton *VrBitmapButton4 = nullptr;            // search 4: container
    BitmapButton *VrBitmapButtonApplicazioni = nullptr; // applications-mode toggle
    QLabel *LabelCodice = nullptr;
    QLabel *LabelCapacita = nullptr;
    QLabel *LabelScarica = nullptr;
    BitmapButton *VrBitmapButton5 = nullptr; // exit: ends the program
    BitmapButton *VrBitmapButton6 = nullptr; // back: closes the window
    NoteLabel *HTMLabelNote = nullptr;
    ImageView *ImageZoom = nullptr;               // the battery photo
    BitmapButton *VrBitmapButtonZoom = nullptr;   // child of ImageZoom
    BitmapButton *VrBitmapButtonStampa = nullptr; // the battery sheet: preview, print, PDF
    QCheckBox *CheckBoxApplicazioni = nullptr;    // never visible; ticked = applications mode
    QLineEdit *EditGamma = nullptr;
    QLineEdit *EditCodice = nullptr;
    QLineEdit *EditCapacita = nullptr;
    QLineEdit *EditScarica = nullptr;
    QLineEdit *EditPolarita = nullptr;
    QLineEdit *EditLunghezza = nullptr;
    QLineEdit *EditLarghezza = nullptr;
    QLineEdit *EditAltezza = nullptr;
    QLineEdit *EditMonoblocco = nullptr;
    QLineEdit *EditAttacchi = nullptr;
    // The header band's information strip, where the skin's subtitle stood: the shop's
    // lines about the battery shown (stock, fit reports, technology guard).
    InfoStrip *StripInfo = nullptr;
    // Children of Panel2, above the skin.
    DataGrid *gridMarca = nullptr;          // makes: marker, idMarca (hidden), name
    DataGrid *gridModello = nullptr;        // models: marker, name
    DataGrid *gridVersione = nullptr;       // versions: idVeicolo (hidden), version, fuel, years...
    DataGrid *GridOutput = nullptr;         // batteries, the fifteen-column battery row
    ColumnComboBox *ComboListino = nullptr; // price lists
    // Controls of the features with a folder of their own, made by their parts.
    QLineEdit *EditTrova = nullptr;    // quick find: vehicle words, a battery code, measures or ratings
    QListWidget *ListaTrova = nullptr; // quick find: the matches, in groups; hidden until typing
    BitmapButton *VrBitmapButtonSostituzione = nullptr; // opens the replacement finder
    BitmapButton *VrBitmapButtonSegnala = nullptr;      // fit reports: opens frm_segnala (also F9)
    // "Novità del catalogo": shown only when the catalogue differs from the one opened
    // last time on this computer; opens frm_novita.
    QPushButton *ButtonNovita = nullptr;
    Tfrm_novita *frm_novita = nullptr;

    // The hint of the ten edits and the four search buttons.
    static QString SearchHint();

    // --- creation and showing
    // Creation handler: program folder, skin, TEMP folder, machine tag, connection, price
    // lists. An error ends it at that step and the window is still created.
    void FormCreate();
    // Show handler: field sizes and hints, price-list preselection by SelectedBrand, the
    // make list and its cascade.
    void FormShow(QObject *Sender = nullptr);
    // Loads the make grid from `SqlText` and restarts the drill-down at row 1.
    void RefillMakeList(const QString &SqlText, QObject *Sender);
    void VrBitmapButton5Click(QObject *Sender); // exit
    void VrBitmapButton6Click(QObject *Sender); // back
    void VrBitmapButtonZoomClick(QObject *Sender);

    // --- vehicle drill-down
    void gridMarcaClickCell(QObject *Sender, int ARow, int ACol);
    void gridModelloClickCell(QObject *Sender, int ARow, int ACol);
    void gridVersioneClickCell(QObject *Sender, int ARow, int ACol);
    void gridMarcaKeyUp(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void gridModelloKeyUp(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void gridVersioneKeyUp(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void ComboListinoChange(QObject *Sender);
    void gridMarcaGetCellColor(QObject *Sender, int ARow, int ACol, GridDrawState AState, QBrush &ABrush,
                               ColoredFont &AFont);
    void gridModelloGetCellColor(QObject *Sender, int ARow, int ACol, GridDrawState AState, QBrush &ABrush,
                                 ColoredFont &AFont);

    // --- battery data and photo
    void GridOutputClickCell(QObject *Sender, int ARow, int ACol);
    // Shows the battery of the current row, as the other grids' key-ups reload theirs.
    void GridOutputKeyUp(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    // The path of the picture the photo box last loaded; empty until the first load.
    QString ShownPhotoPath() const { return m_shownPhotoPath; }
    // The picture shown for a battery's photo name (the placeholder when the battery has
    // none), through the photo cache; raises WidgetError when it cannot be read.
    QImage BatteryPhoto(const QString &photoName);

    // The applications-mode flag (CheckBoxApplicazioni ticked).
    bool ApplicationsMode() const;
    // The selected price list: column 0 of ComboListino's selected item, empty for none.
    QString SelectedPriceList() const;
    // The code in the battery grid's selected row, the battery shown (the code column's
    // caption when the selection is on the caption row).
    QString SelectedBatteryCode() const;

    // --- technical searches (main_form_search.cpp) and applications mode
    // (main_form_applications.cpp)
    // The four searches: the batteries of the price list equal to the fields of one group,
    // the first one shown, and applications mode entered for it.
    void VrBitmapButton1Click(QObject *Sender); // old-code lookup, then range and code
    void VrBitmapButton2Click(QObject *Sender); // capacity, discharge and polarity
    void VrBitmapButton3Click(QObject *Sender); // dimensions and base fittings
    void VrBitmapButton4Click(QObject *Sender); // container
    // Enter (Qt::Key_Return or Qt::Key_Enter, any shift state) empties the other fields of
    // the group when every one of them is filled; other keys do nothing.
    void EditGammaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditCodiceKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditCapacitaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditScaricaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditPolaritaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditLunghezzaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditLarghezzaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditAltezzaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void EditAttacchiKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    // Applications mode on (the vehicles the selected battery fits) or off (every make),
    // with the window's look and the make list changed to match.
    void VrBitmapButtonApplicazioniClick(QObject *Sender);

    // --- the features' entry points, each handed on to its part (main_form_features.cpp)
    // Quick find (quick_find/): every edit of the box refills the list for the text, or
    // closes it when the text is blank; Up and Down move in the list, Enter chooses its
    // current row, Escape closes it; a row chosen takes the window to what it names, by
    // the steps a user's clicks and searches take; Ctrl+F and F3 focus the box.
    void EditTrovaChange(QObject *Sender);
    void EditTrovaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void ListaTrovaChoose(QObject *Sender, int Row);
    void FocusQuickFind();
    // Replacement finder (replacement/): the button, also Ctrl+R, opens the finder on the
    // battery shown; a battery chosen there is shown as a code search shows it.
    void VrBitmapButtonSostituzioneClick(QObject *Sender);
    // Battery sheet (sheet/): the button, also Ctrl+P, opens the print preview of the
    // shown battery's sheet, from which it goes to a printer or, through "Salva PDF…",
    // into a PDF file. The sheet is made of the battery shown, the vehicle it was listed
    // for (or every vehicle it fits) and the catalogue's date: none, after a message
    // saying so, when no battery is shown.
    void VrBitmapButtonStampaClick(QObject *Sender);
    std::optional<catalog::SheetState> ShownSheetState();
    void SaveBatterySheetPdf(const QString &path); // as "Salva PDF…" does
    // What's new (news/): the opened catalogue compared with the last one, and the
    // report shown in frm_novita, made on the first click.
    void NoticeCatalogueNews();
    void ButtonNovitaClick(QObject *Sender);
    // Technology guard (technology/): the strip's lines for the battery shown and the
    // vehicle chosen, and what the finder and the sheet ask of the maker's tables.
    TechnologyPart &TechnologyGuard() { return *m_technology; }
    // Fit reports (reports/): the strip's button, also F9, files a report on the vehicle and
    // battery shown; Shift+F9 (or a click on the strip's report line) lists them; every
    // battery shown reads the open reports again for the line. ResolveFitReports checks
    // the open reports against a catalogue that differs from the last one and returns the
    // what's-new lines of those it resolved.
    void VrBitmapButtonSegnalaClick(QObject *Sender);
    void ShowReportList(QObject *Sender);
    void NoticeShownBattery();
    bool SettleReports(int ms);
    QString ResolveFitReports();
    // The codes (upper case) of the batteries with an open fit report, for the replacement
    // finder and the quick find to mark.
    QSet<QString> ReportedCodes() const;
    // The shop's stock (stock/): the information strip's line LabelGiacenza follows the
    // battery shown, answered off the GUI thread; the branch's quantities (by the store's
    // normal form of a code) for the replacement finder and the quick find, none while
    // the shop's stock is not known; the shown battery's price as of its last answer;
    // and a bounded wait for the answers asked for (false on timeout).
    void ShowBatteryStock(const QString &code);
    std::optional<QHash<QString, int>> StockQuantities() const;
    std::optional<qint64> ShownBatteryPrice() const;
    bool SettleStockLookups(int ms);

protected:
    void showEvent(QShowEvent *event) override;
    // Only the back and exit buttons leave the window: Escape and the frame do not.
    void reject() override;

private:
    void BuildControls(); // main_form_layout.cpp
    void ConnectHandlers();
    void ConnectSearchHandlers(); // main_form_search.cpp
    void SizeFieldsAndHints();
    void ShowPhoto(const QString &photoName);
    // The file shown for a battery's photo name: the photo, or the placeholder when the
    // battery has none.
    QString PhotoFileFor(const QString &photoName, bool *placeholder = nullptr) const;
    // `cached`: the photo may come from the photo cache.
    void LoadPhotoBox(const QString &path, bool cached = true);

    QString m_shownPhotoPath;
    PhotoCache m_photos;
    bool m_leaving = false; // set by the window buttons so reject() lets the window close
    std::unique_ptr<QuickFindPart> m_quickFind;
    std::unique_ptr<ReplacementPart> m_replacement;
    std::unique_ptr<SheetPart> m_sheet;
    std::unique_ptr<NewsPart> m_news;
    std::unique_ptr<TechnologyPart> m_technology;
    std::unique_ptr<ReportsPart> m_reports;
    std::unique_ptr<StockPart> m_stock;
};

// The catalogue window created last; the brand clicks show this one.
extern Tfrm_main *frm_main;
