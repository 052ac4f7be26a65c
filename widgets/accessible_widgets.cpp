// The accessibility factory of the widget layer and the bitmap button's interface.
#include "widgets/accessible_widgets.h"

#include "widgets/bitmap_button.h"
#include "widgets/data_grid_accessible_p.h"

#include <QMetaObject>

namespace {

// A push button named by its accessible name or, without one, by its hint (the one text
// a user sees on it); the hint is its description too. "Press" clicks it.
class BitmapButtonAccessible : public QAccessibleWidget {
public:
    explicit BitmapButtonAccessible(BitmapButton *button) : QAccessibleWidget(button, QAccessible::Button)
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

    QStringList actionNames() const override { return {pressAction()}; }

    void doAction(const QString &actionName) override
    {
        if (actionName == pressAction() && widget()->isEnabled())
            QMetaObject::invokeMethod(widget(), "clicked");
    }

private:
    // The hint's line breaks ("\r") read as spaces.
    QString hintText() const
    {
        QString hint = static_cast<const BitmapButton *>(widget())->Hint();
        hint.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(QLatin1Char('\r'), QLatin1Char(' '));
        return hint.simplified();
    }
};

QAccessibleInterface *widgetFactory(const QString &, QObject *object)
{
    if (auto *grid = qobject_cast<DataGrid *>(object))
        return new DataGridAccessible(grid);
    if (auto *button = qobject_cast<BitmapButton *>(object))
        return new BitmapButtonAccessible(button);
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
