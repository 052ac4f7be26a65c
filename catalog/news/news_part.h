// What's new, the catalogue window's part: the link-like button Tfrm_main::ButtonNovita,
// shown only when the opened catalogue differs from the one this computer opened last
// time, and the window Tfrm_main::frm_novita it opens. The window's handlers of the same
// names hand on to it.
#pragma once

#include <QString>
#include <memory>

class QObject;
class Tfrm_main;
namespace catalog {
class CatalogueNews;
}

class NewsPart {
public:
    // Makes the button on `form`, hidden, and wires it to the window's handler.
    explicit NewsPart(Tfrm_main &form);
    ~NewsPart();
    NewsPart(const NewsPart &) = delete;
    NewsPart &operator=(const NewsPart &) = delete;

    // Compares the opened catalogue with the last one and shows the button when they differ.
    void NoticeCatalogueNews();
    // Makes the report on the first click and shows it in frm_novita.
    void ButtonNovitaClick(QObject *Sender);

private:
    Tfrm_main &m_form;
    std::unique_ptr<catalog::CatalogueNews> m_news; // set while a report is due
    // The fit reports this catalogue resolved: the report's first lines.
    QString m_resolved;
};
