// The accessibility factory of the widget layer and the interfaces of its controls other
// than the data grid and the column combo box.
#include "widgets/accessible_widgets.h"

#include "platform/error_guard.h"
#include "widgets/bitmap_button.h"
#include "widgets/column_combo_box_accessible_p.h"
#include "widgets/data_grid_accessible_p.h"
#include "widgets/hyperlink_label.h"
#include "widgets/image_view.h"
#include "widgets/note_label.h"
#include "widgets/note_markup.h"

#include <QMetaObject>
#include <utility>

namespace {

// A push button named by its accessible name, by the caption that names it or, without
// either, by its hint (the one text a user sees on it); the hint is its description too.
// A checkable one is a toggle button with its state.
class BitmapButtonAccessible : public PressableAccessible {
public:
    explicit BitmapButtonAccessible(BitmapButton *button)
        : PressableAccessible(button, QAccessible::Button, [button] { emit button->clicked(); })
    {
        addControllingSignal(QStringLiteral("clicked()"));
    }

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if ((t == QAccessible::Name || t == QAccessible::Description) && own.isEmpty())
            return hintText();
        return own;
    }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = button()->isCheckable();
        s.checked = button()->isChecked();
        return s;
    }

private:
    const BitmapButton *button() const { return static_cast<const BitmapButton *>(widget()); }

    // The hint's line breaks ("\r") read as spaces.
    QString hintText() const
    {
        QString hint = button()->Hint();
        hint.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return hint.simplified();
    }
};

class HyperlinkLabelAccessible : public PressableAccessible {
public:
    explicit HyperlinkLabelAccessible(HyperlinkLabel *link)
        : PressableAccessible(link, QAccessible::Link, [link] { emit link->clicked(); })
    {}

    QString text(QAccessible::Text t) const override
    {
        const QString own = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && own.isEmpty())
            return static_cast<const HyperlinkLabel *>(widget())->Caption();
        return own;
    }
};

// The note reads as its text, tags left out; the caption beside it labels it.
class NoteLabelAccessible : public QAccessibleWidget {
public:
    explicit NoteLabelAccessible(NoteLabel *note) : QAccessibleWidget(note, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return NotePlainText(static_cast<const NoteLabel *>(widget())->Markup()).simplified();
        return QAccessibleWidget::text(t);
    }
};

// A picture once it is named; unnamed, a view is only the skin that other controls sit on.
class ImageViewAccessible : public QAccessibleWidget {
public:
    explicit ImageViewAccessible(ImageView *view) : QAccessibleWidget(view, QAccessible::Client) {}

    QAccessible::Role role() const override
    {
        return widget()->accessibleName().isEmpty() ? QAccessible::Client : QAccessible::Graphic;
    }
};

QAccessibleInterface *widgetFactory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<DataGrid *>(object))
        return new DataGridAccessible(grid);
    if (auto *button = qobject_cast<BitmapButton *>(object))
        return new BitmapButtonAccessible(button);
    if (auto *link = qobject_cast<HyperlinkLabel *>(object))
        return new HyperlinkLabelAccessible(link);
    if (auto *note = qobject_cast<NoteLabel *>(object))
        return new NoteLabelAccessible(note);
    if (auto *view = qobject_cast<ImageView *>(object))
        return new ImageViewAccessible(view);
    if (auto *combo = qobject_cast<ColumnComboBox *>(object))
        return new ColumnComboBoxAccessible(combo);
    return nullptr;
}

} // namespace

void InstallAccessibleWidgets()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    QAccessible::installFactory(widgetFactory);
}

PressableAccessible::PressableAccessible(QWidget *w, QAccessible::Role role, std::function<void()> press)
    : QAccessibleWidget(w, role), m_press(std::move(press))
{}

void PressableAccessible::doAction(const QString &actionName)
{
    if (actionName == pressAction() && widget()->isEnabled())
        PressLater(widget(), m_press);
}

void PressLater(QWidget *target, std::function<void()> press)
{
    QMetaObject::invokeMethod(
        target, [press = std::move(press)] { Guarded(press); }, Qt::QueuedConnection);
}
