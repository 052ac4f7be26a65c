// The "what's new" window: the text report of what changed since the catalogue opened
// last time, read-only, beside the catalogue window and never in its way (not modal).
#pragma once

#include <QDialog>

class QPlainTextEdit;

class Tfrm_novita : public QDialog {
    Q_OBJECT
public:
    Tfrm_novita(const QString &report, QWidget *parent);

    QPlainTextEdit *MemoNovita = nullptr; // the report
};
