// The brand selection screen, the program's main form: the intro picture with one click
// area per brand and a close button. A brand click records the brand and shows the
// catalogue window modally; every time the screen becomes visible it creates a fresh
// catalogue window for the next visit (the first time just after the screen's first
// paint), and closing it ends the program.
#pragma once

#include "platform/settings.h" // HintHidePause

#include <QWidget>

class BitmapButton;
class ClickArea;
class ImageView;
class QObject;

class TFormSelect : public QWidget {
    Q_OBJECT
public:
    explicit TFormSelect(QWidget *parent = nullptr);
    ~TFormSelect() override;

    // --- controls, under their design names (also their objectName)
    ImageView *Image32LogIn = nullptr; // the intro picture, filling the screen
    ClickArea *ImageKorva = nullptr;   // brand areas, children of Image32LogIn
    ClickArea *ImageQuib = nullptr;
    ClickArea *ImageBrask = nullptr;
    ClickArea *ImageFenu = nullptr;
    ClickArea *ImageZelkar = nullptr;
    BitmapButton *VrBitmapButton1 = nullptr; // close: ends the program

    // Loads the intro picture, then creates frm_desk and makes the hint settings. A
    // picture that cannot be loaded is reported and the other steps still run.
    void FormCreate();
    // Creates a new catalogue window as frm_main; the one it replaces is released.
    void FormShow();
    // Once the screen is first painted, or at a brand chosen before that: the screen's
    // font, then the first catalogue window unless one is waiting already.
    void FinishStart();

    // SelectedBrand := the area's brand code, then ShowCatalogWindow.
    void ImageKorvaClick(QObject *Sender);
    void ImageQuibClick(QObject *Sender);
    void ImageBraskClick(QObject *Sender);
    void ImageFenuClick(QObject *Sender);
    void ImageZelkarClick(QObject *Sender);
    void VrBitmapButton1Click(QObject *Sender);

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void BuildControls();
    void ChooseBrand(const QString &code);

    bool m_firstShowing = true;
};

extern TFormSelect *FormSelect;

// Shows frm_main modally, waits until it closes (its result does not matter), then shows
// the brand selection screen again.
void ShowCatalogWindow();
