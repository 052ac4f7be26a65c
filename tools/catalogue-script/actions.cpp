// The script's actions: each finds its controls by design name and acts through real
// input events, except `brand`, which does what a brand click does.
#include "tools/catalogue-script/actions.h"

#include "catalog/window/main_form.h"
#include "platform/error_guard.h"
#include "platform/messages.h"
#include "platform/settings.h"
#include "shell/form_select.h"
#include "tools/catalogue-script/grid_geometry.h"
#include "tools/catalogue-script/print_step.h"
#include "tools/catalogue-script/script.h"
#include "tools/catalogue-script/state_dump.h"
#include "tools/catalogue-script/user_input.h"
#include "tools/catalogue-script/widget_lookup.h"
#include "widgets/column_combo_box.h"
#include "widgets/data_grid.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPixmap>
#include <cstdio>

namespace {

[[noreturn]] void Fail(const QString &message) { throw ScriptError(message.toStdString()); }

void Brand(const QString &code)
{
    if (!FormSelect || !FormSelect->isVisible() || QApplication::activeModalWidget())
        Fail(QStringLiteral("the brand screen is not the window in front"));
    SelectedBrand = code;
    Guarded([] { ShowCatalogWindow(); });
}

void ClickControl(const QString &name)
{
    QWidget *target = FindWidget(name);
    RequireVisible(target);
    ClickCentre(target);
}

void ClickCell(const QString &name, const QString &rowText)
{
    auto *grid = FindWidgetAs<DataGrid>(name, "grid");
    RequireVisible(grid);
    const int row = rowText.toInt();
    if (row >= grid->RowCount())
        Fail(QStringLiteral("%1 has %2 rows, no row %3").arg(name).arg(grid->RowCount()).arg(row));
    if (grid->RowHeights(row) <= 0)
        Fail(QStringLiteral("row %1 of %2 is hidden").arg(row).arg(name));
    const QRect cell = VisibleCellRect(*grid, row);
    if (cell.isEmpty())
        Fail(QStringLiteral("%1 has no visible column to click in").arg(name));
    ClickAt(grid->viewport(), cell.center());
}

// A key by its name ("Down", "Ctrl+F"). Into a grid, a text that names no key is typed
// key by key, as letters typed to jump to a name.
void Key(const QString &name, const QString &keyName)
{
    QWidget *target = FindWidget(name);
    RequireVisible(target);
    KeyStroke stroke;
    try {
        stroke = ParseKey(keyName);
    } catch (const ScriptError &) {
        if (!qobject_cast<DataGrid *>(target))
            throw;
        TypeKeys(target, keyName);
        return;
    }
    PressKey(target, stroke);
}

void Press(const QString &keyName) { PressKeyWhereFocused(FrontWindow(), ParseKey(keyName)); }

// Into a list box (a QComboBox without a text of its own), typing picks the first item
// that starts with what was typed, as the keyboard does there.
void TypeIntoList(QComboBox *list, const QString &name, const QString &text)
{
    TypeKeys(list, text);
    if (!list->currentText().startsWith(text, Qt::CaseInsensitive))
        Fail(QStringLiteral("%1 has no item starting with \"%2\"").arg(name, text));
}

void Type(const QString &name, const QString &text)
{
    QWidget *target = FindWidget(name);
    if (auto *list = qobject_cast<QComboBox *>(target); list && !list->isEditable()) {
        RequireVisible(list);
        TypeIntoList(list, name, text);
        return;
    }
    auto *edit = FindWidgetAs<QLineEdit>(name, "field");
    RequireVisible(edit);
    TypeText(edit, text);
}

// A Qt list box, whose list is its own view: opened with a click, its item chosen in the list.
void SelectInList(QComboBox *combo, const QString &name, const QString &text)
{
    const int index = combo->findText(text, Qt::MatchFixedString);
    if (index < 0)
        Fail(QStringLiteral("%1 has no item \"%2\"").arg(name, text));
    ClickCentre(combo);
    auto *list = qobject_cast<QAbstractItemView *>(combo->view());
    if (!list || !list->isVisible())
        Fail(QStringLiteral("%1 did not open its list on a click").arg(name));
    // The open list takes no click just after it opened (a box's guard against the
    // opening click going through), so the item is reached as the arrow keys reach it.
    list->setCurrentIndex(list->model()->index(index, 0));
    PressKey(list, ParseKey(QStringLiteral("Return")));
    if (combo->currentIndex() != index)
        Fail(QStringLiteral("%1 did not take the item \"%2\" clicked in its list").arg(name, text));
}

// Opens the box with a click and clicks the item in its list, as the mouse does it.
void Select(const QString &name, const QString &text)
{
    if (auto *list = qobject_cast<QComboBox *>(FindWidget(name))) {
        RequireVisible(list);
        SelectInList(list, name, text);
        return;
    }
    auto *combo = FindWidgetAs<ColumnComboBox>(name, "list box");
    RequireVisible(combo);
    const int index = combo->IndexOfInColumn(0, text);
    if (index < 0)
        Fail(QStringLiteral("%1 has no item \"%2\"").arg(name, text));
    if (!combo->DroppedDown())
        ClickCentre(combo);
    auto *list = qobject_cast<QAbstractItemView *>(QApplication::activePopupWidget());
    if (!combo->DroppedDown() || !list)
        Fail(QStringLiteral("%1 did not open its list on a click").arg(name));
    const QModelIndex item = list->model()->index(index, 0);
    list->scrollTo(item);
    ClickAt(list->viewport(), list->visualRect(item).center());
    if (combo->ItemIndex() != index || combo->DroppedDown())
        Fail(QStringLiteral("%1 did not take the item \"%2\" clicked in its list").arg(name, text));
}

// The window's close box: the close event the window system sends when it is clicked. A
// window drawn without a close box cannot be closed this way, as a user could not.
void CloseWindow(const QString &name)
{
    QWidget *window = FindWidget(name);
    RequireVisible(window);
    if (!window->isWindow())
        Fail(QStringLiteral("%1 is not a window").arg(name));
    const Qt::WindowFlags flags = window->windowFlags();
    if (flags.testFlag(Qt::CustomizeWindowHint) && !flags.testFlag(Qt::WindowCloseButtonHint))
        Fail(QStringLiteral("%1 has no close box").arg(name));
    window->close();
}

// The shop's answers (stock, fit reports) come from threads of the window's own: what the
// steps before asked for is in before the state is read, so that what a dump or a picture
// shows never depends on those threads' timing. The lookups answer within seconds even
// with the server gone (as out of reach), so a longer wait is a fault.
constexpr int kStockSettleMs = 5000;

void SettleStockLookups()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        auto *form = qobject_cast<Tfrm_main *>(window);
        if (form && !form->SettleStockLookups(kStockSettleMs))
            Fail(QStringLiteral("the shop's stock lookups did not answer within %1 ms").arg(kStockSettleMs));
        if (form && !form->SettleReports(kStockSettleMs))
            Fail(QStringLiteral("the shop's fit reports were not read within %1 ms").arg(kStockSettleMs));
    }
}

void Dump(int line, ScriptContext &context)
{
    SettleStockLookups();
    const auto &shown = context.messages->shown;
    const std::vector<RecordedMessage> fresh(shown.begin() + qMin(context.messagesDumped, shown.size()), shown.end());
    context.messagesDumped = shown.size();
    const QByteArray json = QJsonDocument(DumpState(line, fresh)).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, size_t(json.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

void Screenshot(const QString &file)
{
    SettleStockLookups();
    QWidget *window = FrontWindow();
    if (!window)
        Fail(QStringLiteral("no window is on screen to take a picture of"));
    const QString path = file.trimmed();
    if (!window->grab().save(path, "PNG"))
        Fail(QStringLiteral("cannot write the picture %1").arg(path));
}

} // namespace

void RunStep(const ScriptStep &step, ScriptContext &context)
{
    const QStringList &a = step.args;
    if (step.action == "brand")
        Brand(a[0]);
    else if (step.action == "click")
        ClickControl(a[0]);
    else if (step.action == "click-cell")
        ClickCell(a[0], a[1]);
    else if (step.action == "key")
        Key(a[0], a[1]);
    else if (step.action == "press")
        Press(a[0]);
    else if (step.action == "type")
        Type(a[0], a[1]);
    else if (step.action == "select")
        Select(a[0], a[1]);
    else if (step.action == "dump")
        Dump(step.line, context);
    else if (step.action == "screenshot")
        Screenshot(a[0]);
    else if (step.action == "print") {
        SettleStockLookups();
        PrintSheet(a[0]);
    } else if (step.action == "close")
        CloseWindow(a[0]);
    else if (step.action == "save-as")
        context.saveAs = a[0].trimmed();
    else if (step.action != "wait") // the runner holds back the next step instead
        Fail(QStringLiteral("unknown action \"%1\"").arg(step.action));
}

bool AnswerFileDialog(ScriptContext &context)
{
    auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
    if (!dialog || context.saveAs.isEmpty() || !dialog->isVisible())
        return false;
    dialog->selectFile(context.saveAs);
    context.saveAs.clear();
    static_cast<QDialog *>(dialog)->accept(); // the dialog's own checks, as its Save button
    return true;
}
