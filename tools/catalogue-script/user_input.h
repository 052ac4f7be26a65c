// What a user's hands do, as real input events: a mouse click at a spot of a control,
// a key pressed and released, text typed into a field.
#pragma once

#include <QPoint>
#include <QString>
#include <Qt>

class QWidget;

// A key as the script names it: "Down", "Enter", "Shift", "Tab", "F4", "A", "Shift+Down"...
struct KeyStroke {
    Qt::Key key = Qt::Key_unknown;
    Qt::KeyboardModifiers modifiers;
    QString text; // what the key types, empty for keys that type nothing
};

// Throws ScriptError "unknown key NAME".
KeyStroke ParseKey(const QString &name);

// The mouse comes over `target`, then a left press and release at `pos` (in `target`'s
// coordinates).
void ClickAt(QWidget *target, QPoint pos);
void ClickCentre(QWidget *target);

// Gives `target` the keyboard focus (its window activated first), as a click or Tab
// would, then presses and releases the key there.
void PressKey(QWidget *target, const KeyStroke &stroke);

// Presses and releases the key in the control that has the keyboard focus, as a user who
// works from the keyboard alone does; `window` is activated first when nothing has the
// focus. Throws ScriptError when no control has it.
void PressKeyWhereFocused(QWidget *window, const KeyStroke &stroke);

// Replaces the text of a field as a user does: focus, select all, type each character
// (an empty text deletes the selection instead).
void TypeText(QWidget *target, const QString &text);
// Types each character of `text` into `target` as it stands, one key after another.
void TypeKeys(QWidget *target, const QString &text);
