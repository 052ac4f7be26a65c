// The brand selection screen, the program's main form. Its creation makes the hidden
// export form and the hint settings; every time it becomes visible it creates a fresh
// catalogue window for the next visit.
#pragma once

#include <QWidget>

class TFormSelect : public QWidget {
    Q_OBJECT
public:
    explicit TFormSelect(QWidget *parent = nullptr);
    ~TFormSelect() override;

    void FormCreate();
    // Creates a new catalogue window as frm_main; the one it replaces is released.
    void FormShow();
    // Stores nothing itself: shows frm_main modally, then this screen again.
    void ShowCatalogWindow();

protected:
    void showEvent(QShowEvent *event) override;
};

extern TFormSelect *FormSelect;

// How long a hint stays up, in milliseconds; the catalogue window gives it to its
// controls' tool tips.
extern int HintHidePause;
