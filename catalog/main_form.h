// The catalogue window. Its creation computes the global settings and opens (or reuses)
// the catalogue connection; showing it lists the makes and starts the drill-down from
// brand to make, model, version and the batteries that fit.
#pragma once

#include <QDialog>

class Tfrm_main : public QDialog {
    Q_OBJECT
public:
    explicit Tfrm_main(QWidget *parent = nullptr);
    ~Tfrm_main() override;

    // Creation handler: program folder, TEMP folder, machine tag, connection. An error
    // ends it at that step and the window is still created.
    void FormCreate();
    // Show handler.
    void FormShow();

protected:
    void showEvent(QShowEvent *event) override;
};

// The catalogue window created last; the brand clicks show this one.
extern Tfrm_main *frm_main;
