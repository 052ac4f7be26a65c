// The brand selection screen's creation, showing and the catalogue window's lifecycle.
#include "shell/form_select.h"

#include "catalog/main_form.h"
#include "data/desk_form.h"
#include "platform/error_guard.h"

#include <QApplication>
#include <QPalette>
#include <QShowEvent>
#include <QToolTip>

TFormSelect *FormSelect = nullptr;
int HintHidePause = 2500;

TFormSelect::TFormSelect(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("FormSelect"));
    setWindowTitle(QStringLiteral("DazozIzizavuv Korva"));
    FormSelect = this;
    Guarded([this] { FormCreate(); });
}

TFormSelect::~TFormSelect()
{
    delete frm_main;
    if (FormSelect == this)
        FormSelect = nullptr;
}

void TFormSelect::FormCreate()
{
    frm_desk = new Tfrm_desk(this);
    HintHidePause = 100000;
    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, QColor(255, 255, 0)); // 65535 in the BGR form
    tips.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(tips);
}

void TFormSelect::FormShow()
{
    // The window being replaced is never shown again; release it once control is back in
    // the event loop, since its own modal loop may just have returned.
    if (frm_main)
        frm_main->deleteLater();
    frm_main = new Tfrm_main();
}

void TFormSelect::ShowCatalogWindow()
{
    frm_main->exec();
    show();
}

void TFormSelect::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        Guarded([this] { FormShow(); });
}
