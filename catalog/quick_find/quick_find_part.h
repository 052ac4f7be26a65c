// Quick find's part of the catalogue window: the search box in the header band
// (Tfrm_main::EditTrova), the list of matches it drops (Tfrm_main::ListaTrova), their
// keys and shortcuts, and type-ahead in the make, model and version grids. The window's
// handlers of the same names hand on to it.
#pragma once

#include <QtCore/qnamespace.h>
#include <memory>

class QObject;
class Tfrm_main;
struct QuickFindState;

class QuickFindPart {
public:
    // Makes the box and the list on `form` and wires them to its handlers.
    explicit QuickFindPart(Tfrm_main &form);
    ~QuickFindPart();
    QuickFindPart(const QuickFindPart &) = delete;
    QuickFindPart &operator=(const QuickFindPart &) = delete;

    void EditTrovaChange(QObject *Sender);
    void EditTrovaKeyDown(QObject *Sender, int Key, Qt::KeyboardModifiers Shift);
    void ListaTrovaChoose(QObject *Sender, int Row);
    void FocusQuickFind();

private:
    Tfrm_main &m_form;
    // The catalogue in memory and the rows shown; shared with the box's key filter, which
    // the window's widgets own and may outlive this part while the window is taken down.
    std::shared_ptr<QuickFindState> m_state;
};
