// What's new: a link-like button in the free strip under the version grid, shown only
// when the opened catalogue differs from the one this computer opened last time. Nothing
// is shown at start-up and nothing waits: the report, a diff of the whole catalogue, is
// made on the first click and shown in a window of its own.
#include "catalog/news/news_part.h"

#include "catalog/news/catalogue_news.h"
#include "catalog/news/novita_form.h"
#include "catalog/window/main_form.h"
#include "data/connect_database.h"
#include "platform/error_guard.h"
#include "platform/settings.h"

#include <QGuiApplication>
#include <QPushButton>

NewsPart::NewsPart(Tfrm_main &form) : m_form(form)
{
    auto *button = new QPushButton(QStringLiteral("Novità del catalogo"), form.Panel2);
    form.ButtonNovita = button;
    button->setObjectName(QStringLiteral("ButtonNovita"));
    button->setAccessibleName(QStringLiteral("Novità del catalogo"));
    button->setToolTip(QStringLiteral("Che cosa è cambiato dal catalogo aperto la volta precedente"));
    button->setGeometry(848, 746, 160, 20);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::StrongFocus);
    button->setStyleSheet(QStringLiteral("QPushButton { color: #1a4f9c; text-decoration: underline; "
                                         "font-weight: bold; border: none; background: transparent; }"
                                         "QPushButton:focus { border: 1px dotted #1a4f9c; }"));
    button->setVisible(false);
    Tfrm_main *window = &form;
    QObject::connect(button, &QPushButton::clicked, window,
                     [window] { Guarded([window] { window->ButtonNovitaClick(window->ButtonNovita); }); });
}

NewsPart::~NewsPart() = default;

void NewsPart::NoticeCatalogueNews()
{
    auto news = std::make_unique<catalog::CatalogueNews>(AppDir + QStringLiteral("db/vc_korva.mdb"),
                                                         AppDir + QStringLiteral("db/system.mdw"), DatabasePassword());
    if (!news->Notice())
        return;
    m_news = std::move(news);
    // The open fit reports are checked against the catalogue that differs, once, here.
    m_resolved = m_form.ResolveFitReports();
    m_form.ButtonNovita->setVisible(true);
}

void NewsPart::ButtonNovitaClick(QObject *)
{
    Tfrm_main &form = m_form;
    if (!form.frm_novita) {
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
        form.frm_novita = new Tfrm_novita(m_resolved.isEmpty() ? report : m_resolved + u'\n' + report, &form);
    }
    form.frm_novita->show();
    form.frm_novita->raise();
    form.frm_novita->activateWindow();
}
