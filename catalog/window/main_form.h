// The catalogue window. Its creation computes the global settings, opens (or reuses) the
// catalogue connection, loads the skin and fills the price-list box; showing it lists the
// makes and starts the drill-down from make to model, version and the batteries of the
// chosen price list that fit, down to the first battery's data, photo and note.
//
// Handlers are plain member functions named after the control and event, as the window
// design names them; they call each other directly, passing the sender on, so one click
// cascades through the levels below it and an exception ends every handler at once (the
// guard sits only where Qt calls in).
#pragma once

#include "catalog/sheet/battery_sheet.h"
#include "catalog/window/photo_cache.h"
#include "widgets/colored_font.h"
#include "widgets/data_grid.h"

#include <QBrush>
#include <QDialog>
#include <QString>
#include <memory>
#include <optional>

class BitmapButton;
class ColumnComboBox;
class ImageView;
class NoteLabel;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
struct QuickFindState;
class QPushButton;
class Tfrm_novita;
namespace catalog {
class CatalogueNews;
}

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
    // Children of Panel2, above the skin.
    DataGrid *gridMarca = nullptr;          // makes: marker, idMarca (hidden), name
    DataGrid *gridModello = nullptr;        // models: marker, name
    DataGrid *gridVersione = nullptr;       // versions: idVeicolo (hidden), version, fuel, years...
    DataGrid *GridOutput = nullptr;         // batteries, the fifteen-column battery row
    ColumnComboBox *ComboListino = nullptr; // price lists
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
    // What's new (main_form_news.cpp): the control made hidden, the opened catalogue
    // compared with the last one, the report shown in frm_novita (made on the first click).
    void BuildNewsControl();
    void NoticeCatalogueNews();
    void ButtonNovitaClick(QObject *Sender);

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

    // The applications-mode flag (CheckBoxApplicazioni ticked).
    bool ApplicationsMode() const;
    // The selected price list: column 0 of ComboListino's selected item, empty for none.
    QString SelectedPriceList() const;

    // Technical searches and applications mode
    // (declared and implemented by the searches: main_form_search.cpp and
    // main_form_applications.cpp)
    void ConnectSearchHandlers();
    // The four searches: the batteries of the price list equal to the fields of one group,
    // the first one shown, and applications mode entered for it.
    void VrBitmapButton1Click(QObject *Sender); // old-code lookup, then range and code
    void VrBitmapButton2Click(QObject *Sender); // capacity, discharge and polarity
    void VrBitmapButton3Click(QObject *Sender); // dimensions and base fittings
    void VrBitmapButton4Click(QObject *Sender); // container
    // Enter (key 13, any shift state) empties the other fields of the group when every
    // one of them is filled; other keys do nothing.
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
    // End of technical searches and applications mode

    // Finding by typing (main_form_quick_find.cpp): the search box in the header band,
    // the list of matches it drops, and type-ahead in the make, model and version grids.
    QLineEdit *EditTrova = nullptr;    // vehicle words, a battery code, measures or ratings
    QListWidget *ListaTrova = nullptr; // the matches, in groups; hidden until typing
    // Every edit of the box: the list refilled for the text, or closed when it is blank.
    void EditTrovaChange(QObject *Sender);
    // Up and Down move in the list, Enter chooses its current row, Escape closes it.
    void EditTrovaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    // Row `Row` of the list chosen: the list closes and the window goes to what the row
    // names, by the same steps a user's clicks and searches take.
    void ListaTrovaChoose(QObject *Sender, int Row);
    // Ctrl+F and F3: the focus into the box, its text selected.
    void FocusQuickFind();
    // End of finding by typing
    // Replacement finder (main_form_replacement.cpp): the button, also Ctrl+R, opens the
    // finder on the battery shown; a battery chosen there is shown as a code search
    // shows it, ending in applications mode.
    BitmapButton *VrBitmapButtonSostituzione = nullptr;
    void VrBitmapButtonSostituzioneClick(QObject *Sender);

    // Battery sheet (main_form_print.cpp)
    // The button's hint and handler, and Ctrl+P.
    void ConnectPrintHandlers();
    // The print preview of the shown battery's sheet; from it the sheet goes to a printer
    // or, through "Salva PDF…", into a PDF file.
    void VrBitmapButtonStampaClick(QObject *Sender);
    // What the sheet is made of: the battery shown, the vehicle it was listed for (or
    // every vehicle it fits) and the catalogue's date. None, after a message saying so,
    // when no battery is shown.
    std::optional<catalog::SheetState> ShownSheetState();
    // Writes the shown battery's sheet as a PDF at `path`, as "Salva PDF…" does.
    void SaveBatterySheetPdf(const QString &path);
    // End of battery sheet

protected:
    void showEvent(QShowEvent *event) override;
    // Only the back and exit buttons leave the window: Escape and the frame do not.
    void reject() override;

private:
    std::unique_ptr<catalog::CatalogueNews> m_news;
    void BuildControls();  // main_form_layout.cpp
    void BuildQuickFind(); // main_form_quick_find.cpp
    void ConnectHandlers();
    void BuildReplacementFinderButton(); // main_form_replacement.cpp
    void SizeFieldsAndHints();
    void ShowPhoto(const QString &photoName);
    // The file shown for a battery's photo name: the photo, or the placeholder when the
    // battery has none.
    QString PhotoFileFor(const QString &photoName, bool *placeholder = nullptr) const;
    // `cached`: the photo may come from the photo cache.
    void LoadPhotoBox(const QString &path, bool cached = true);

    QString m_shownPhotoPath;
    PhotoCache m_photos;
    bool m_leaving = false;                      // set by the window buttons so reject() lets the window close
    std::shared_ptr<QuickFindState> m_quickFind; // the catalogue in memory and the rows shown
};

// The catalogue window created last; the brand clicks show this one.
extern Tfrm_main *frm_main;
