// Input events through QTest's event delivery, which goes through QApplication::notify
// like the window system's own events (event filters, focus on click, propagation).
#include "tools/catalogue-script/user_input.h"

#include "tools/catalogue-script/script.h"

#include <QApplication>
#include <QEnterEvent>
#include <QKeySequence>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace {

void Activate(QWidget *window)
{
    if (window && !window->isActiveWindow()) {
        window->activateWindow();
        // The offscreen platform activates a window only on a later event, while a user's
        // key goes to the window at once; a shortcut of the window needs it active.
        QApplication::setActiveWindow(window);
    }
}

void Focus(QWidget *target)
{
    Activate(target->window());
    target->setFocus(Qt::OtherFocusReason);
}

void SendKey(QWidget *target, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    QKeyEvent event(type, key, modifiers, text);
    QApplication::sendEvent(target, &event);
}

} // namespace

KeyStroke ParseKey(const QString &name)
{
    static const struct {
        const char *name;
        Qt::Key key;
        const char *text;
    } named[] = {
        {"Enter", Qt::Key_Return, "\r"},    {"Return", Qt::Key_Return, "\r"},
        {"Shift", Qt::Key_Shift, ""},       {"Ctrl", Qt::Key_Control, ""},
        {"Control", Qt::Key_Control, ""},   {"Alt", Qt::Key_Alt, ""},
        {"Tab", Qt::Key_Tab, "\t"},         {"Space", Qt::Key_Space, " "},
        {"Escape", Qt::Key_Escape, "\x1b"}, {"Backspace", Qt::Key_Backspace, "\b"},
    };
    for (const auto &n : named) {
        if (name.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return {n.key, {}, QString::fromLatin1(n.text)};
    }
    const QKeySequence sequence = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (sequence.count() != 1 || sequence[0].key() == Qt::Key_unknown)
        throw ScriptError(QStringLiteral("unknown key %1").arg(name).toStdString());
    KeyStroke stroke{sequence[0].key(), sequence[0].keyboardModifiers(), {}};
    // Letters, digits and signs type themselves (lower case unless Shift is held).
    if (stroke.key >= Qt::Key_Space && stroke.key <= Qt::Key_AsciiTilde
        && !(stroke.modifiers & (Qt::ControlModifier | Qt::AltModifier))) {
        const QChar c(int(stroke.key));
        stroke.text = (stroke.modifiers & Qt::ShiftModifier) ? QString(c.toUpper()) : QString(c.toLower());
    }
    return stroke;
}

void ClickAt(QWidget *target, QPoint pos)
{
    QPointer<QWidget> guard(target);
    QEnterEvent enter(pos, target->mapTo(target->window(), pos), target->mapToGlobal(pos));
    QApplication::sendEvent(target, &enter);
    // The press may already change the screen (a grid selects on press), so the release
    // only goes out when the control still exists.
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, pos);
    if (guard)
        QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, pos);
}

void ClickCentre(QWidget *target) { ClickAt(target, target->rect().center()); }

void PressKey(QWidget *target, const KeyStroke &stroke)
{
    QPointer<QWidget> guard(target);
    Focus(target);
    // As the window system does: the window's shortcuts (Ctrl+F) see the key first.
    if (qt_sendShortcutOverrideEvent(target, 0, stroke.key, stroke.modifiers, stroke.text))
        return;
    SendKey(target, QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
    if (guard)
        SendKey(target, QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
}

void PressKeyWhereFocused(QWidget *window, const KeyStroke &stroke)
{
    // A window that closed leaves the activation to the window system, which the
    // offscreen platform does later; a user's next key goes to the window in front.
    if (!QApplication::focusWidget())
        Activate(window);
    QWidget *target = QApplication::focusWidget();
    if (!target)
        throw ScriptError("no control has the keyboard focus");
    if (qt_sendShortcutOverrideEvent(target, 0, stroke.key, stroke.modifiers, stroke.text))
        return;
    SendKey(target, QEvent::KeyPress, stroke.key, stroke.modifiers, stroke.text);
    // The release reaches whatever has the focus by then, as a keyboard's does after Tab.
    if (QWidget *now = QApplication::focusWidget())
        SendKey(now, QEvent::KeyRelease, stroke.key, stroke.modifiers, stroke.text);
}

void TypeText(QWidget *target, const QString &text)
{
    PressKey(target, {Qt::Key_A, Qt::ControlModifier, {}});
    if (text.isEmpty()) {
        PressKey(target, {Qt::Key_Delete, {}, {}});
        return;
    }
    TypeKeys(target, text);
}

void TypeKeys(QWidget *target, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        // A character beyond the first plane (an emoji) is one key typing both its halves.
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            PressKey(target, {Qt::Key_unknown, Qt::NoModifier, text.mid(i, 2)});
            ++i;
            continue;
        }
        // Keys are named by their unshifted face; ASCII letters and digits are their codes.
        const Qt::Key key = c.unicode() < 128 ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        const Qt::KeyboardModifiers modifiers = c.isUpper() ? Qt::ShiftModifier : Qt::NoModifier;
        PressKey(target, {key, modifiers, QString(c)});
    }
}
