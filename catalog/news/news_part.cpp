// What's new: a link-like button in the free strip under the version grid, shown only
// when the opened catalogue differs from the one this computer opened last time. Nothing
// is shown at start-up and nothing waits: the report is made on the first click (a diff
// of the whole catalogue, a second at most) and shown in a window of its own.
#include "catalog/window/main_form.h"

#include "catalog/news/catalogue_news.h"
#include "catalog/news/novita_form.h"
#include "data/connect_database.h"
#include "platform/error_guard.h"
#include "platform/settings.h"

#include <QGuiApplication>
#include <QPushButton>

void Tfrm_main::BuildNewsControl()
{
    ButtonNovita = new QPushButton(QStringLiteral("Novità del catalogo"), Panel2);
    ButtonNovita->setObjectName(QStringLiteral("ButtonNovita"));
    ButtonNovita->setAccessibleName(QStringLiteral("Novità del catalogo"));
    ButtonNovita->setToolTip(QStringLiteral("Che cosa è cambiato dal catalogo aperto la volta precedente"));
    ButtonNovita->setGeometry(848, 746, 160, 20);
    ButtonNovita->setFlat(true);
    ButtonNovita->setCursor(Qt::PointingHandCursor);
    ButtonNovita->setFocusPolicy(Qt::StrongFocus);
    ButtonNovita->setStyleSheet(QStringLiteral("QPushButton { color: #1a4f9c; text-decoration: underline; "
                                               "font-weight: bold; border: none; background: transparent; }"
                                               "QPushButton:focus { border: 1px dotted #1a4f9c; }"));
    ButtonNovita->setVisible(false);
    connect(ButtonNovita, &QPushButton::clicked, this,
            [this] { Guarded([this] { ButtonNovitaClick(ButtonNovita); }); });
}

void Tfrm_main::NoticeCatalogueNews()
{
    auto news = std::make_unique<catalog::CatalogueNews>(AppDir + QStringLiteral("db/vc_korva.mdb"),
                                                         AppDir + QStringLiteral("db/system.mdw"), DatabasePassword());
    if (!news->Notice())
        return;
    m_news = std::move(news);
    ButtonNovita->setVisible(true);
}

void Tfrm_main::ButtonNovitaClick(QObject *)
{
    if (!frm_novita) {
        Q_ASSERT(m_news);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        QString report;
        try {
            report = m_news->Report();
        } catch (...) {
            QGuiApplication::restoreOverrideCursor();
            throw;
        }
        QGuiApplication::restoreOverrideCursor();
        frm_novita = new Tfrm_novita(report, this);
    }
    frm_novita->show();
    frm_novita->raise();
    frm_novita->activateWindow();
}
