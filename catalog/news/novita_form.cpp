// The report is shown in a fixed-pitch font because its sections line values up in
// columns, as catalogue-diff prints them.
#include "catalog/news/novita_form.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

Tfrm_novita::Tfrm_novita(const QString &report, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frm_novita"));
    setWindowTitle(QStringLiteral("Novità del catalogo"));
    setModal(false);
    resize(760, 540);
    MemoNovita = new QPlainTextEdit(this);
    MemoNovita->setObjectName(QStringLiteral("MemoNovita"));
    MemoNovita->setAccessibleName(QStringLiteral("Novità del catalogo"));
    MemoNovita->setReadOnly(true);
    MemoNovita->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    MemoNovita->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoNovita->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    MemoNovita->setPlainText(report);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(MemoNovita);
}
